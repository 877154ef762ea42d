// Downloads into a local file from a real HTTP server on 127.0.0.1.
#include "core/Download.h"

#include "core/DownloadTexts.h"
#include "core/TransferFailure.h"
#include "core/UpdateTexts.h"
#include "support/Environment.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <vector>

using namespace std::chrono_literals;
using menu::core::CancelToken;
using menu::core::DownloadOptions;
using menu::core::DownloadProgress;
using menu::core::DownloadResult;
using menu::test::ScriptedHttpServer;
namespace texts = menu::core::texts;

namespace {

const QString kCritical = QStringLiteral("Kritická chyba pri sťahovaní!");
const QString kCriticalHintStart = kCritical + QStringLiteral("\r\r");

struct LengthCase {
    const char *line;
    std::optional<qint64> value; // nothing: a conversion error
};

TEST(ContentLength, ReadsOnlyAnExactNameWithOneColon)
{
    const LengthCase cases[] = {
        {"Content-Length: 123", 123},
        {"Content-Length:123", 123},
        {"Content-Length: \t 42 \t", 42},
        {"Content-Length: 0", 0},
        {"Content-Length: -5", -5},
        {"Content-Length: +7", 7},
        {"Content-Length: 2147483647", 2147483647},
        {"Content-Length: -2147483648", -2147483647 - 1},
        {"X-Content-Length: 7", -1},
        {"X-Content-Length: abc", -1},
        {" Content-Length: abc", -1},
        {"content-length: 5", -1},
        {"CONTENT-LENGTH: 5", -1},
        {"Content-Length 5", -1},
        {"Content-Length: 1:2", -1},
        {"Date: Mon, 01 Jan 2024 10:00:00 GMT", -1},
        {"", -1},
        {"Content-Length: abc", std::nullopt},
        {"Content-Length: ", std::nullopt},
        {"Content-Length: -", std::nullopt},
        {"Content-Length: 12 34", std::nullopt},
        {"Content-Length: 0x10", std::nullopt},
        // Beyond the gauge's 32 bits is still a number: the download refuses it as too large.
        {"Content-Length: 3221225472", 3221225472LL},
        {"Content-Length: 9223372036854775807", 9223372036854775807LL},
        {"Content-Length: 9223372036854775808", std::nullopt},
        {"Content-Length: 99999999999999999999999", std::nullopt},
    };
    for (const auto &c : cases) {
        const QString line = QString::fromLatin1(c.line);
        const menu::Result<qint64> length = menu::core::contentLengthOf(line);
        EXPECT_EQ(length.ok(), c.value.has_value()) << c.line;
        if (length.ok() && c.value) {
            EXPECT_EQ(*length, *c.value) << c.line;
        }
    }
}

TEST(ContentLength, ErrorShowsTheValueCutToFortyCharacters)
{
    const QString value(60, QLatin1Char('x'));
    const menu::Result<qint64> length =
        menu::core::contentLengthOf(QStringLiteral("Content-Length: ") + value);
    ASSERT_FALSE(length.ok());
    EXPECT_EQ(length.failure().detail,
              texts::badContentLength(value.left(40) + QStringLiteral("...")));
}

// ---------------------------------------------------------------------------------------------
// Downloads from a real server on 127.0.0.1.

// Records every progress report; can be made to fail at one of them.
struct Recorder {
    std::vector<DownloadProgress> calls;
    std::optional<size_t> failAt;

    menu::core::ProgressCallback callback()
    {
        return [this](const DownloadProgress &progress) {
            calls.push_back(progress);
            if (failAt && calls.size() == *failAt)
                throw std::runtime_error("Gauge refuses the value");
        };
    }
};

// The two sinks of the one transfer share the cases where they behave alike: into a file, with
// and without what the update dialog passes (a progress callback and a cancel token, which
// changes how the transfer waits), and into memory.
enum class Family { File, Observed, Memory };

class DownloadTest : public ::testing::TestWithParam<Family> {
  protected:
    // What arrived: the target's content after a file download, the body in memory.
    struct Fetched {
        DownloadResult result;
        QByteArray body;
    };

