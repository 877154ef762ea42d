// A cut download goes on where it stopped, asking a real server on 127.0.0.1 for the rest, and
// starts again from nothing whenever the answer does not continue the kept bytes.
#include "core/Download.h"

#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using menu::core::DownloadOptions;
using menu::core::DownloadResult;
using menu::core::FailureKind;
using menu::test::ScriptedHttpServer;
using Script = ScriptedHttpServer::Script;

namespace {

// A package of known length and hash, with the answers a server gives for it.
struct Package {
    QByteArray bytes;

    explicit Package(char seed = 'a')
    {
        for (int i = 0; i < 100000; ++i)
            bytes.append(static_cast<char>(seed + i % 23));
    }
    qint64 size() const { return bytes.size(); }
    QString sha256() const
    {
        return QString::fromLatin1(
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }

    // The whole file under validators, cut after `sent` bytes of the body (-1: not cut).
    Script whole(const QByteArray &validators, qint64 sent = -1) const
    {
        return ScriptedHttpServer::response("HTTP/1.1 200 OK",
                                            "Content-Length: " + QByteArray::number(size()) +
                                                "\r\n" + validators,
                                            sent < 0 ? bytes : bytes.left(sent));
    }
    // The rest of the file from byte `from` on, as a 206.
    Script rest(qint64 from, const QByteArray &validators = "ETag: \"v1\"\r\n") const
    {
        return ScriptedHttpServer::response(
            "HTTP/1.1 206 Partial Content",
            "Content-Length: " + QByteArray::number(size() - from) + "\r\nContent-Range: bytes " +
                QByteArray::number(from) + '-' + QByteArray::number(size() - 1) + '/' +
                QByteArray::number(size()) + "\r\n" + validators,
            bytes.mid(from));
    }
};

const QByteArray kEtag = "ETag: \"v1\"\r\n";

class DownloadResumeTest : public ::testing::Test {
  protected:
    DownloadResumeTest()
    {
        options.expectedLength = package.size();
        options.expectedSha256 = package.sha256();
        options.partialDir = dir.file(QStringLiteral("kept"));
        options.retryPause = 0ms;
    }

    DownloadResult download()
    {
        return menu::core::download(server.address(QStringLiteral("/pkg.zip")), target, options);
    }
    QByteArray rangeOf(int request) const
    {
        const QByteArray header = server.requests().value(request);
        const qsizetype at = header.indexOf("\r\nRange: ");
        return at < 0 ? QByteArray() : header.mid(at + 2, header.indexOf("\r\n", at + 2) - at - 2);
    }
    QByteArray ifRangeOf(int request) const
    {
        const QByteArray header = server.requests().value(request);
        const qsizetype at = header.indexOf("\r\nIf-Range: ");
        return at < 0 ? QByteArray()
                      : header.mid(at + 12, header.indexOf("\r\n", at + 2) - at - 12);
    }
    QStringList kept() const { return QDir(options.partialDir).entryList(QDir::Files); }

    Package package;
    ScriptedHttpServer server;
    menu::test::TempDir dir;
    QString target = dir.write(QStringLiteral("pkg.zip"), "old content");
    DownloadOptions options;
};

// Cut at the first byte, in the middle and before the last, named by a strong ETag, by the
// modification time alone, or by both where the ETag is weak (only a strong one may be used).
TEST_F(DownloadResumeTest, ACutDownloadAsksForTheRestAndTheWholeFileMatches)
{
    const QByteArray modified = "Last-Modified: Tue, 01 Dec 2026 08:00:00 GMT\r\n";
    const struct {
        QByteArray validators;
        QByteArray ifRange;
    } named[] = {
        {kEtag, "\"v1\""},
        {modified, "Tue, 01 Dec 2026 08:00:00 GMT"},
        {"ETag: W/\"weak\"\r\n" + modified, "Tue, 01 Dec 2026 08:00:00 GMT"},
    };
    for (const auto &n : named) {
        for (const qint64 cut : {qint64{1}, package.size() / 2, package.size() - 1}) {
            SCOPED_TRACE(n.validators.toStdString() + " cut after " + std::to_string(cut));
            const int before = static_cast<int>(server.requests().size());
            server.answerInTurn(
                {package.whole(n.validators, cut), package.rest(cut, n.validators)});
            const DownloadResult result = download();
            ASSERT_TRUE(result.ok) << result.hint.toStdString();
            EXPECT_EQ(dir.read(QStringLiteral("pkg.zip")), package.bytes);
            EXPECT_EQ(server.requests().size(), before + 2);
            EXPECT_EQ(rangeOf(before), QByteArray());
            EXPECT_EQ(rangeOf(before + 1), "Range: bytes=" + QByteArray::number(cut) + '-');
            EXPECT_EQ(ifRangeOf(before + 1), n.ifRange);
            EXPECT_EQ(kept(), QStringList()); // a whole file keeps nothing
        }
    }
}

// The user's next try (another click, or another start) goes on from the same bytes; until
// then the old file stays as it was.
TEST_F(DownloadResumeTest, TheNextDownloadGoesOnWhereTheLastOneStopped)
{
    options.retries = 0;
    server.answerInTurn({package.whole(kEtag, 40000), package.rest(40000)});
    const DownloadResult cut = download();
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.kind, FailureKind::Cut);
    EXPECT_EQ(dir.read(QStringLiteral("pkg.zip")), QByteArray("old content"));
    EXPECT_EQ(kept().size(), 2);

