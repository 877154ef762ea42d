#include "support/TempDir.h"

#include <QProcess>
#include <gtest/gtest.h>

using menu::test::TempDir;

namespace {

struct DoctorRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

DoctorRun doctor(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(MENU_DOCTOR_PATH), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST(DoctorIni, GetAndSet)
{
    TempDir dir;
    const QString file = dir.file(QStringLiteral("menu.ini"));

    DoctorRun run = doctor({"ini", "get", file, "OPTIONS", "Left"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QByteArray("\n"));

    run = doctor({"ini", "set", file, "OPTIONS", "Left", "10"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QByteArray());
    run = doctor({"ini", "set", file, "ORVAN", "AktFil", "orvan šč.zip"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")),
              QByteArray("[OPTIONS]\r\nLeft=10\r\n[ORVAN]\r\nAktFil=orvan \x9A\xE8.zip\r\n"));

    run = doctor({"ini", "get", file, "options", "left"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QByteArray("10\n"));
    run = doctor({"ini", "get", file, "ORVAN", "AktFil"});
    EXPECT_EQ(run.out, QByteArray("orvan \xC5\xA1\xC4\x8D.zip\n"));
}

TEST(DoctorIni, WriteFailure)
{
    TempDir dir;
    const QString file = dir.file(QStringLiteral("menu.ini"));
    dir.write(QStringLiteral("menu.ini/keep"), "x");
    const DoctorRun run = doctor({"ini", "set", file, "OPTIONS", "Left", "10"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith(("Unable to write to " + file + "\n").toUtf8()))
        << run.err.data();
    EXPECT_EQ(run.out, QByteArray());
}

TEST(DoctorIni, WrongUsage)
{
    EXPECT_EQ(doctor({"ini", "get", "only-file"}).exitCode, 2);
    EXPECT_EQ(doctor({"ini", "put", "f", "s", "k", "v"}).exitCode, 2);
}

} // namespace
