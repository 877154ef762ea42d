// What a download refuses, against a real HTTP server on 127.0.0.1: a file other than the one
// announced, a response that is no file, and servers that would keep a transfer going. Every
// refusal leaves the existing file as it was and nothing beside it. Limits are short here, so
// that a refusal by time comes in a fraction of a second.
#include "core/Download.h"
#include "core/DownloadTexts.h"
#include "core/Texts.h"
#include "core/UpdateTexts.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using menu::core::DownloadOptions;
using menu::core::DownloadResult;
using menu::test::ScriptedHttpServer;
using Script = ScriptedHttpServer::Script;
namespace texts = menu::core::texts;

namespace {

const QByteArray kBody = "the new program, version 2\n";
const qint64 kLength = kBody.size();
const QString kSha256 =
    QString::fromLatin1(QCryptographicHash::hash(kBody, QCryptographicHash::Sha256).toHex());

Script ok200(const QByteArray &body, bool withLength = true)
{
    return ScriptedHttpServer::response(
        "HTTP/1.0 200 OK",
        withLength ? "Content-Length: " + QByteArray::number(body.size()) + "\r\n" : "", body);
}

// The header, then the body's step again and again.
Script endless(const QByteArray &header, const QByteArray &step, std::chrono::milliseconds pause)
{
    return Script{{{header, 0ms}, {step, pause}}, false, true};
}

QString critical(const QString &detail)
{
    return texts::downloadCriticalHint(detail);
}

class DownloadRefusalTest : public ::testing::Test {
  protected:
    // The target with old content, to see that a refusal leaves it alone.
    QString existingTarget() { return dir.write(QStringLiteral("target.bin"), "old content"); }
    QByteArray targetContent() const { return dir.read(QStringLiteral("target.bin")); }
    QStringList filesInDir() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    // One answer each: tries again have their own suite.
    DownloadResult fetch(DownloadOptions options)
    {
        options.retries = 0;
        return menu::core::download(server.address(QStringLiteral("/FILES/tv.exe")),
                                    existingTarget(), options);
    }

    void expectRefusedAndKept(const DownloadResult &outcome)
    {
        EXPECT_FALSE(outcome.ok);
        EXPECT_FALSE(outcome.cancelled);
        EXPECT_EQ(targetContent(), QByteArray("old content"));
        EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("target.bin")});
    }

    ScriptedHttpServer server;
    menu::test::TempDir dir;
};

// ---- The announced length and SHA-256 ----

struct FileCase {
    const char *name;
    Script script;
    std::optional<qint64> length;
    QString sha256;
    QString text;        // empty: the file is taken
    bool fetched = true; // whether the server was asked at all
};

