#include "core/HttpDown.h"

#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

using namespace std::chrono_literals;
using menu::core::fHttpDown;
using menu::core::IHttpDownProgress;
using menu::core::THttpDown;
using menu::test::ScriptedHttpServer;

namespace {

const QString kCritical = QStringLiteral("Kritická chyba pri sťahovaní!");
const QString kCriticalHintStart = kCritical + QStringLiteral("\r\r");

// ---------------------------------------------------------------------------------------------
// The two tables.

struct ResultTextCase {
    std::int32_t code;
    const char *text;
};

TEST(HttpResultText, GivesTheTextOfEachRange)
{
    const ResultTextCase cases[] = {
        {100, ""},
        {200, ""},
        {299, ""},
        {300, "Súbor nenájdený (300)!"},
        {302, "Súbor nenájdený (302)!"},
        {399, "Súbor nenájdený (399)!"},
        {400, "Stiahnutie neúspešné (400)!"},
        {404, "Stiahnutie neúspešné (404)!"},
        {499, "Stiahnutie neúspešné (499)!"},
        {500, "Server nenájdený (500)!"},
        {599, "Server nenájdený (599)!"},
        {99, "Neznáma chyba (99)!"},
        {600, "Neznáma chyba (600)!"},
        {0, "Neznáma chyba (0)!"},
        {-1, "Neznáma chyba (-1)!"},
        {std::numeric_limits<std::int32_t>::min(), "Neznáma chyba (-2147483648)!"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(menu::core::fHttpResultText(c.code), QString::fromUtf8(c.text)) << c.code;
}

struct LengthCase {
    const char *line;
    std::optional<std::int32_t> value; // nothing: a conversion error
};

TEST(HeaderContentLength, ReadsOnlyAnExactNameWithOneColon)
{
    const LengthCase cases[] = {
        {"Content-Length: 123", 123},
        {"Content-Length:123", 123},
        {"Content-Length: \t 42 \t", 42},
        {"Content-Length: 0", 0},
        {"Content-Length: -5", -5},
        {"Content-Length: 2147483647", 2147483647},
        {"X-Content-Length: 7", 7}, // "anywhere in the line"
        {"content-length: 5", -1},
        {"CONTENT-LENGTH: 5", -1},
        {"Content-Length 5", -1},
        {"Content-Length: 1:2", -1},
        {"Date: Mon, 01 Jan 2024 10:00:00 GMT", -1},
        {"", -1},
        {"Content-Length: abc", std::nullopt},
        {"Content-Length: ", std::nullopt},
        {"Content-Length: 12 34", std::nullopt},
        {"Content-Length: 0x10", std::nullopt},
        {"Content-Length: 2147483648", std::nullopt},
        {"Content-Length: 99999999999999999999999", std::nullopt},
    };
    for (const auto &c : cases) {
        const QString line = QString::fromLatin1(c.line);
        if (c.value) {
            EXPECT_EQ(menu::core::HeaderContentLength(line), *c.value) << c.line;
        } else {
            EXPECT_THROW(menu::core::HeaderContentLength(line), menu::core::ContentLengthError)
                << c.line;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Downloads from a real server on 127.0.0.1.

struct Call {
    QString text;
    std::int32_t current;
    std::int32_t max;
};

class Recorder : public IHttpDownProgress {
  public:
    void HttpDownProgressNotification(const QString &Text, std::int32_t CurrentProgress,
                                      std::int32_t MaxProgress) override
    {
        calls.push_back({Text, CurrentProgress, MaxProgress});
        if (failAt && calls.size() == *failAt)
            throw std::runtime_error("Gauge refuses the value");
    }
    std::vector<Call> calls;
    std::optional<size_t> failAt;
};

struct Outcome {
    bool ok;
    QString text;
    QString hint;
};

// Shortens the wait on a silent connection for one test.
class WaitLimit {
  public:
    explicit WaitLimit(std::chrono::milliseconds limit) : previous_(menu::core::detail::waitLimit())
    {
        menu::core::detail::setWaitLimitForTesting(limit);
    }
    ~WaitLimit() { menu::core::detail::setWaitLimitForTesting(previous_); }

  private:
    std::chrono::milliseconds previous_;
};

enum class Entry { Plain, Progress };

class HttpDownTest : public ::testing::TestWithParam<Entry> {
  protected:
    Outcome download(const QString &address, const QString &target)
    {
        Outcome outcome{false, QStringLiteral("unset"), QStringLiteral("unset")};
        if (GetParam() == Entry::Plain) {
            outcome.ok = fHttpDown(address, target, outcome.text, outcome.hint);
        } else {
            THttpDown down;
            outcome.ok =
                down.fHttpDownProgress2(address, target, recorder, outcome.text, outcome.hint);
        }
        return outcome;
    }

    // The target with old content, to see that a failure leaves it alone.
    QString existingTarget() { return dir.write(QStringLiteral("target.bin"), "old content"); }

    QStringList filesInDir() const { return QDir(dir.path()).entryList(QDir::Files); }

    ScriptedHttpServer server;
    menu::test::TempDir dir;
    Recorder recorder;
};

INSTANTIATE_TEST_SUITE_P(BothEntries, HttpDownTest,
                         ::testing::Values(Entry::Plain, Entry::Progress), [](const auto &param) {
                             return param.param == Entry::Plain ? "fHttpDown" : "THttpDown";
                         });

TEST_P(HttpDownTest, Status200ReplacesTheFileWithTheBody)
{
    server.answer(
        ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 11\r\n", "hello world"));
    const QString target = existingTarget();
    const Outcome outcome = download(server.address(QStringLiteral("/ORVANWIN/akt.ini")), target);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.text, QString());
    EXPECT_EQ(outcome.hint, QString());
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("hello world"));
    EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("target.bin")}); // no temporary left

    const QByteArray request = server.lastRequest();
    EXPECT_TRUE(request.startsWith("GET /ORVANWIN/akt.ini HTTP/1.0\r\n")) << request.data();
    EXPECT_TRUE(request.contains("\r\nUser-Agent: Mozilla/4.0 (compatible; ORVAN)\r\n"));
}

TEST_P(HttpDownTest, AReplacedFileKeepsItsPermissionsAndALinkKeepsPointingAtIt)
{
    const QString target = existingTarget();
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    const QString link = dir.file(QStringLiteral("current.bin"));
    ASSERT_TRUE(QFile::link(target, link));
    server.answer(ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "new content"));

    const Outcome outcome = download(server.address(QStringLiteral("/f")), link);
    EXPECT_TRUE(outcome.ok) << outcome.text.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("new content"));
    EXPECT_EQ(QFile::permissions(target),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(filesInDir().size(), 2);
}

TEST_P(HttpDownTest, AcceptsTheHttpSchemeAndIgnoresProxySettings)
{
    // A proxy from the environment would refuse the connection.
    const QByteArray proxy = "http://127.0.0.1:" + QByteArray::number(menu::test::refusingPort());
    qputenv("http_proxy", proxy);
    qputenv("HTTP_PROXY", proxy);
    server.answer(ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "body"));
    const Outcome outcome =
        download(QStringLiteral("http://") + server.address(QStringLiteral("/f")),
                 dir.file(QStringLiteral("f")));
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");
    EXPECT_TRUE(outcome.ok) << outcome.text.toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("f")), QByteArray("body"));
}

