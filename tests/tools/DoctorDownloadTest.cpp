#include "support/Doctor.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using menu::test::DoctorRun;
using menu::test::runDoctor;

using menu::test::ScriptedHttpServer;

TEST(DoctorDownload, ShowsProgressOrTheErrorTexts)
{
    ScriptedHttpServer server;
    menu::test::TempDir dir;
    const QString target = dir.file(QStringLiteral("f.bin"));

    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 4\r\n", "data"));
    const DoctorRun ok =
        runDoctor({QStringLiteral("download"), server.address(QStringLiteral("/f")), target});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    // One line per block received: the bytes so far (header included), growing, and the body's
    // length once its line has been read; then where the file went.
    QStringList lines = ok.out.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.takeLast(), QString());
    EXPECT_EQ(lines.takeLast(), QStringLiteral("OK: ") + target);
    const QRegularExpression progress(QStringLiteral("^received: (\\d+) / (-1|4)$"));
    qint64 last = 0;
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = progress.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        EXPECT_GT(match.captured(1).toLongLong(), last) << line.toStdString();
        last = match.captured(1).toLongLong();
    }
    EXPECT_TRUE(lines.first().endsWith(QStringLiteral(" / -1")));
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(" / 4")));
    EXPECT_EQ(dir.read(QStringLiteral("f.bin")), QByteArray("data"));

    server.answer(ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "", ""));
    const DoctorRun missing =
        runDoctor({QStringLiteral("download"), server.address(QStringLiteral("/g")), target});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, QStringLiteral("Stiahnutie neúspešné (404)!\n"));

    // A critical error: the short text, then its detail with the line breaks a terminal keeps.
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: x\r\n", ""));
    const DoctorRun critical =
        runDoctor({QStringLiteral("download"), server.address(QStringLiteral("/h")), target});
    EXPECT_EQ(critical.status, 1);
    EXPECT_TRUE(critical.err.startsWith(QStringLiteral(
        "Kritická chyba pri sťahovaní!\nKritická chyba pri sťahovaní!\n\nPrenos zlyhal: ")))
        << critical.err.toStdString();
    EXPECT_FALSE(critical.err.contains(QChar(13)));
    EXPECT_EQ(dir.read(QStringLiteral("f.bin")), QByteArray("data"));

    EXPECT_EQ(runDoctor({QStringLiteral("download")}).status, 2);
}

} // namespace
