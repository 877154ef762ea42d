#include "core/Texts.h"
#include "support/Doctor.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>

using menu::test::TempDir;

namespace {

using menu::test::DoctorRun;
using menu::test::runDoctor;

TEST(DoctorIni, GetAndSet)
{
    TempDir dir;
    const QString file = dir.file(QStringLiteral("menu.ini"));

    DoctorRun run = runDoctor({"ini", "get", file, "OPTIONS", "Left"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QString::fromUtf8("\n"));

    run = runDoctor({"ini", "set", file, "OPTIONS", "Left", "10"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QString());
    run = runDoctor({"ini", "set", file, "ORVAN", "AktFil", "orvan šč.zip"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")),
              QByteArray("[OPTIONS]\r\nLeft=10\r\n[ORVAN]\r\nAktFil=orvan \x9A\xE8.zip\r\n"));

    run = runDoctor({"ini", "get", file, "options", "left"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QString::fromUtf8("10\n"));
    run = runDoctor({"ini", "get", file, "ORVAN", "AktFil"});
    EXPECT_EQ(run.out, QString::fromUtf8("orvan \xC5\xA1\xC4\x8D.zip\n"));
}

TEST(DoctorIni, WriteFailure)
{
    TempDir dir;
    const QString file = dir.file(QStringLiteral("menu.ini"));
    dir.write(QStringLiteral("menu.ini/keep"), "x");
    const DoctorRun run = runDoctor({"ini", "set", file, "OPTIONS", "Left", "10"});
    EXPECT_EQ(run.status, 1);
    // The launcher's message, with the system's reason in Slovak on the next line.
    EXPECT_EQ(run.err, "Unable to write to " + file + "\n" +
                           menu::core::texts::reason(menu::Failure::errnoValue(EISDIR)) + "\n");
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini/keep")), QByteArray("x"));
}

TEST(DoctorIni, WrongUsage)
{
    EXPECT_EQ(runDoctor({"ini", "get", "only-file"}).status, 2);
    EXPECT_EQ(runDoctor({"ini", "put", "f", "s", "k", "v"}).status, 2);
}

} // namespace
