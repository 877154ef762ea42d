#include "formats/ShellLink.h"
#include "support/LnkInfo.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <ostream>

using menu::formats::ShellLinkData;
using menu::test::readLnk;
using menu::test::TempDir;

namespace {

quint32 le32(const QByteArray &bytes, qsizetype at)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    return value;
}

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                               QDir::NoDotAndDotDot);
}

struct LinkCase {
    const char *name;
    const char *installDir; // below the temporary directory
};

void PrintTo(const LinkCase &c, std::ostream *out)
{
    *out << c.installDir;
}

class ShellLinkReadBack : public ::testing::TestWithParam<LinkCase> {};

// The launcher's shortcut as an independent reader sees it.
TEST_P(ShellLinkReadBack, TargetWorkingDirAndIconSurvive)
{
    TempDir tmp;
    const QString dir = tmp.path() + QString::fromUtf8(GetParam().installDir);
    const QString target = tmp.write(dir.mid(tmp.path().size() + 1) + QStringLiteral("menu"),
                                     QByteArray("#!/bin/sh\n"));
    const QString link = tmp.file(QStringLiteral("ORVAN.lnk"));

    const auto result = menu::core::ShortcutCreate(dir, target, link);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();

    const auto read = readLnk(link);
    ASSERT_TRUE(read.ran) << "lnkinfo could not read the link";
    EXPECT_EQ(read.value(QStringLiteral("Local path")), target) << read.output.toStdString();
    EXPECT_EQ(read.value(QStringLiteral("Working directory")), dir);
    EXPECT_EQ(read.value(QStringLiteral("Icon location")), target);
    EXPECT_EQ(read.value(QStringLiteral("Icon index")), QStringLiteral("0"));
    EXPECT_FALSE(read.info.contains(QStringLiteral("Description")));
    EXPECT_FALSE(read.info.contains(QStringLiteral("Command line arguments")));
    EXPECT_EQ(tmp.read(QStringLiteral("ORVAN.lnk")), result.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ShellLinkReadBack,
    ::testing::Values(LinkCase{"Plain", "/ORVAN/MENU/"},
                      LinkCase{"Slovak", "/Účtovníctvo/ORVAN/MENU/"},
                      LinkCase{"OutsideCodePage", "/Kancelária €ﬀ/ORVAN/MENU/"},
                      LinkCase{"Blanks", "/moje dáta/ORVAN/MENU/"}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(ShellLink, HeaderAndLinkInfoAreTheFormatsOwn)
{
    ShellLinkData data;
    data.target = QStringLiteral("/x/Účtovníctvo/ORVAN/MENU/menu");
    data.workingDir = QStringLiteral("/x/Účtovníctvo/ORVAN/MENU/");
    data.iconLocation = data.target;
    const auto result = menu::formats::shellLinkEncode(data);
    ASSERT_TRUE(result.ok());
    const QByteArray &b = result.bytes;

    EXPECT_EQ(le32(b, 0), 0x4Cu);
    EXPECT_EQ(b.mid(4, 16), QByteArray::fromHex("0114020000000000c000000000000046"));
    EXPECT_EQ(le32(b, 20), 0xD2u); // link info, working directory, icon location, Unicode
    EXPECT_EQ(le32(b, 60), 1u);    // shown normally

    // No target ID list: the link info follows the header.
    const qsizetype info = 0x4C;
    EXPECT_EQ(le32(b, info + 4), 0x24u);
    EXPECT_EQ(le32(b, info + 8), 1u); // volume and local base path
    // The code-page path is Windows-1250, the Unicode path UTF-16.
    const QByteArray ansi = b.mid(info + le32(b, info + 16));
    EXPECT_TRUE(ansi.startsWith(QByteArray("/x/\xDA\xE8" "tovn\xED" "ctvo/ORVAN/MENU/menu\0", 31)));
    const QByteArray wide = b.mid(info + le32(b, info + 28), 2 * data.target.size());
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(wide.constData()),
                                 data.target.size()),
              data.target);
    EXPECT_EQ(b.right(4), QByteArray(4, '\0')); // no extra data
}

TEST(ShellLink, RefusesWhatItCannotRepresent)
{
    ShellLinkData data;
    EXPECT_FALSE(menu::formats::shellLinkEncode(data).ok()); // no target
    data.target = QStringLiteral("/x/menu");
    data.workingDir = QString(70000, QLatin1Char('a'));
    EXPECT_FALSE(menu::formats::shellLinkEncode(data).ok());
    data.workingDir = QStringLiteral("/x/") + QChar(u'\0') + QStringLiteral("y/");
    EXPECT_FALSE(menu::formats::shellLinkEncode(data).ok());
    data.workingDir.clear();
    data.target += QChar(u'\0');
    EXPECT_FALSE(menu::formats::shellLinkEncode(data).ok());
}

TEST(ShellLink, WorkingDirIsCutAfterTheLastSeparator)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/d/ORVAN/MENU/menu", "/d/ORVAN/MENU/"},
        {"/d/ORVAN/MENU/", "/d/ORVAN/MENU/"},
        {"C:\\ORVAN\\MENU\\", "C:\\ORVAN\\MENU\\"},
        {"menu", nullptr},
    };
    TempDir tmp;
    int n = 0;
    for (const auto &[given, kept] : cases) {
        const QString link = tmp.file(QStringLiteral("%1.lnk").arg(++n));
        ASSERT_TRUE(menu::core::ShortcutCreate(QString::fromUtf8(given),
                                               QStringLiteral("/d/ORVAN/MENU/menu"), link)
                        .ok());
        const auto read = readLnk(link);
        if (kept) {
            EXPECT_EQ(read.value(QStringLiteral("Working directory")), QString::fromUtf8(kept));
        } else {
            EXPECT_FALSE(read.info.contains(QStringLiteral("Working directory"))) << given;
        }
    }
}