TEST_P(HttpDownTest, EncodesBlanksOfTheAddress)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "zip"));
    ASSERT_TRUE(download(server.address(QStringLiteral("/FILES/orvan 1.zip")),
                         dir.file(QStringLiteral("f")))
                    .ok);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /FILES/orvan%201.zip HTTP/1.0\r\n"));
}

TEST_P(HttpDownTest, FetchesOnlyOverHttpAndHttps)
{
    const WaitLimit limit(800ms);
    const QString secret = dir.write(QStringLiteral("secret.txt"), "local file");
    server.answer({{}, true}); // speaks no TLS: the handshake never completes
    const QString addresses[] = {
        QStringLiteral("file://") + secret,
        QStringLiteral("ftp://") + server.address(QStringLiteral("/x")),
        QStringLiteral("https://") + server.address(QStringLiteral("/x")),
    };
    for (const QString &address : addresses) {
        const QString target = existingTarget();
        const Outcome outcome = download(address, target);
        EXPECT_FALSE(outcome.ok) << address.toStdString();
        EXPECT_EQ(outcome.text, QStringLiteral("Server nenájdený (500)!"));
        EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
    }
}

TEST_P(HttpDownTest, EmptyBodyWritesAnEmptyFile)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 204 No Content", "", ""));
    const QString target = existingTarget();
    EXPECT_TRUE(download(server.address(QStringLiteral("/empty")), target).ok);
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_EQ(QFile(target).size(), 0);
}

