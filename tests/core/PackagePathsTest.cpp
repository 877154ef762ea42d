#include "core/PackagePaths.h"

#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace menu::core;

TEST(PackagePaths, DriveAndProgramDirectory)
{
    EXPECT_EQ(programDirOf(QStringLiteral("/srv/D/ORVAN/MENU/menu")), QStringLiteral("/srv/D/ORVAN/MENU/"));
    EXPECT_EQ(drivePrefixOf(QStringLiteral("/srv/D/ORVAN/MENU/menu")), QStringLiteral("/srv/D"));
    EXPECT_EQ(drivePrefixOf(QStringLiteral("/srv/d/orvan/menu/tools/menu")), QStringLiteral("/srv/d"));
    EXPECT_EQ(drivePrefixOf(QStringLiteral("/ORVAN/MENU/menu")), QString());
    // The first such directory decides, as the drive is the first part of a Windows path.
    EXPECT_EQ(drivePrefixOf(QStringLiteral("/a/ORVAN/MENU/b/ORVAN/MENU/menu")), QStringLiteral("/a"));
    EXPECT_FALSE(drivePrefixOf(QStringLiteral("/a/ORVAN/MENU2/menu")).has_value());
    EXPECT_EQ(packageDir(QStringLiteral("/srv/D")), QStringLiteral("/srv/D/ORVAN"));
}

TEST(PackagePaths, WindowsPathsAreMatchedWithoutCase)
{
    menu::test::TempDir dir;
    dir.write(QStringLiteral("ORVAN/Tav/Tav.EXE"), "MZ");
    dir.write(QStringLiteral("ORVAN/orvan-Tav.ini"), "");
    const QString drive = dir.path();

    EXPECT_EQ(packagePath(drive, QStringLiteral("\\ORVAN\\TAV\\tav.exe")), drive + QStringLiteral("/ORVAN/Tav/Tav.EXE"));
    EXPECT_EQ(moduleFilePath(drive, QStringLiteral("TAV")), drive + QStringLiteral("/ORVAN/orvan-Tav.ini"));
    // What does not exist keeps the case it was written in.
    EXPECT_EQ(packagePath(drive, QStringLiteral("\\orvan\\NONE\\x.exe")), drive + QStringLiteral("/ORVAN/NONE/x.exe"));
    EXPECT_EQ(packagePath(drive, QString()), drive);
    EXPECT_TRUE(fileExists(packagePath(drive, QStringLiteral("\\orvan\\tav\\TAV.exe"))));
    EXPECT_FALSE(fileExists(drive + QStringLiteral("/ORVAN")));
}