    ASSERT_TRUE(download().ok);
    EXPECT_EQ(rangeOf(1), "Range: bytes=40000-");
    EXPECT_EQ(dir.read(QStringLiteral("pkg.zip")), package.bytes);
}

// Whatever does not continue the kept bytes throws them away and fetches the whole file, at
// once: the server's file changed (its 200 comes with another ETag), the server ignores
// ranges, it sends another range, refuses the range, or the pieces do not give the hash.
TEST_F(DownloadResumeTest, AnAnswerThatDoesNotContinueTheKeptBytesStartsFromNothing)
{
    const qint64 cut = 30000;
    Package other('k');
    const struct {
        const char *name;
        std::vector<Script> after; // the answers after the first, cut one
        int wholeRequest;          // the request that asks for the whole file again
        QByteArray laterRange;     // then the one after it asks for this range ("": none)
    } cases[] = {
        {"changed file",
         {package.whole("ETag: \"v2\"\r\n", 50000), package.rest(50000, "ETag: \"v2\"\r\n")},
         -1,
         "Range: bytes=50000-"},
        {"range ignored", {package.whole(kEtag)}, -1, {}},
        {"another range", {package.rest(cut + 1), package.whole(kEtag)}, 2, {}},
        {"range refused",
         {ScriptedHttpServer::response("HTTP/1.1 416 Range Not Satisfiable", "", ""),
          package.whole(kEtag)},
         2,
         {}},
        {"pieces without the hash", {other.rest(cut), package.whole(kEtag)}, 2, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.answerInTurn({});
        const int before = static_cast<int>(server.requests().size());
        std::vector<Script> turns{package.whole(kEtag, cut)};
        turns.insert(turns.end(), c.after.begin(), c.after.end());
        server.answerInTurn(turns);
        const DownloadResult result = download();
        ASSERT_TRUE(result.ok) << result.hint.toStdString();
        EXPECT_EQ(dir.read(QStringLiteral("pkg.zip")), package.bytes);
        EXPECT_EQ(rangeOf(before + 1), "Range: bytes=" + QByteArray::number(cut) + '-');
        if (c.wholeRequest > 0) {
            EXPECT_EQ(rangeOf(before + c.wholeRequest), QByteArray());
        }
        if (!c.laterRange.isEmpty()) {
            EXPECT_EQ(rangeOf(before + 2), c.laterRange);
        }
        EXPECT_EQ(kept(), QStringList());
    }
}

// One download tries a bounded number of times. Nothing is kept, and no range asked for,
// where the server names no version of its file, or where no hash could check the whole.
TEST_F(DownloadResumeTest, TriesAreBoundedAndOnlyACheckableNamedFileIsKept)
{
    const struct {
        const char *name;
        QByteArray validators;
        bool hashKnown;
    } cases[] = {{"no validator", {}, true}, {"no hash", kEtag, false}};
    options.retries = 2;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.hashKnown)
            options.expectedSha256.clear();
        const int before = static_cast<int>(server.requests().size());
        server.answerInTurn({package.whole(c.validators, 500)});
        const DownloadResult result = download();
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.kind, FailureKind::Cut);
        EXPECT_EQ(server.requests().size(), before + 3);
        for (int i = before; i < before + 3; ++i)
            EXPECT_EQ(rangeOf(i), QByteArray()) << i;
        EXPECT_EQ(kept(), QStringList());
        EXPECT_EQ(dir.read(QStringLiteral("pkg.zip")), QByteArray("old content"));
        // Whole, the same answer is the file.
        server.answerInTurn({package.whole(c.validators)});
        EXPECT_TRUE(download().ok);
        EXPECT_EQ(dir.read(QStringLiteral("pkg.zip")), package.bytes);
        target = dir.write(QStringLiteral("pkg.zip"), "old content");
    }
}

// A cancel ends the pause between two tries at once, and keeps what arrived for later.
TEST_F(DownloadResumeTest, ACancelEndsThePauseBetweenTries)
{
    menu::core::CancelToken cancel;
    options.cancel = &cancel;
    options.retryPause = 24h;
    server.answerInTurn({package.whole(kEtag, 2000)});
    DownloadResult result;
    std::thread downloading([&] { result = download(); });
    while (server.requests().isEmpty())
        std::this_thread::yield();
    cancel.cancel();
    downloading.join();
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(dir.read(QStringLiteral("pkg.zip")), QByteArray("old content"));
}

} // namespace