    Fetched fetch(const QString &address, const QString &target,
                  std::chrono::milliseconds waitLimit = DownloadOptions().waitLimit)
    {
        DownloadOptions options;
        options.waitLimit = waitLimit;
        options.retries = 0; // each case is one answer; tries again have their own suite
        if (GetParam() == Family::Memory) {
            auto fetched = menu::core::downloadToMemory(address, 1024 * 1024, options);
            return {fetched.result, fetched.body};
        }
        if (GetParam() == Family::Observed) {
            options.progress = recorder.callback();
            options.cancel = &cancel;
        }
        DownloadResult result = menu::core::download(address, target, options);
        QFile file(target);
        return {result,
                result.ok && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray()};
    }
    DownloadResult download(const QString &address, const QString &target,
                            std::chrono::milliseconds waitLimit = DownloadOptions().waitLimit)
    {
        return fetch(address, target, waitLimit).result;
    }

    // The target with old content, to see that a failure leaves it alone.
    QString existingTarget() { return dir.write(QStringLiteral("target.bin"), "old content"); }

    QStringList filesInDir() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    }

    ScriptedHttpServer server;
    menu::test::TempDir dir;
    Recorder recorder;
    CancelToken cancel;
};

// What only a file has: a target to replace, its permissions and links.
class DownloadFileTest : public DownloadTest {};

std::string familyName(const ::testing::TestParamInfo<Family> &info)
{
    switch (info.param) {
    case Family::File:
        return "Plain";
    case Family::Observed:
        return "Observed";
    case Family::Memory:
        break;
    }
    return "Memory";
}

INSTANTIATE_TEST_SUITE_P(BothSinks, DownloadTest,
                         ::testing::Values(Family::File, Family::Observed, Family::Memory),
                         familyName);
INSTANTIATE_TEST_SUITE_P(BothEntries, DownloadFileTest,
                         ::testing::Values(Family::File, Family::Observed), familyName);

TEST_P(DownloadTest, Status200ReplacesTheFileWithTheBody)
{
    server.answer(
        ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 11\r\n", "hello world"));
    const QString target = existingTarget();
    const Fetched fetched = fetch(server.address(QStringLiteral("/ORVANWIN/akt.ini")), target);
    EXPECT_TRUE(fetched.result.ok);
    EXPECT_EQ(fetched.result.text, QString());
    EXPECT_EQ(fetched.result.hint, QString());
    EXPECT_EQ(fetched.body, QByteArray("hello world"));
    EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("target.bin")}); // no temporary left

    const QByteArray request = server.lastRequest();
    EXPECT_TRUE(request.startsWith("GET /ORVANWIN/akt.ini HTTP/1.0\r\n")) << request.data();
    EXPECT_TRUE(request.contains("\r\nUser-Agent: Mozilla/4.0 (compatible; ORVAN)\r\n"));
}

TEST_P(DownloadFileTest, AReplacedFileKeepsItsPermissionsAndALinkKeepsPointingAtIt)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX links and mode bits: QFile::link makes a shortcut file on Windows";
#endif
    const QString target = existingTarget();
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    const QString link = dir.file(QStringLiteral("current.bin"));
    ASSERT_TRUE(QFile::link(target, link));
    server.answer(ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "new content"));

    const DownloadResult outcome = download(server.address(QStringLiteral("/f")), link);
    EXPECT_TRUE(outcome.ok) << outcome.text.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("new content"));
    EXPECT_EQ(QFile::permissions(target),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(filesInDir().size(), 2);
}

TEST_P(DownloadTest, AcceptsTheHttpSchemeAndGoesStraightWhereNoProxySaysSo)
{
    // The environment's proxy would refuse the connection, but no_proxy names the server.
    const QString proxy = "http://127.0.0.1:" + QString::number(menu::test::refusingPort());
    const menu::test::Environment env(
        {{"http_proxy", proxy}, {"all_proxy", proxy}, {"no_proxy", QStringLiteral("127.0.0.1")}});
    server.answer(ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "body"));
    const Fetched outcome = fetch(QStringLiteral("http://") + server.address(QStringLiteral("/f")),
                                  dir.file(QStringLiteral("f")));
    EXPECT_TRUE(outcome.result.ok) << outcome.result.text.toStdString();
    EXPECT_EQ(outcome.body, QByteArray("body"));
}