TEST(ShellLink, NeverReplacesAnExistingFile)
{
    TempDir tmp;
    const QString existing = tmp.write(QStringLiteral("ORVAN.lnk"), "someone else's");
    QFile::link(tmp.file(QStringLiteral("missing")), tmp.file(QStringLiteral("dangling.lnk")));
    QDir().mkdir(tmp.file(QStringLiteral("dir.lnk")));

    for (const QString &name : {QStringLiteral("ORVAN.lnk"), QStringLiteral("dangling.lnk"),
                                QStringLiteral("dir.lnk")}) {
        const auto result = menu::core::ShortcutCreate(
            QStringLiteral("/d/ORVAN/MENU/"), QStringLiteral("/d/ORVAN/MENU/menu"), tmp.file(name));
        EXPECT_FALSE(result.ok()) << name.toStdString();
        EXPECT_TRUE(result.error.contains(QStringLiteral("exists"))) << result.error.toStdString();
    }
    EXPECT_EQ(tmp.read(QStringLiteral("ORVAN.lnk")), QByteArray("someone else's"));
    EXPECT_FALSE(QFileInfo::exists(tmp.file(QStringLiteral("missing"))));
    EXPECT_EQ(entriesOf(tmp.path()).size(), 3); // no temporary file left behind
}

TEST(ShellLink, FailedWriteLeavesNothing)
{
    TempDir tmp;
    // A folder that is a file cannot hold a link, whoever runs the test.
    const QString notADir = tmp.write(QStringLiteral("desk"), "x");
    const auto result = menu::core::ShortcutCreate(QStringLiteral("/d/"), QStringLiteral("/d/m"),
                                                   notADir + QStringLiteral("/ORVAN.lnk"));
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(entriesOf(tmp.path()), QStringList{QStringLiteral("desk")});
}

TEST(ShellLink, LinkIsReadableByEveryone)
{
    TempDir tmp;
    const QString link = tmp.file(QStringLiteral("ORVAN.lnk"));
    ASSERT_TRUE(
        menu::core::ShortcutCreate(QStringLiteral("/d/"), QStringLiteral("/d/m"), link).ok());
    EXPECT_TRUE(QFile::permissions(link).testFlag(QFile::ReadOther));
}

TEST(DoctorShortcut, WritesOnceAndReportsTheReasonAfterwards)
{
    TempDir tmp;
    const QString link = tmp.file(QStringLiteral("Plocha/ORVAN.lnk"));
    QDir().mkpath(tmp.file(QStringLiteral("Plocha")));
    const QString target = QStringLiteral("/srv/Účtovníctvo/ORVAN/MENU/menu");
    const QStringList args{QStringLiteral("shortcut"), link, target,
                           QStringLiteral("/srv/Účtovníctvo/ORVAN/MENU")};

    QProcess first;
    first.start(QStringLiteral(MENU_DOCTOR_PATH), args);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(first.readAllStandardOutput()), link + QLatin1Char('\n'));
    const auto read = readLnk(link);
    EXPECT_EQ(read.value(QStringLiteral("Local path")), target);
    EXPECT_EQ(read.value(QStringLiteral("Working directory")),
              QStringLiteral("/srv/Účtovníctvo/ORVAN/MENU/"));

    QProcess again;
    again.start(QStringLiteral(MENU_DOCTOR_PATH), args);
    ASSERT_TRUE(again.waitForFinished(10000));
    EXPECT_EQ(again.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(again.readAllStandardError()).contains(QStringLiteral("exists")));

    // A link meant for a Windows machine keeps the paths as written there.
    const QString windowsLink = tmp.file(QStringLiteral("Plocha/windows.lnk"));
    QProcess windows;
    windows.start(QStringLiteral(MENU_DOCTOR_PATH),
                  {QStringLiteral("shortcut"), windowsLink,
                   QStringLiteral("D:\\ORVAN\\MENU\\menu.exe"), QStringLiteral("D:\\ORVAN\\MENU")});
    ASSERT_TRUE(windows.waitForFinished(10000));
    EXPECT_EQ(windows.exitCode(), 0);
    const auto readWindows = readLnk(windowsLink);
    EXPECT_EQ(readWindows.value(QStringLiteral("Local path")),
              QStringLiteral("D:\\ORVAN\\MENU\\menu.exe"));
    EXPECT_EQ(readWindows.value(QStringLiteral("Working directory")),
              QStringLiteral("D:\\ORVAN\\MENU\\"));

    QProcess wrong;
    wrong.start(QStringLiteral(MENU_DOCTOR_PATH), {QStringLiteral("shortcut"), link});
    ASSERT_TRUE(wrong.waitForFinished(10000));
    EXPECT_EQ(wrong.exitCode(), 2);
}

} // namespace
