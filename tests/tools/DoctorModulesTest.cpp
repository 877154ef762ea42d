// menu-doctor modules: the menu the launcher would build, as support staff read it.
#include "support/PeFixtures.h"
#include "support/Doctor.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using menu::test::peFixture;
using menu::test::TempDir;

namespace {

using menu::test::DoctorRun;

DoctorRun modules(const QString &dir)
{
    return menu::test::runDoctor({QStringLiteral("modules"), dir});
}

void copyProgram(const TempDir &dir, const char *fixture, const QString &to)
{
    QDir().mkpath(QFileInfo(dir.file(to)).absolutePath());
    ASSERT_TRUE(QFile::copy(peFixture(fixture), dir.file(to)));
}

TEST(DoctorModules, ListsButtonsWithTheirVersionLinesAndEntries)
{
    TempDir dir;
    // Windows-1250 text, Windows paths in other case than the files on disk.
    dir.write(QStringLiteral("ORVAN/orvan-Srv.ini"),
              "[Menu1]\r\nExe=\\ORVAN\\SRV\\servis.exe\r\nNaz=Servis\r\n"
              "[Menu2]\r\nExe=\\ORVAN\\SRV\\tv.exe\r\nNaz=Team Viewer - ORVAN\r\n");
    dir.write(QStringLiteral("ORVAN/orvan-Tav.ini"),
              "[Menu1]\r\nExe=\\ORVAN\\TAV\\TAV.EXE\r\nNaz=\xDA\xE8tovn\xED"
              "ctvo\r\nDop=podvojn\xE9\r\n"
              "[Menu11]\r\nExe=\\ORVAN\\TAV\\pomoc.pdf\r\nNaz=Pomoc\r\n"
              "[Menu12]\r\nExe=\r\nNaz=Pr\xE1zdne\r\n"
              "[Menu2]\r\nExe=\\ORVAN\\TAV\\bez.exe\r\nNaz=Bez verzie\r\n"
              "[Menu3]\r\nExe=\\ORVAN\\TAV\\en.exe\r\nNaz=Anglick\xFD\r\n"
              "[Menu4]\r\nExe=\\ORVAN\\TAV\\navod.txt\r\nNaz=N\xE1vod\r\n"
              "[Menu6]\r\nExe=\\ORVAN\\TAV\\za-medzerou.exe\r\n");
    copyProgram(dir, "english.exe", QStringLiteral("ORVAN/srv/tv.exe"));
    copyProgram(dir, "slovak.exe", QStringLiteral("ORVAN/tav/tav.exe"));
    copyProgram(dir, "no-resources.exe", QStringLiteral("ORVAN/tav/bez.exe"));
    copyProgram(dir, "english.exe", QStringLiteral("ORVAN/tav/en.exe"));
    dir.write(QStringLiteral("ORVAN/tav/navod.txt"), "text");

    const DoctorRun run = modules(dir.path() + QStringLiteral("/"));
    EXPECT_EQ(run.status, 0);
    const QStringList expected{
        QStringLiteral(
            "button\t1\tSrv1\tServis\t\t%1/ORVAN/srv/servis.exe\tmissing\t(bez inštalácie)"),
        // The Team Viewer entry reads its product version from the English table.
        QStringLiteral(
            "button\t2\tSrv2\tTeam Viewer - ORVAN\t\t%1/ORVAN/srv/tv.exe\texists\tv15.4.6"),
        QStringLiteral(
            "button\t3\tTav1\tÚčtovníctvo\tpodvojné\t%1/ORVAN/tav/tav.exe\texists\tv2.0.1.15"),
        QStringLiteral("entry\tTav11\tPomoc\t%1/ORVAN/tav/pomoc.pdf\tmissing"),
        // An empty Exe names the drive alone, a directory: no file.
        QStringLiteral("entry\tTav12\tPrázdne\t%1\tmissing"),
        QStringLiteral(
            "button\t4\tTav2\tBez verzie\t\t%1/ORVAN/tav/bez.exe\texists\tverzia neznáma"),
        // Any other program reads the Slovak table only.
        QStringLiteral(
            "button\t5\tTav3\tAnglický\t\t%1/ORVAN/tav/en.exe\texists\tverzia nezistená"),
        QStringLiteral("button\t6\tTav4\tNávod\t\t%1/ORVAN/tav/navod.txt\texists\tverzia neznáma"),
    };
    QString text;
    for (const QString &line : expected)
        text += line.arg(dir.path()) + QLatin1Char('\n');
    EXPECT_EQ(run.out, text);
}

TEST(DoctorModules, NothingInstalledPrintsNothing)
{
    TempDir dir;
    const DoctorRun run = modules(dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.isEmpty());
}

} // namespace