TEST_P(DownloadTest, EncodesBlanksOfTheAddress)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "zip"));
    ASSERT_TRUE(download(server.address(QStringLiteral("/FILES/orvan 1.zip")),
                         dir.file(QStringLiteral("f")))
                    .ok);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /FILES/orvan%201.zip HTTP/1.0\r\n"));
}

TEST_P(DownloadTest, FetchesOnlyOverHttpAndHttps)
{
    const QString secret = dir.write(QStringLiteral("secret.txt"), "local file");
    server.answer({{}, true}); // speaks no TLS: the handshake never completes
    const QString addresses[] = {
        QStringLiteral("file://") + secret,
        QStringLiteral("ftp://") + server.address(QStringLiteral("/x")),
        QStringLiteral("https://") + server.address(QStringLiteral("/x")),
    };
    for (const QString &address : addresses) {
        const QString target = existingTarget();
        const DownloadResult outcome = download(address, target, 800ms);
        EXPECT_FALSE(outcome.ok) << address.toStdString();
        EXPECT_EQ(outcome.text, QStringLiteral("Server nenájdený (500)!"));
        EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
    }
}

struct FailureCase {
    const char *name;
    ScriptedHttpServer::Script script;
    const char *text;
    QString hint; // empty unless a critical error
};

TEST_P(DownloadTest, EveryFailureKeepsTheExistingFile)
{
    const FailureCase cases[] = {
        {"moved permanently",
         ScriptedHttpServer::response("HTTP/1.1 301 Moved Permanently",
                                      "Location: /elsewhere\r\nContent-Length: 5\r\n", "moved"),
         "Súbor nenájdený (301)!",
         {}},
        {"found",
         ScriptedHttpServer::response("HTTP/1.0 302 Found", "Location: /elsewhere\r\n", ""),
         "Súbor nenájdený (302)!",
         {}},
        {"not found",
         ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "Content-Length: 9\r\n",
                                      "not found"),
         "Stiahnutie neúspešné (404)!",
         {}},
        {"internal error",
         ScriptedHttpServer::response("HTTP/1.0 500 Internal Server Error", "", "oops"),
         "Server nenájdený (500)!",
         {}},
        {"server error",
         ScriptedHttpServer::response("HTTP/1.0 503 Busy", "", "busy"),
         "Server nenájdený (503)!",
         {}},
        {"odd status",
         ScriptedHttpServer::response("HTTP/1.0 600 Odd", "", "odd"),
         "Neznáma chyba (600)!",
         {}},
        {"cut short",
         ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 100\r\n", "only ten b"),
         "Kritická chyba pri sťahovaní!",
         texts::downloadCriticalHint(texts::connectionEndedEarly(10, 100))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer(c.script);
        const QString target = existingTarget();
        const int before = server.connections();
        const DownloadResult outcome = download(server.address(QStringLiteral("/pkg.zip")), target);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.text, QString::fromUtf8(c.text));
        EXPECT_EQ(outcome.hint, c.hint);
        EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
        EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("target.bin")});
        EXPECT_EQ(server.connections(), before + 1); // a redirection is not followed
    }
}