struct FailureCase {
    const char *name;
    ScriptedHttpServer::Script script;
    const char *text;
    bool critical; // the critical-error texts, else the table's with an empty hint
};

TEST_P(HttpDownTest, EveryFailureKeepsTheExistingFile)
{
    const FailureCase cases[] = {
        {"moved permanently",
         ScriptedHttpServer::response("HTTP/1.1 301 Moved Permanently",
                                      "Location: /elsewhere\r\nContent-Length: 5\r\n", "moved"),
         "Súbor nenájdený (301)!", false},
        {"found",
         ScriptedHttpServer::response("HTTP/1.0 302 Found", "Location: /elsewhere\r\n", ""),
         "Súbor nenájdený (302)!", false},
        {"not found",
         ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "Content-Length: 9\r\n",
                                      "not found"),
         "Stiahnutie neúspešné (404)!", false},
        {"internal error",
         ScriptedHttpServer::response("HTTP/1.0 500 Internal Server Error", "", "oops"),
         "Server nenájdený (500)!", false},
        {"server error", ScriptedHttpServer::response("HTTP/1.0 503 Busy", "", "busy"),
         "Server nenájdený (503)!", false},
        {"odd status", ScriptedHttpServer::response("HTTP/1.0 600 Odd", "", "odd"),
         "Neznáma chyba (600)!", false},
        {"cut short",
         ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 100\r\n", "only ten b"),
         "Kritická chyba pri sťahovaní!", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer(c.script);
        const QString target = existingTarget();
        const int before = server.connections();
        const Outcome outcome = download(server.address(QStringLiteral("/pkg.zip")), target);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.text, QString::fromUtf8(c.text));
        if (c.critical)
            EXPECT_TRUE(outcome.hint.startsWith(kCriticalHintStart)) << outcome.hint.toStdString();
        else
            EXPECT_EQ(outcome.hint, QString());
        EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
        EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("target.bin")});
        EXPECT_EQ(server.connections(), before + 1); // a redirection is not followed
    }
}

TEST_P(HttpDownTest, RefusedConnectionIsResult500)
{
    const QString target = existingTarget();
    const Outcome outcome =
        download(QStringLiteral("127.0.0.1:%1/x").arg(menu::test::refusingPort()), target);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, QStringLiteral("Server nenájdený (500)!"));
    EXPECT_EQ(outcome.hint, QString());
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
}

TEST_P(HttpDownTest, SilentServerEndsInResult500AfterTheWaitLimit)
{
    const WaitLimit limit(800ms);
    server.answer({{}, true});
    const QString target = existingTarget();
    const auto start = std::chrono::steady_clock::now();
    const Outcome outcome = download(server.address(QStringLiteral("/x")), target);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, QStringLiteral("Server nenájdený (500)!"));
    EXPECT_GE(took, 800ms);
    EXPECT_LT(took, 10s);
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
}

TEST_P(HttpDownTest, ServerFallingSilentInTheBodyIsACriticalError)
{
    const WaitLimit limit(800ms);
    ScriptedHttpServer::Script script =
        ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 10\r\n", "12345");
    script.holdOpen = true;
    server.answer(script);
    const QString target = existingTarget();
    const Outcome outcome = download(server.address(QStringLiteral("/x")), target);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, kCritical);
    EXPECT_TRUE(outcome.hint.startsWith(kCriticalHintStart));
    EXPECT_GT(outcome.hint.size(), kCriticalHintStart.size());
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
    EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("target.bin")});
}

TEST_P(HttpDownTest, TargetInAMissingDirectoryIsACriticalErrorWithTheSystemsReason)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "", "data"));
    const QString target = dir.file(QStringLiteral("missing/target.bin"));
    const Outcome outcome = download(server.address(QStringLiteral("/x")), target);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, kCritical);
    EXPECT_TRUE(outcome.hint.startsWith(kCriticalHintStart + QStringLiteral("Súbor ")));
    EXPECT_TRUE(outcome.hint.contains(target)) << outcome.hint.toStdString();
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_FALSE(QDir(dir.file(QStringLiteral("missing"))).exists());
}

