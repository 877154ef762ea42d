// menu-doctor version and icon, as support staff run them.
#include "support/TempDir.h"
#include "core/PeFixtures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>

using namespace menu::test;

namespace {

struct DoctorRun {
    int status;
    QString out;
};

DoctorRun doctor(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(MENU_DOCTOR_PATH), args);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

TEST(VersionDoctor, PrintsTheThreeReadsWithTheirResults)
{
    const DoctorRun slovak = doctor({QStringLiteral("version"), peFixture("slovak.exe")});
    EXPECT_EQ(slovak.status, 0);
    EXPECT_EQ(slovak.out, QStringLiteral("FileVersion: 0 2.0.1.15\n"
                                         "ProductVersion: 1 \n"
                                         "FileDatum: 0 04.12.2023\n"));
    const DoctorRun missing = doctor({QStringLiteral("version"), peFixture("missing.exe")});
    EXPECT_EQ(missing.status, 0);
    EXPECT_EQ(missing.out,
              QStringLiteral("FileVersion: 3 \nProductVersion: 3 \nFileDatum: 3 \n"));
    EXPECT_EQ(doctor({QStringLiteral("version")}).status, 2);
}

TEST(VersionDoctor, WritesTheIconOrFailsWithoutOne)
{
    TempDir dir;
    const QString png = dir.file(QStringLiteral("icon.png"));
    EXPECT_EQ(doctor({QStringLiteral("icon"), peFixture("slovak.exe"), png}).status, 0);
    const QImage icon(png);
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_TRUE(icon.hasAlphaChannel());

    const QString none = dir.file(QStringLiteral("none.png"));
    EXPECT_EQ(doctor({QStringLiteral("icon"), peFixture("no-resources.exe"), none}).status, 1);
    EXPECT_FALSE(QFile::exists(none));
}

} // namespace