// Each cause of a failure has its own text; where nothing answered, the hint ends with
// libcurl's words after the launcher's.
TEST_P(DownloadTest, EachKindOfFailureHasItsOwnText)
{
    using menu::core::FailureKind;
    const QString refused = QStringLiteral("127.0.0.1:%1/x").arg(menu::test::refusingPort());
    const QString unnamed = QStringLiteral("update.orvan.invalid/ORVANWIN/orvan_akt.ini");
    server.answer(ScriptedHttpServer::response("HTTP/1.0 404 Not Found", "", "gone"));
    const struct {
        const char *name;
        QString address;
        FailureKind kind;
        QString text;
        QString hintStart; // empty: no hint
    } cases[] = {
        {"name not resolved", unnamed, FailureKind::NameNotResolved,
         texts::nameNotResolved(QStringLiteral("update.orvan.invalid")),
         texts::nameNotResolvedHint(QStringLiteral("update.orvan.invalid"), QString())},
        {"connection refused", refused, FailureKind::ServerUnreachable,
         QStringLiteral("Server nenájdený (500)!"), texts::serverUnreachableHint(QString())},
        {"status 404",
         server.address(QStringLiteral("/x")),
         FailureKind::HttpStatus,
         QStringLiteral("Stiahnutie neúspešné (404)!"),
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = existingTarget();
        const DownloadResult outcome = download(c.address, target, 10s);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.kind, c.kind);
        EXPECT_EQ(outcome.text, c.text);
        EXPECT_TRUE(outcome.hint.startsWith(c.hintStart)) << outcome.hint.toStdString();
        // libcurl's words follow the launcher's.
        EXPECT_EQ(outcome.hint.size() > c.hintStart.size(), !c.hintStart.isEmpty());
        EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
    }
}

// What a proxy answers instead of the server, which a test without a proxy cannot provoke.
TEST(TransferFailure, AProxysRefusalIsItsOwn)
{
    using menu::core::FailureKind;
    using menu::core::NoAnswer;
    const struct {
        NoAnswer answer;
        FailureKind kind;
        QString text;
    } cases[] = {
        {{CURLE_OK, 407, 0, true, {}, {}},
         FailureKind::ProxyCredentials,
         texts::proxyWantsCredentials()},
        {{CURLE_RECV_ERROR, 0, 407, true, {}, {}},
         FailureKind::ProxyCredentials,
         texts::proxyWantsCredentials()},
        {{CURLE_RECV_ERROR, 0, 403, true, {}, {}},
         FailureKind::ProxyRefused,
         texts::proxyRefused()},
        {{CURLE_COULDNT_CONNECT, 0, 0, true, {}, {}},
         FailureKind::ProxyRefused,
         texts::proxyRefused()},
        {{CURLE_COULDNT_RESOLVE_PROXY, 0, 0, true, {}, {}},
         FailureKind::ProxyRefused,
         texts::proxyRefused()},
        {{CURLE_COULDNT_CONNECT, 0, 0, false, {}, {}},
         FailureKind::ServerUnreachable,
         texts::httpResult(500)},
    };
    for (const auto &c : cases) {
        const DownloadResult result = menu::core::failureOf(c.answer);
        EXPECT_EQ(result.kind, c.kind) << c.answer.result;
        EXPECT_EQ(result.text, c.text) << c.answer.result;
    }
}

TEST_P(DownloadTest, SilentServerEndsInResult500AfterTheWaitLimit)
{
    server.answer({{}, true});
    const QString target = existingTarget();
    const auto start = std::chrono::steady_clock::now();
    const DownloadResult outcome = download(server.address(QStringLiteral("/x")), target, 800ms);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, QStringLiteral("Server nenájdený (500)!"));
    EXPECT_GE(took, 800ms);
    EXPECT_LT(took, 10s);
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
}

TEST_P(DownloadTest, ServerFallingSilentInTheBodyIsACriticalError)
{
    ScriptedHttpServer::Script script =
        ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 10\r\n", "12345");
    script.holdOpen = true;
    server.answer(script);
    const QString target = existingTarget();
    const DownloadResult outcome = download(server.address(QStringLiteral("/x")), target, 800ms);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, kCritical);
    EXPECT_EQ(outcome.hint,
              texts::downloadCriticalHint(texts::serverSilent(QStringLiteral("0.8"))));
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
    EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("target.bin")});
}

TEST_P(DownloadFileTest, TargetInAMissingDirectoryIsACriticalErrorWithTheSystemsReason)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "", "data"));
    const QString target = dir.file(QStringLiteral("missing/target.bin"));
    const DownloadResult outcome = download(server.address(QStringLiteral("/x")), target);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, kCritical);
    EXPECT_EQ(outcome.hint, texts::downloadCriticalHint(texts::downloadNotCreated(
                                target, menu::Failure::errnoValue(ENOENT, target))));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_FALSE(QDir(dir.file(QStringLiteral("missing"))).exists());
}

