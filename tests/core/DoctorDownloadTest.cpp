#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

using menu::test::ScriptedHttpServer;

struct DoctorRun {
    int status;
    QString out;
    QString err;
};

DoctorRun doctor(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(MENU_DOCTOR_PATH), args);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(DoctorDownload, ShowsProgressOrTheErrorTexts)
{
    ScriptedHttpServer server;
    menu::test::TempDir dir;
    const QString target = dir.file(QStringLiteral("f.bin"));

    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 4\r\n", "data"));
    const DoctorRun ok =
        doctor({QStringLiteral("download"), server.address(QStringLiteral("/f")), target});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.startsWith(QStringLiteral("ReadCount "))) << ok.out.toStdString();
    EXPECT_TRUE(ok.out.contains(QStringLiteral(" / 4\n")));
    EXPECT_EQ(dir.read(QStringLiteral("f.bin")), QByteArray("data"));

    server.answer(ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "", ""));
    const DoctorRun missing =
        doctor({QStringLiteral("download"), server.address(QStringLiteral("/g")), target});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, QStringLiteral("Stiahnutie neúspešné (404)!\n"));

    EXPECT_EQ(doctor({QStringLiteral("download")}).status, 2);
}

} // namespace
