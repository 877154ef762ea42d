#include "core/Texts.h"
#include "platform/ProfileFiles.h"
#include "support/Doctor.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

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

// Every user of the computer writes the same menu.ini; forty writers at once must keep all
// forty values, each one's read and replacement shielded from the others by the file's lock.
TEST(DoctorIni, ParallelWritersLoseNoKey)
{
    constexpr int kWriters = 40;
    TempDir dir;
    const QString file = dir.file(QStringLiteral("menu.ini"));
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < kWriters; ++i) {
        auto &writer = *writers.emplace_back(std::make_unique<QProcess>());
        writer.start(QStringLiteral(MENU_DOCTOR_PATH),
                     {QStringLiteral("ini"), QStringLiteral("set"), file, QStringLiteral("OPTIONS"),
                      QStringLiteral("Key%1").arg(i), QString::number(i)});
    }
    for (auto &writer : writers) {
        ASSERT_TRUE(writer->waitForFinished(60000));
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
    }
    menu::platform::ProfileFiles store;
    for (int i = 0; i < kWriters; ++i) {
        EXPECT_EQ(store.read(file, QStringLiteral("OPTIONS"), QStringLiteral("Key%1").arg(i)),
                  QString::number(i))
            << i;
    }
    // Nothing beside the file but its lock file: no temporary of a writer.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({QStringLiteral("menu.ini"), QStringLiteral("menu.ini.lock")}));
}

TEST(DoctorIni, WrongUsage)
{
    EXPECT_EQ(runDoctor({"ini", "get", "only-file"}).status, 2);
    EXPECT_EQ(runDoctor({"ini", "put", "f", "s", "k", "v"}).status, 2);
}

} // namespace