TEST_P(DownloadTest, ChunkedBodyArrivesWhole)
{
    server.answer(
        ScriptedHttpServer::byteByByte("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                       "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n",
                                       1ms));
    const Fetched outcome = fetch(server.address(QStringLiteral("/c")), existingTarget());
    EXPECT_TRUE(outcome.result.ok) << outcome.result.hint.toStdString();
    EXPECT_EQ(outcome.body, QByteArray("hello world"));
}

TEST_P(DownloadFileTest, TargetThatCannotBeReplacedIsACriticalError)
{
    // A directory with something in it stands where the file should go.
    dir.write(QStringLiteral("target.bin/keep"), "kept");
    server.answer(ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "data"));
    const DownloadResult outcome =
        download(server.address(QStringLiteral("/t")), dir.file(QStringLiteral("target.bin")));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, kCritical);
    EXPECT_TRUE(outcome.hint.startsWith(kCriticalHintStart));
    EXPECT_GT(outcome.hint.size(), kCriticalHintStart.size());
    EXPECT_EQ(dir.read(QStringLiteral("target.bin/keep")), QByteArray("kept"));
    EXPECT_EQ(filesInDir(), QStringList());
}

// ---------------------------------------------------------------------------------------------
// Progress reports.

class DownloadProgressTest : public ::testing::Test {
  protected:
    DownloadResult download(const QString &address, const QString &target, Recorder &observer)
    {
        DownloadOptions options;
        options.progress = observer.callback();
        return menu::core::download(address, target, options);
    }

    ScriptedHttpServer server;
    menu::test::TempDir dir;
    Recorder recorder;
};

// Every report counts more bytes than the one before; returns the last count.
std::int32_t checkGrowing(const std::vector<DownloadProgress> &calls)
{
    std::int32_t last = 0;
    for (const DownloadProgress &call : calls) {
        EXPECT_GT(call.received, last);
        last = call.received;
    }
    return last;
}

TEST_F(DownloadProgressTest, CountsHeaderAndBodyAndLearnsTheLengthAfterItsLine)
{
    const QByteArray header = "HTTP/1.0 200 OK\r\nServer: scripted\r\nContent-Length: 5\r\n"
                              "X-After: 1\r\n\r\n";
    server.answer(ScriptedHttpServer::byteByByte(header + "hello", 2ms));
    ASSERT_TRUE(
        download(server.address(QStringLiteral("/p")), dir.file(QStringLiteral("p")), recorder).ok);
    EXPECT_EQ(dir.read(QStringLiteral("p")), QByteArray("hello"));

    const auto &calls = recorder.calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(checkGrowing(calls), header.size() + 5);
    // -1 up to and including the block that carried the length line, 5 from then on.
    EXPECT_EQ(calls.front().total, -1);
    size_t firstKnown = 0;
    while (firstKnown < calls.size() && calls[firstKnown].total == -1)
        ++firstKnown;
    ASSERT_LT(firstKnown, calls.size());
    ASSERT_GE(firstKnown, 3u); // status line, Server, Content-Length
    for (size_t i = firstKnown; i < calls.size(); ++i)
        EXPECT_EQ(calls[i].total, 5) << i;
    // The body came byte by byte: one report per block.
    EXPECT_GE(calls.size(), 4u + 5u);
}

TEST_F(DownloadProgressTest, LengthInOtherCaseIsNotRecognised)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "content-length: 4\r\n", "data"));
    ASSERT_TRUE(
        download(server.address(QStringLiteral("/p")), dir.file(QStringLiteral("p")), recorder).ok);
    ASSERT_FALSE(recorder.calls.empty());
    for (const DownloadProgress &call : recorder.calls)
        EXPECT_EQ(call.total, -1);
    EXPECT_EQ(dir.read(QStringLiteral("p")), QByteArray("data"));
}

