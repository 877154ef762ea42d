#include "formats/ShellLink.h"

#include "platform/ShellLinkFile.h"
#include "support/LnkInfo.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <ostream>

using menu::formats::ShellLinkData;
using menu::platform::Shortcut;
using menu::test::readLnk;
using menu::test::TempDir;

namespace {

// Writes the shortcut name.lnk into folder as the Windows side writes it on a desktop.
menu::Status createShortcut(const QString &folder, const Shortcut &shortcut)
{
    return menu::platform::writeShellLink(folder + u'/' + shortcut.name + QStringLiteral(".lnk"),
                                          shortcut);
}

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

    const menu::Status result = createShortcut(tmp.path(), {QStringLiteral("ORVAN"), target, dir});
    ASSERT_TRUE(result.ok()) << result.failure().code.message();

    const auto read = readLnk(link);
    ASSERT_TRUE(read.ran) << "lnkinfo could not read the link";
    EXPECT_EQ(read.value(QStringLiteral("Local path")), target) << read.output.toStdString();
    EXPECT_EQ(read.value(QStringLiteral("Working directory")), dir);
    EXPECT_EQ(read.value(QStringLiteral("Icon location")), target);
    EXPECT_EQ(read.value(QStringLiteral("Icon index")), QStringLiteral("0"));
    EXPECT_FALSE(read.info.contains(QStringLiteral("Description")));
    EXPECT_FALSE(read.info.contains(QStringLiteral("Command line arguments")));
}

INSTANTIATE_TEST_SUITE_P(Paths, ShellLinkReadBack,
                         ::testing::Values(LinkCase{"Plain", "/ORVAN/MENU/"},
                                           LinkCase{"Slovak", "/Účtovníctvo/ORVAN/MENU/"},
                                           LinkCase{"OutsideCodePage",
                                                    "/Kancelária €ﬀ/ORVAN/MENU/"},
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
    const QByteArray &b = *result;

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
    EXPECT_TRUE(ansi.startsWith(QByteArray("/x/\xDA\xE8"
                                           "tovn\xED"
                                           "ctvo/ORVAN/MENU/menu\0",
                                           31)));
    const QByteArray wide = b.mid(info + le32(b, info + 28), 2 * data.target.size());
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(wide.constData()),
                                 data.target.size()),
              data.target);
    EXPECT_EQ(b.right(4), QByteArray(4, '\0')); // no extra data
}

TEST(ShellLink, RefusesWhatItCannotRepresent)
{
    const auto refused = [](const ShellLinkData &data) {
        const auto result = menu::formats::shellLinkEncode(data);
        return !result.ok() && result.failure().is(std::errc::invalid_argument);
    };
    ShellLinkData data;
    EXPECT_TRUE(refused(data)); // no target
    data.target = QStringLiteral("/x/menu");
    data.workingDir = QString(70000, QLatin1Char('a'));
    EXPECT_TRUE(refused(data));
    data.workingDir = QStringLiteral("/x/") + QChar(u'\0') + QStringLiteral("y/");
    EXPECT_TRUE(refused(data));
    data.workingDir.clear();
    data.target += QChar(u'\0');
    EXPECT_TRUE(refused(data));

    // Nothing is written for a link that cannot be made.
    TempDir tmp;
    const menu::Status written =
        createShortcut(tmp.path(), {QStringLiteral("ORVAN"), data.target, QString()});
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure().is(std::errc::invalid_argument));
    EXPECT_TRUE(entriesOf(tmp.path()).isEmpty());
}

// The working directory is kept exactly as given, in either system's way of writing it.
TEST(ShellLink, WorkingDirIsWrittenAsGiven)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/d/ORVAN/MENU/", "/d/ORVAN/MENU/"},
        {"C:\\ORVAN\\MENU\\", "C:\\ORVAN\\MENU\\"},
        {"", nullptr},
    };
    TempDir tmp;
    int n = 0;
    for (const auto &[given, kept] : cases) {
        const QString name = QString::number(++n);
        ASSERT_TRUE(createShortcut(tmp.path(), {name, QStringLiteral("/d/ORVAN/MENU/menu"),
                                                QString::fromUtf8(given)})
                        .ok());
        const auto read = readLnk(tmp.file(name + QStringLiteral(".lnk")));
        ASSERT_TRUE(read.ran) << given;
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

    for (const QString &name :
         {QStringLiteral("ORVAN"), QStringLiteral("dangling"), QStringLiteral("dir")}) {
        const menu::Status result =
            createShortcut(tmp.path(), {name, QStringLiteral("/d/ORVAN/MENU/menu"),
                                        QStringLiteral("/d/ORVAN/MENU/")});
        ASSERT_FALSE(result.ok()) << name.toStdString();
        EXPECT_TRUE(result.failure().is(std::errc::file_exists)) << result.failure().code.message();
        EXPECT_EQ(result.failure().path, tmp.file(name + QStringLiteral(".lnk")));
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
    const menu::Status result = createShortcut(
        notADir, {QStringLiteral("ORVAN"), QStringLiteral("/d/m"), QStringLiteral("/d/")});
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.failure().is(std::errc::not_a_directory)) << result.failure().code.message();
    EXPECT_EQ(entriesOf(tmp.path()), QStringList{QStringLiteral("desk")});
}

TEST(ShellLink, LinkIsReadableByEveryone)
{
    TempDir tmp;
    const QString link = tmp.file(QStringLiteral("ORVAN.lnk"));
    ASSERT_TRUE(createShortcut(tmp.path(), {QStringLiteral("ORVAN"), QStringLiteral("/d/m"),
                                            QStringLiteral("/d/")})
                    .ok());
    EXPECT_TRUE(QFile::permissions(link).testFlag(QFile::ReadOther));
}

} // namespace