TEST_P(HttpDownTest, ChunkedBodyArrivesWhole)
{
    server.answer(
        ScriptedHttpServer::byteByByte("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                       "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n",
                                       1ms));
    const QString target = existingTarget();
    const Outcome outcome = download(server.address(QStringLiteral("/c")), target);
    EXPECT_TRUE(outcome.ok) << outcome.hint.toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("hello world"));
}

TEST_P(HttpDownTest, HugeHeaderBlockEndsCleanly)
{
    // Several megabytes of header lines before the body.
    QByteArray headers;
    const QByteArray line = "X-Filler: " + QByteArray(1000, 'f') + "\r\n";
    while (headers.size() < 4 * 1024 * 1024)
        headers += line;
    server.answer(
        ScriptedHttpServer::response("HTTP/1.1 200 OK", headers + "Content-Length: 4\r\n", "data"));
    const QString target = existingTarget();
    const Outcome outcome = download(server.address(QStringLiteral("/h")), target);
    // libcurl may refuse a header block this large; either way the file is whole.
    if (outcome.ok) {
        EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("data"));
    } else {
        EXPECT_EQ(outcome.text, kCritical);
        EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
    }
    EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("target.bin")});
}

TEST_P(HttpDownTest, TargetThatCannotBeReplacedIsACriticalError)
{
    // A directory with something in it stands where the file should go.
    dir.write(QStringLiteral("target.bin/keep"), "kept");
    server.answer(ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "data"));
    const Outcome outcome =
        download(server.address(QStringLiteral("/t")), dir.file(QStringLiteral("target.bin")));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, kCritical);
    EXPECT_TRUE(outcome.hint.startsWith(kCriticalHintStart));
    EXPECT_GT(outcome.hint.size(), kCriticalHintStart.size());
    EXPECT_EQ(dir.read(QStringLiteral("target.bin/keep")), QByteArray("kept"));
    EXPECT_EQ(filesInDir(), QStringList());
}

TEST_P(HttpDownTest, EmptyBodyForAMissingDirectoryIsACriticalErrorToo)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 204 No Content", "", ""));
    const Outcome outcome =
        download(server.address(QStringLiteral("/x")), dir.file(QStringLiteral("missing/t")));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, kCritical);
}

// ---------------------------------------------------------------------------------------------
// Progress of THttpDown.

class HttpProgressTest : public ::testing::Test {
  protected:
    ScriptedHttpServer server;
    menu::test::TempDir dir;
    Recorder recorder;
    THttpDown down;
    QString text;
    QString hint;
};

// Checks what every notification sequence must satisfy and returns the sum of the blocks.
std::int32_t checkBlocks(const std::vector<Call> &calls)
{
    std::int32_t sum = 0;
    for (const Call &call : calls) {
        EXPECT_TRUE(call.text.startsWith(QStringLiteral("ReadCount "))) << call.text.toStdString();
        const int block = call.text.mid(10).toInt();
        EXPECT_GT(block, 0);
        sum += block;
        EXPECT_EQ(call.current, sum);
    }
    return sum;
}

TEST_F(HttpProgressTest, CountsHeaderAndBodyAndLearnsTheLengthAfterItsLine)
{
    const QByteArray header = "HTTP/1.0 200 OK\r\nServer: scripted\r\nContent-Length: 5\r\n"
                              "X-After: 1\r\n\r\n";
    server.answer(ScriptedHttpServer::byteByByte(header + "hello", 2ms));
    ASSERT_TRUE(down.fHttpDownProgress2(server.address(QStringLiteral("/p")),
                                        dir.file(QStringLiteral("p")), recorder, text, hint));
    EXPECT_EQ(dir.read(QStringLiteral("p")), QByteArray("hello"));

    const auto &calls = recorder.calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(checkBlocks(calls), header.size() + 5);
    EXPECT_EQ(calls.back().current, header.size() + 5);
    // -1 up to and including the block that carried the length line, 5 from then on.
    EXPECT_EQ(calls.front().max, -1);
    size_t firstKnown = 0;
    while (firstKnown < calls.size() && calls[firstKnown].max == -1)
        ++firstKnown;
    ASSERT_LT(firstKnown, calls.size());
    ASSERT_GE(firstKnown, 3u); // status line, Server, Content-Length
    for (size_t i = firstKnown; i < calls.size(); ++i)
        EXPECT_EQ(calls[i].max, 5) << i;
    // The body came byte by byte: one notification per block.
    EXPECT_GE(calls.size(), 4u + 5u);
}

