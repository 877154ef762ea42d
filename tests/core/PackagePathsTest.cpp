#include "core/PackagePaths.h"

#include "platform/Files.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace menu::core;
using menu::platform::isFile;

TEST(PackagePaths, DriveAndProgramDirectory)
{
    EXPECT_EQ(programDirOf(QStringLiteral("/srv/D/ORVAN/MENU/menu")),
              QStringLiteral("/srv/D/ORVAN/MENU/"));
    // A version folder belongs to its installation; only such a folder.
    const struct {
        const char *executable;
        const char *dir;
        const char *starter;
    } versions[] = {
        {"/srv/D/ORVAN/MENU/versions/1.1.0.8/menu", "/srv/D/ORVAN/MENU/", "/srv/D/ORVAN/MENU/menu"},
        {"D:/orvan/menu/Versions/1.1.0.8-2/menu.exe", "D:/orvan/menu/", "D:/orvan/menu/menu.exe"},
        {"/srv/D/ORVAN/MENU/tools/1.1/menu", "/srv/D/ORVAN/MENU/tools/1.1/",
         "/srv/D/ORVAN/MENU/tools/1.1/menu"},
        {"/srv/D/ORVAN/OTHER/versions/1/menu", "/srv/D/ORVAN/OTHER/versions/1/",
         "/srv/D/ORVAN/OTHER/versions/1/menu"},
    };
    for (const auto &c : versions) {
        EXPECT_EQ(programDirOf(QLatin1String(c.executable)), QLatin1String(c.dir)) << c.executable;
        EXPECT_EQ(starterPathOf(QLatin1String(c.executable)), QLatin1String(c.starter));
    }
    constexpr auto onUnix = PathRules::Unix;
    EXPECT_EQ(drivePrefixOf(QStringLiteral("/srv/D/ORVAN/MENU/menu"), onUnix),
              QStringLiteral("/srv/D"));
    EXPECT_EQ(drivePrefixOf(QStringLiteral("/srv/d/orvan/menu/tools/menu"), onUnix),
              QStringLiteral("/srv/d"));
    EXPECT_EQ(drivePrefixOf(QStringLiteral("/ORVAN/MENU/menu"), onUnix), QString());
    // The first such directory decides, as the drive is the first part of a Windows path.
    EXPECT_EQ(drivePrefixOf(QStringLiteral("/a/ORVAN/MENU/b/ORVAN/MENU/menu"), onUnix),
              QStringLiteral("/a"));
    EXPECT_FALSE(drivePrefixOf(QStringLiteral("/a/ORVAN/MENU2/menu"), onUnix).has_value());
    // Windows: the path's own drive, as Qt and the system write it.
    constexpr auto onWindows = PathRules::Windows;
    EXPECT_EQ(drivePrefixOf(QStringLiteral("D:/ORVAN/MENU/menu.exe"), onWindows),
              QStringLiteral("D:"));
    EXPECT_EQ(drivePrefixOf(QStringLiteral("c:\\orvan\\menu\\nástroje\\menu.exe"), onWindows),
              QStringLiteral("c:"));
}

