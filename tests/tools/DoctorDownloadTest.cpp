#include "support/Doctor.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

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
    EXPECT_TRUE(ok.out.startsWith(QStringLiteral("ReadCount "))) << ok.out.toStdString();
    EXPECT_TRUE(ok.out.contains(QStringLiteral(" / 4\n")));
    EXPECT_EQ(dir.read(QStringLiteral("f.bin")), QByteArray("data"));

    server.answer(ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "", ""));
    const DoctorRun missing =
        runDoctor({QStringLiteral("download"), server.address(QStringLiteral("/g")), target});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, QStringLiteral("Stiahnutie neúspešné (404)!\n"));

    EXPECT_EQ(runDoctor({QStringLiteral("download")}).status, 2);
}

} // namespace