TEST_F(HttpProgressTest, LengthInOtherCaseIsNotRecognised)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "content-length: 4\r\n", "data"));
    ASSERT_TRUE(down.fHttpDownProgress2(server.address(QStringLiteral("/p")),
                                        dir.file(QStringLiteral("p")), recorder, text, hint));
    ASSERT_FALSE(recorder.calls.empty());
    for (const Call &call : recorder.calls)
        EXPECT_EQ(call.max, -1);
    EXPECT_EQ(dir.read(QStringLiteral("p")), QByteArray("data"));
}

TEST_F(HttpProgressTest, UnreadableLengthIsACriticalErrorAndKeepsTheFile)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK",
                                               "Content-Length:  12abc \r\nX-Next: 1\r\n", ""));
    const QString target = dir.write(QStringLiteral("t"), "old content");
    EXPECT_FALSE(down.fHttpDownProgress2(server.address(QStringLiteral("/p")), target, recorder,
                                         text, hint));
    EXPECT_EQ(text, kCritical);
    EXPECT_TRUE(hint.startsWith(kCriticalHintStart));
    EXPECT_TRUE(hint.contains(QStringLiteral("12abc"))) << hint.toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("t")), QByteArray("old content"));
}

TEST_F(HttpProgressTest, ErrorOfTheMonitorEndsTheDownloadAndTheObjectServesAgain)
{
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 4\r\n", "data"));
    const QString target = dir.write(QStringLiteral("t"), "old content");
    recorder.failAt = 2;
    EXPECT_FALSE(down.fHttpDownProgress2(server.address(QStringLiteral("/p")), target, recorder,
                                         text, hint));
    EXPECT_EQ(text, kCritical);
    EXPECT_EQ(hint, kCriticalHintStart + QStringLiteral("Gauge refuses the value"));
    EXPECT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(dir.read(QStringLiteral("t")), QByteArray("old content"));

    // The next download starts from nothing again.
    Recorder second;
    ASSERT_TRUE(
        down.fHttpDownProgress2(server.address(QStringLiteral("/p")), target, second, text, hint));
    EXPECT_EQ(text, QString());
    EXPECT_EQ(hint, QString());
    ASSERT_FALSE(second.calls.empty());
    EXPECT_EQ(second.calls.front().max, -1);
    EXPECT_EQ(second.calls.back().max, 4);
    EXPECT_EQ(checkBlocks(second.calls), second.calls.back().current);
    EXPECT_EQ(dir.read(QStringLiteral("t")), QByteArray("data"));
}

TEST_F(HttpProgressTest, ForeignErrorOfTheMonitorPassesThrough)
{
    class Thrower : public IHttpDownProgress {
      public:
        void HttpDownProgressNotification(const QString &, std::int32_t, std::int32_t) override
        {
            throw 42;
        }
    } thrower;
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "", "data"));
    const QString target = dir.write(QStringLiteral("t"), "old content");
    EXPECT_THROW(
        down.fHttpDownProgress2(server.address(QStringLiteral("/p")), target, thrower, text, hint),
        int);
    EXPECT_EQ(dir.read(QStringLiteral("t")), QByteArray("old content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("t")});
}

TEST(HttpDownPlain, UnreadableLengthEndsThePlainDownloadToo)
{
    // libcurl needs the length to know where the body ends and refuses a line it cannot read.
    ScriptedHttpServer server;
    menu::test::TempDir dir;
    const QString target = dir.write(QStringLiteral("t"), "old content");
    for (const char *value : {"abc", "12abc"}) {
        server.answer(ScriptedHttpServer::response(
            "HTTP/1.0 200 OK", QByteArray("Content-Length: ") + value + "\r\n", "data"));
        QString text;
        QString hint;
        EXPECT_FALSE(fHttpDown(server.address(QStringLiteral("/p")), target, text, hint));
        EXPECT_EQ(text, kCritical) << value;
        EXPECT_TRUE(hint.startsWith(kCriticalHintStart + QStringLiteral("Prenos zlyhal: ")) ||
                    hint.startsWith(kCriticalHintStart + QStringLiteral("Spojenie sa skončilo")))
            << hint.toStdString();
        EXPECT_EQ(dir.read(QStringLiteral("t")), QByteArray("old content"));
    }
}

} // namespace