TEST(PackagePaths, PackageDirectoryAsShown)
{
    const struct {
        const char *executable;
        PathRules rules;
        const char *shown;
    } cases[] = {
        {"/srv/D/ORVAN/MENU/menu", PathRules::Unix, "/srv/D/ORVAN"},
        // Named here as the disk has it, whatever its case.
        {"/srv/d/Orvan/menu/tools/menu", PathRules::Unix, "/srv/d/Orvan"},
        {"/srv/orvan/MENU/menu", PathRules::Unix, "/srv/orvan"},
        {"/a/menu", PathRules::Unix, ""},
        // Windows: the drive and the package's own name.
        {"D:/ORVAN/MENU/menu.exe", PathRules::Windows, "D:/ORVAN"},
        {"c:/orvan/menu/menu.exe", PathRules::Windows, "c:/ORVAN"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(packageDirOf(QString::fromUtf8(c.executable), c.rules),
                  QString::fromUtf8(c.shown))
            << c.executable;
}

TEST(PackagePaths, InstallationDirectory)
{
    const struct {
        PathRules rules;
        const char *path;
        bool accepted;
    } cases[] = {
        {PathRules::Unix, "/media/D/ORVAN/MENU/menu", true},
        {PathRules::Unix, "/media/d/orvan/menu/tools/menu", true},
        {PathRules::Unix, "/ORVAN/MENU/menu", true},
        {PathRules::Unix, "/media/D/ORVAN/MENU2/menu", false},
        {PathRules::Unix, "/media/D/ORVAN/menu", false},
        {PathRules::Unix, "/opt/menu/menu", false},
        // The executable's own name does not count as a directory.
        {PathRules::Unix, "/media/D/ORVAN/MENU", false},
        {PathRules::Windows, "E:/ORVAN/MENU/menu.exe", true},
        {PathRules::Windows, "E:\\Orvan\\Menu\\Stary\\menu.exe", true},
        // Another folder of a drive, a share, ORVAN deeper on the drive, no drive at all.
        {PathRules::Windows, "E:/Programy/menu.exe", false},
        {PathRules::Windows, "//server/data/ORVAN/MENU/menu.exe", false},
        {PathRules::Windows, "\\\\server\\data\\ORVAN\\MENU\\menu.exe", false},
        {PathRules::Windows, "D:/Kopia/ORVAN/MENU/menu.exe", false},
        {PathRules::Windows, "/ORVAN/MENU/menu.exe", false},
        {PathRules::Windows, "D:/ORVAN/MENU", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(installationAccepted(QString::fromLatin1(c.path), c.rules), c.accepted) << c.path;
}

using menu::test::comparablePath;

TEST(PackagePaths, WindowsPathsAreMatchedWithoutCase)
{
    menu::test::TempDir dir;
    dir.write(QStringLiteral("ORVAN/Tav/Tav.EXE"), "MZ");
    dir.write(QStringLiteral("ORVAN/orvan-Tav.ini"), "");
    const QString drive = dir.path();

    EXPECT_EQ(comparablePath(packagePath(drive, QStringLiteral("\\ORVAN\\TAV\\tav.exe"))),
              comparablePath(drive + QStringLiteral("/ORVAN/Tav/Tav.EXE")));
    EXPECT_EQ(comparablePath(moduleFilePath(drive, QStringLiteral("TAV"))),
              comparablePath(drive + QStringLiteral("/ORVAN/orvan-Tav.ini")));
    // What does not exist keeps the case it was written in.
    EXPECT_EQ(comparablePath(packagePath(drive, QStringLiteral("\\orvan\\NONE\\x.exe"))),
              comparablePath(drive + QStringLiteral("/ORVAN/NONE/x.exe")));
    EXPECT_EQ(packagePath(drive, QString()), drive);
    EXPECT_TRUE(isFile(packagePath(drive, QStringLiteral("\\orvan\\tav\\TAV.exe"))));
    EXPECT_FALSE(isFile(drive + QStringLiteral("/ORVAN")));
}

TEST(PackagePaths, NamesThatDifferOnlyInCaseGiveTheSameChoiceEachTime)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps no two names that differ only in case in one folder";
#endif
    menu::test::TempDir dir;
    dir.write(QStringLiteral("ORVAN/tav/b.exe"), "MZ");
    dir.write(QStringLiteral("ORVAN/tav/B.EXE"), "MZ");
    const QString drive = dir.path();
    EXPECT_EQ(packagePath(drive, QStringLiteral("\\ORVAN\\TAV\\b.EXE")),
              drive + QStringLiteral("/ORVAN/tav/B.EXE"));
    EXPECT_EQ(packagePath(drive, QStringLiteral("\\ORVAN\\TAV\\b.exe")),
              drive + QStringLiteral("/ORVAN/tav/b.exe"));
}

// Waits until the clock that stamps files has moved past the last change of dir, so that the
// next change gives dir another stamp.
// next change gives dir another stamp. File systems keep times in ticks of their own, so a
// probe beside it is changed until its time shows the move.
void afterTheFileClockMoved(menu::test::TempDir &scratch, const QString &dir)
{
#ifdef _WIN32
    return; // no listings are kept there: names are found without case by the system
#endif
    const std::int64_t changed = menu::platform::fileStamp(dir)->changedNs;
    const QString probe = scratch.write(QStringLiteral("probe"), "");
    while (menu::platform::fileStamp(probe)->changedNs <= changed)
        QFile::setPermissions(probe, QFile::permissions(probe) ^ QFile::ExeOwner);
}

// Listings of directories that have not changed for a while are kept between lookups.
TEST(PackagePaths, AKeptListingFollowsChangesOfItsDirectory)
{
    menu::test::TempDir dir;
    dir.write(QStringLiteral("ORVAN/Tav/Tav.EXE"), "MZ");
    const QString drive = dir.path();
    const QString windowsPath = QStringLiteral("\\ORVAN\\TAV\\tav.exe");
    // Looked up as if the directory had settled long ago: its listing is kept.
    const std::int64_t later =
        menu::platform::stampClockNs() + 10 * menu::platform::kStampSettledNs;
    ASSERT_EQ(comparablePath(packagePath(drive, windowsPath, later)),
              comparablePath(drive + QStringLiteral("/ORVAN/Tav/Tav.EXE")));

    menu::test::TempDir scratch;
    afterTheFileClockMoved(scratch, drive + QStringLiteral("/ORVAN/Tav"));
    ASSERT_TRUE(QDir(drive + QStringLiteral("/ORVAN/Tav"))
                    .rename(QStringLiteral("Tav.EXE"), QStringLiteral("TAV.exe")));
    EXPECT_EQ(comparablePath(packagePath(drive, windowsPath)),
              comparablePath(drive + QStringLiteral("/ORVAN/Tav/TAV.exe")));
    ASSERT_TRUE(QDir(drive + QStringLiteral("/ORVAN/Tav")).remove(QStringLiteral("TAV.exe")));
    EXPECT_EQ(comparablePath(packagePath(drive, windowsPath)),
              comparablePath(drive + QStringLiteral("/ORVAN/Tav/tav.exe")));
    EXPECT_FALSE(isFile(packagePath(drive, windowsPath)));
    dir.write(QStringLiteral("ORVAN/Tav/Tav.Exe"), "MZ");
    EXPECT_EQ(comparablePath(packagePath(drive, windowsPath)),
              comparablePath(drive + QStringLiteral("/ORVAN/Tav/Tav.Exe")));
}

// A launcher in a version folder learns that the drive's installation was switched to another
// version while it ran; a flat launcher, the current one, or a missing pointer learn nothing.
TEST(PackagePaths, AVersionInstalledSinceTheStart)
{
    menu::test::TempDir dir;
    dir.write(QStringLiteral("ORVAN/MENU/versions/current"), "1.1.0.9\r\n");
    const QString menu = dir.file(QStringLiteral("ORVAN/MENU/"));
    EXPECT_EQ(switchedVersion(menu + QStringLiteral("versions/1.1.0.8/menu")),
              std::optional<QString>(QStringLiteral("1.1.0.9")));
    EXPECT_EQ(switchedVersion(menu + QStringLiteral("versions/1.1.0.9/menu")), std::nullopt);
    EXPECT_EQ(switchedVersion(menu + QStringLiteral("menu")), std::nullopt);
    dir.write(QStringLiteral("ORVAN/MENU/versions/current"), "");
    EXPECT_EQ(switchedVersion(menu + QStringLiteral("versions/1.1.0.8/menu")), std::nullopt);
}