TEST_F(DownloadRefusalTest, OnlyTheAnnouncedFileReplacesTheTarget)
{
    QByteArray wrongByte = kBody;
    wrongByte[3] = 'X';
    const QString wrongSha = QString::fromLatin1(
        QCryptographicHash::hash(wrongByte, QCryptographicHash::Sha256).toHex());
    const QByteArray shortBody = kBody.chopped(1);
    const FileCase cases[] = {
        {"exact", ok200(kBody), kLength, kSha256, {}},
        {"hash in upper case", ok200(kBody), kLength, kSha256.toUpper(), {}},
        {"length only", ok200(kBody, false), kLength, {}, {}},
        {"one byte short, announced by the server", ok200(shortBody), kLength, kSha256,
         texts::fileLengthWrong(kLength - 1, kLength)},
        {"one byte short, connection closed", ok200(shortBody, false), kLength, kSha256,
         texts::fileLengthWrong(kLength - 1, kLength)},
        {"one byte long, connection closed", ok200(kBody + "!", false), kLength, kSha256,
         texts::fileLongerThanAnnounced(kLength + 1, kLength)},
        {"right length, wrong hash", ok200(wrongByte), kLength, kSha256,
         texts::fileHashWrong(wrongSha, kSha256)},
        {"wrong hash, no length announced", ok200(wrongByte), std::nullopt, kSha256,
         texts::fileHashWrong(wrongSha, kSha256)},
        {"announced length 0", ok200(kBody), 0, kSha256, texts::announcedLengthInvalid(0), false},
        {"announced hash not hex", ok200(kBody), kLength, QStringLiteral("sha256:1234"),
         texts::announcedHashInvalid(QStringLiteral("sha256:1234")), false},
        {"announced hash one digit short", ok200(kBody), kLength, kSha256.chopped(1),
         texts::announcedHashInvalid(kSha256.chopped(1)), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer(c.script);
        const int before = server.connections();
        DownloadOptions options;
        options.expectedLength = c.length;
        options.expectedSha256 = c.sha256;
        const DownloadResult outcome = fetch(options);
        EXPECT_EQ(outcome.text, c.text);
        EXPECT_EQ(server.connections(), before + (c.fetched ? 1 : 0));
        if (c.text.isEmpty()) {
            EXPECT_TRUE(outcome.ok);
            EXPECT_EQ(targetContent(), kBody);
        } else {
            expectRefusedAndKept(outcome);
        }
    }
}

// Team Viewer's program is replaced in place, through the link that names it and keeping its
// mode, by a checked file only; a file that fails its check leaves both as they were.
TEST_F(DownloadRefusalTest, ACheckedFileReplacesAProgramThroughItsLinkAndKeepsItsMode)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX links and mode bits: QFile::link makes a shortcut file on Windows";
#endif
    const QString program = dir.write(QStringLiteral("TeamViewerQS.exe"), "old program");
    const auto runnable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                          QFile::WriteUser | QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(program, runnable));
    const QString link = dir.file(QStringLiteral("tv.exe"));
    ASSERT_TRUE(QFile::link(program, link));
    for (const bool good : {false, true}) {
        SCOPED_TRACE(good ? "checked" : "another file");
        server.answer(ok200(good ? kBody : QByteArray("an HTML listing of the directory")));
        DownloadOptions options;
        options.expectedLength = kLength;
        options.expectedSha256 = kSha256;
        const DownloadResult outcome =
            menu::core::download(server.address(QStringLiteral("/FILES/tv.exe")), link, options);
        EXPECT_EQ(outcome.ok, good) << outcome.text.toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), program);
        EXPECT_EQ(dir.read(QStringLiteral("TeamViewerQS.exe")),
                  good ? kBody : QByteArray("old program"));
        EXPECT_EQ(QFile::permissions(program), runnable);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }
}

// ---- Responses that are no file ----

struct ServerCase {
    const char *name;
    Script script;
    QString text;
    QString hint = {};      // empty: none; checked whole unless hintStart
    bool hintStart = false; // the hint begins with hint (its rest is libcurl's)
    std::function<void(DownloadOptions &)> limits = {};
    bool tooLarge = false;
};