// A length libcurl cannot read at all it refuses itself, with its own words; one it reads a
// number from is checked by the launcher, which names the value.
TEST_P(DownloadTest, UnreadableLengthIsACriticalErrorAndKeepsTheFile)
{
    const QString target = existingTarget();
    const struct {
        const char *value;
        QString hint;
        bool whole; // the hint is the whole text, else its beginning
    } cases[] = {
        {"abc", texts::downloadCriticalHint(texts::transferFailed(QString())), false},
        {" 12abc ", texts::downloadCriticalHint(texts::badContentLength(QStringLiteral("12abc"))),
         true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        server.answer(ScriptedHttpServer::response(
            "HTTP/1.0 200 OK", QByteArray("Content-Length: ") + c.value + "\r\nX-Next: 1\r\n",
            "data"));
        const DownloadResult outcome = download(server.address(QStringLiteral("/p")), target);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.text, kCritical);
        if (c.whole)
            EXPECT_EQ(outcome.hint, c.hint);
        else
            EXPECT_TRUE(outcome.hint.startsWith(c.hint)) << outcome.hint.toStdString();
        EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
        EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("target.bin")});
    }
}

TEST_F(DownloadProgressTest, ErrorOfTheCallbackEndsTheDownload)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 4\r\n", "data"));
    const QString target = dir.write(QStringLiteral("t"), "old content");
    recorder.failAt = 2;
    const DownloadResult failed = download(server.address(QStringLiteral("/p")), target, recorder);
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.cancelled);
    EXPECT_EQ(failed.text, kCritical);
    EXPECT_EQ(failed.hint, kCriticalHintStart + QStringLiteral("Gauge refuses the value"));
    EXPECT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(dir.read(QStringLiteral("t")), QByteArray("old content"));

    // The next download starts from nothing again.
    Recorder second;
    const DownloadResult again = download(server.address(QStringLiteral("/p")), target, second);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.text, QString());
    EXPECT_EQ(again.hint, QString());
    ASSERT_FALSE(second.calls.empty());
    EXPECT_EQ(second.calls.front().total, -1);
    EXPECT_EQ(second.calls.back().total, 4);
    checkGrowing(second.calls);
    EXPECT_EQ(dir.read(QStringLiteral("t")), QByteArray("data"));
}

TEST_F(DownloadProgressTest, ForeignErrorOfTheCallbackPassesThrough)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "", "data"));
    const QString target = dir.write(QStringLiteral("t"), "old content");
    DownloadOptions options;
    options.progress = [](const DownloadProgress &) { throw 42; };
    EXPECT_THROW(menu::core::download(server.address(QStringLiteral("/p")), target, options), int);
    EXPECT_EQ(dir.read(QStringLiteral("t")), QByteArray("old content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("t")});
}

// A cancel before the start, and one in the middle of the body while the server has gone
// quiet: the download ends as cancelled at once, the old file and nothing else remains.
TEST_F(DownloadProgressTest, CancelEndsTheDownloadAndKeepsTheFile)
{
    ScriptedHttpServer::Script partial =
        ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 100\r\n", "first part");
    partial.holdOpen = true;
    server.answer(partial);
    const auto sent = static_cast<std::int32_t>(partial.steps.front().bytes.size());
    const QString target = dir.write(QStringLiteral("t"), "old content");
    for (const bool early : {true, false}) {
        SCOPED_TRACE(early ? "before the start" : "in the body");
        CancelToken cancel;
        if (early)
            cancel.cancel();
        DownloadOptions options;
        options.cancel = &cancel;
        // A long limit: only the cancel can end this download soon.
        options.waitLimit = 90s;
        // Cancelled once all the server sends has arrived: the transfer then waits.
        options.progress = [&cancel, sent](const DownloadProgress &progress) {
            if (progress.received == sent)
                cancel.cancel();
        };
        const auto start = std::chrono::steady_clock::now();
        const DownloadResult result =
            menu::core::download(server.address(QStringLiteral("/p")), target, options);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.cancelled);
        EXPECT_EQ(result.text, texts::downloadCancelled());
        EXPECT_EQ(result.hint, QString());
        EXPECT_EQ(dir.read(QStringLiteral("t")), QByteArray("old content"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("t")});
    }
}

} // namespace