TEST_F(DownloadRefusalTest, OnlyAWholeBodyOfA200IsAFile)
{
    const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    const ServerCase cases[] = {
        {"204", ScriptedHttpServer::response("HTTP/1.1 204 No Content", "", ""),
         texts::statusNotAFile(204)},
        {"206",
         ScriptedHttpServer::response("HTTP/1.1 206 Partial Content",
                                      "Content-Range: bytes 0-3/100\r\nContent-Length: 4\r\n",
                                      "part"),
         texts::statusNotAFile(206)},
        {"201", ScriptedHttpServer::response("HTTP/1.0 201 Created", "", "made"),
         texts::statusNotAFile(201)},
        {"Content-Length: 0", ok200(""), texts::emptyFile()},
        {"no body, connection closed", ok200("", false), texts::emptyFile()},
        {"chunked without its last chunk", Script{{{chunked + "5\r\nhello\r\n", 0ms}}, false},
         texts::downloadCritical(), critical(texts::connectionEndedEarly(QString())), true},
        {"chunked, cut inside a chunk", Script{{{chunked + "10\r\nhello", 0ms}}, false},
         texts::downloadCritical(), critical(texts::connectionEndedEarly(QString())), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer(c.script);
        const DownloadResult outcome = fetch({});
        EXPECT_EQ(outcome.text, c.text);
        if (c.hintStart)
            EXPECT_TRUE(outcome.hint.startsWith(c.hint)) << outcome.hint.toStdString();
        else
            EXPECT_EQ(outcome.hint, c.hint);
        expectRefusedAndKept(outcome);
    }
}

// ---- Servers that would keep a transfer going ----

// A drip and a body without end stop by the rate, the cap or the deadline; a length far above
// the cap and a header without end are refused as soon as they are seen, whatever the limits
// of time (the server then holds the connection open, so that only the refusal ends it).
TEST_F(DownloadRefusalTest, TransfersEndInBoundedTime)
{
    const QByteArray ok = "HTTP/1.0 200 OK\r\n\r\n";
    Script huge =
        ScriptedHttpServer::response("HTTP/1.0 200 OK", "Content-Length: 3221225472\r\n", "MZ");
    huge.holdOpen = true;
    QByteArray headerLines;
    for (int i = 0; i < 100000; ++i)
        headerLines += "X-Filler-" + QByteArray::number(i) + ": f\r\n";
    Script manyLines = ScriptedHttpServer::response("HTTP/1.0 200 OK", headerLines, "body");
    manyLines.holdOpen = true;
    // Each row ends long before the other limits would end it, had its own rule failed.
    const auto atOnce = [](DownloadOptions &o) { o.waitLimit = 5s; };
    const auto shortRate = [](DownloadOptions &o) {
        o.minRate = 1000;
        o.rateWindow = 200ms;
        o.deadline = 5s;
    };
    const auto shortDeadline = [](DownloadOptions &o) {
        o.minRate = 1000;
        o.rateWindow = 200ms;
        o.deadline = 300ms;
    };
    const auto smallCap = [](DownloadOptions &o) {
        o.maxBytes = 64 * 1024;
        o.deadline = 5s;
    };
    const qint64 gigabytes3 = 3221225472LL;
    const ServerCase cases[] = {
        {"a drip of a byte every 20 ms", endless(ok, "x", 20ms), texts::downloadCritical(),
         critical(QStringLiteral("Sťahovanie je príliš pomalé: ")), true, shortRate},
        {"an endless body at full speed", endless(ok, QByteArray(4096, 'x'), 0ms),
         texts::fileTooLarge(64 * 1024), QString(), false, smallCap, true},
        {"an endless body fast enough for the rate", endless(ok, QByteArray(1000, 'x'), 5ms),
         texts::downloadCritical(), critical(texts::transferTooLong(QStringLiteral("0.3"))), false,
         shortDeadline},
        {"3 GB announced", huge, texts::fileTooLarge(gigabytes3, menu::core::kMaxDownloadBytes),
         QString(), false, atOnce, true},
        {"100,000 header lines", manyLines, texts::downloadCritical(),
         critical(texts::headerTooLong(64 * 1024)), false, atOnce},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer(c.script);
        DownloadOptions options;
        if (c.limits)
            c.limits(options);
        const DownloadResult outcome = fetch(options);
        EXPECT_EQ(outcome.text, c.text);
        if (c.hintStart)
            EXPECT_TRUE(outcome.hint.startsWith(c.hint)) << outcome.hint.toStdString();
        else
            EXPECT_EQ(outcome.hint, c.hint);
        EXPECT_EQ(outcome.tooLarge, c.tooLarge);
        expectRefusedAndKept(outcome);
    }
}

// The deadline grows with the announced length: a body that keeps the planned rate arrives
// whole however long it takes, while the same body without a length stops at the deadline.
TEST_F(DownloadRefusalTest, TheDeadlineGrowsWithTheAnnouncedLength)
{
    Script slowButSteady{{{"HTTP/1.0 200 OK\r\nContent-Length: 40000\r\n\r\n", 0ms}}, false};
    Script withoutLength{{{"HTTP/1.0 200 OK\r\n\r\n", 0ms}}, false};
    for (int i = 0; i < 40; ++i) {
        slowButSteady.steps.push_back({QByteArray(1000, 'a'), 10ms});
        withoutLength.steps.push_back({QByteArray(1000, 'a'), 10ms});
    }
    DownloadOptions options;
    options.minRate = 10000;
    options.plannedRate = 10000;
    options.rateWindow = 100ms;
    options.deadline = 100ms;

    server.answer(slowButSteady);
    const DownloadResult whole = fetch(options);
    EXPECT_TRUE(whole.ok) << whole.hint.toStdString();
    EXPECT_EQ(targetContent(), QByteArray(40000, 'a'));

    server.answer(withoutLength);
    const DownloadResult cut = fetch(options);
    EXPECT_EQ(cut.hint, critical(texts::transferTooLong(QStringLiteral("0.1"))));
    expectRefusedAndKept(cut);
}

} // namespace
