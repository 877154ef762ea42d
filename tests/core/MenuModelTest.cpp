// The menu as the window and menu-doctor build it: from module files and program files in a
// package made in a temporary directory, read by the system's own readers.
#include "core/MenuModel.h"

#include "platform/ProfileFiles.h"
#include "platform/ProgramFiles.h"
#include "support/PeFixtures.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace menu::core;
using menu::test::peFixture;
using menu::test::TempDir;

namespace {

TEST(EntryKey, ParsesButtonsAndSubmenuEntriesOnly)
{
    const struct {
        const char *text;
        std::optional<EntryKey> key;
        const char *section;
    } cases[] = {
        {"Tav1", EntryKey{"Tav", 1, 0}, "Menu1"},
        {"Tav12", EntryKey{"Tav", 1, 2}, "Menu12"},
        {"Pux99", EntryKey{"Pux", 9, 9}, "Menu99"},
        {"Tav0", std::nullopt, ""},
        {"Tav10", std::nullopt, ""}, // a submenu place starts at 1
        {"Tav01", std::nullopt, ""},
        {"Tavx", std::nullopt, ""},
        {"Tav1x", std::nullopt, ""},
        {"Tav", std::nullopt, ""},
        {"Tav123", std::nullopt, ""},
        {"", std::nullopt, ""},
    };
    for (const auto &c : cases) {
        const std::optional<EntryKey> key = EntryKey::parse(QString::fromLatin1(c.text));
        ASSERT_EQ(key.has_value(), c.key.has_value()) << c.text;
        if (!key)
            continue;
        EXPECT_EQ(key->module, c.key->module) << c.text;
        EXPECT_EQ(key->button, c.key->button) << c.text;
        EXPECT_EQ(key->entry, c.key->entry) << c.text;
        EXPECT_EQ(key->text(), QString::fromLatin1(c.text));
        EXPECT_EQ(key->section(), QString::fromLatin1(c.section));
    }
}

TEST(EntryKey, TeamViewerIsTheSecondButtonOfSrvOnly)
{
    for (const char *text : {"Srv2", "srv2", "SRV2"})
        EXPECT_TRUE(EntryKey::parse(QString::fromLatin1(text))->isTeamViewer()) << text;
    for (const char *text : {"Srv1", "Srv21", "Srv3", "Tav2"})
        EXPECT_FALSE(EntryKey::parse(QString::fromLatin1(text))->isTeamViewer()) << text;
}

TEST(MenuModel, PicturesByTheTargetsExtension)
{
    const struct {
        const char *path;
        EntryPicture picture;
    } cases[] = {
        {"/a/Manual.PDF", EntryPicture::Pdf},  {"/a/tool.Exe", EntryPicture::ProgramIcon},
        {"/a/help.chm", EntryPicture::Chm},    {"/a/web.url", EntryPicture::Url},
        {"/a/run.BAT", EntryPicture::Bat},     {"/a/readme.txt", EntryPicture::None},
        {"/a/exe", EntryPicture::None},        {"/a/archive.pdf.zip", EntryPicture::None},
        {"/a.pdf/readme", EntryPicture::None}, {"/a/readme.", EntryPicture::None},
    };
    for (const auto &c : cases)
        EXPECT_EQ(entryPictureFor(QString::fromLatin1(c.path)), c.picture) << c.path;
}

class MenuModelTest : public ::testing::Test {
  protected:
    void module(const char *code, const QByteArray &text)
    {
        dir.write(QStringLiteral("ORVAN/orvan-%1.ini").arg(QLatin1String(code)), text);
    }
    void program(const char *fixture, const QString &to)
    {
        QDir().mkpath(QFileInfo(dir.file(to)).absolutePath());
        ASSERT_TRUE(QFile::copy(peFixture(fixture), dir.file(to)));
    }
    static QStringList keys(const std::vector<MenuButton> &buttons)
    {
        QStringList list;
        for (const MenuButton &button : buttons)
            list << button.key.text();
        return list;
    }

    TempDir dir;
    menu::platform::ProfileFiles profiles;
    menu::platform::FileVersionReader versions;
    MenuModel model{profiles, versions, dir.path()};
};

TEST_F(MenuModelTest, ButtonsInModuleOrderWithVersionsAndEntries)
{
    // Written in another order than the modules' own.
    module("Pux", "[Menu1]\r\nExe=\\ORVAN\\PUX\\pux.exe\r\nNaz=Posledn\xFD\r\n");
    module("Tav", "[Menu1]\r\nExe=\\ORVAN\\TAV\\TAV.EXE\r\nNaz=\xDA\xE8tovn\xED"
                  "ctvo\r\n"
                  "Dop=podvojn\xE9\r\n"
                  "[Menu11]\r\nExe=\\ORVAN\\TAV\\pomoc.pdf\r\nNaz=Pomoc\r\n"
                  "[Menu12]\r\nExe=\\ORVAN\\TAV\\tav.exe\r\nNaz=Znova\r\n"
                  "[Menu2]\r\nExe=\\ORVAN\\TAV\\en.exe\r\nNaz=Anglick\xFD\r\n");
    module("Srv", "[Menu1]\r\nExe=\\ORVAN\\SRV\\en.exe\r\nNaz=Servis\r\n"
                  "[Menu2]\r\nExe=\\ORVAN\\SRV\\tv.exe\r\nNaz=Team Viewer - ORVAN\r\n");
    program("slovak.exe", QStringLiteral("ORVAN/tav/tav.exe"));
    program("english.exe", QStringLiteral("ORVAN/tav/en.exe"));
    program("english.exe", QStringLiteral("ORVAN/srv/en.exe"));
    program("english.exe", QStringLiteral("ORVAN/srv/tv.exe"));
    dir.write(QStringLiteral("ORVAN/tav/POMOC.pdf"), "%PDF");

    const std::vector<MenuButton> buttons = model.read();
    ASSERT_EQ(keys(buttons), (QStringList{"Srv1", "Srv2", "Tav1", "Tav2", "Pux1"}));

    // Only the Team Viewer entry reads the English table's ProductVersion.
    const struct {
        VersionResult result;
        const char *version;
        const char *versionLine;
    } versionsOf[] = {
        {VersionResult::NoValue, "", "verzia nezistená"},
        {VersionResult::Found, "15.4.6", "v15.4.6"},
        {VersionResult::Found, "2.0.1.15", "v2.0.1.15"},
        {VersionResult::NoValue, "", "verzia nezistená"},
        {VersionResult::NoFile, "", "(bez inštalácie)"},
    };
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        SCOPED_TRACE(buttons[i].key.text().toStdString());
        EXPECT_EQ(buttons[i].version.result, versionsOf[i].result);
        EXPECT_EQ(buttons[i].version.text, QString::fromUtf8(versionsOf[i].version));
        EXPECT_EQ(buttons[i].caption().section(QChar(13), 2, 2),
                  QString::fromUtf8(versionsOf[i].versionLine));
    }

    const MenuButton &tav = buttons[2];
    EXPECT_EQ(tav.name, QStringLiteral("Účtovníctvo"));
    EXPECT_EQ(tav.second, QStringLiteral("podvojné"));
    EXPECT_EQ(menu::test::comparablePath(tav.target),
              menu::test::comparablePath(dir.file(QStringLiteral("ORVAN/tav/tav.exe"))));
    EXPECT_TRUE(tav.exists);
    EXPECT_TRUE(tav.startable());
    EXPECT_EQ(tav.caption(), QStringLiteral("Účtovníctvo\rpodvojné\rv2.0.1.15\r"));
    ASSERT_EQ(tav.entries.size(), 2u);
    EXPECT_EQ(tav.entries[0].key.text(), QStringLiteral("Tav11"));
    EXPECT_EQ(tav.entries[0].name, QStringLiteral("Pomoc"));
    EXPECT_EQ(menu::test::comparablePath(tav.entries[0].target),
              menu::test::comparablePath(dir.file(QStringLiteral("ORVAN/tav/POMOC.pdf"))));
    EXPECT_TRUE(tav.entries[0].exists);
    EXPECT_EQ(tav.entries[0].picture, EntryPicture::Pdf);
    EXPECT_EQ(tav.entries[1].key.text(), QStringLiteral("Tav12"));
    EXPECT_EQ(tav.entries[1].picture, EntryPicture::ProgramIcon);
    EXPECT_TRUE(buttons[3].entries.empty());

    // A program that is not there is shown but cannot be started.
    const MenuButton &missing = buttons[4];
    EXPECT_FALSE(missing.exists);
    EXPECT_FALSE(missing.startable());
    EXPECT_EQ(missing.caption(), QStringLiteral("Posledný\r\r(bez inštalácie)\r"));

    const MenuButton *teamViewer = teamViewerButton(buttons);
    ASSERT_NE(teamViewer, nullptr);
    EXPECT_EQ(teamViewer->key.text(), QStringLiteral("Srv2"));
    EXPECT_EQ(menu::test::comparablePath(teamViewer->target),
              menu::test::comparablePath(dir.file(QStringLiteral("ORVAN/srv/tv.exe"))));
}

TEST_F(MenuModelTest, EveryReadAndEveryClickAsksTheFilesAnew)
{
    module("Tav", "[Menu1]\r\nExe=\\ORVAN\\TAV\\tav.exe\r\nNaz=Prvy\r\n");
    EXPECT_EQ(keys(model.read()), QStringList{"Tav1"});
    EXPECT_EQ(teamViewerButton(model.read()), nullptr);

    module("Tav", "[Menu1]\r\nExe=\\ORVAN\\TAV\\tav.exe\r\nNaz=Iny\r\n"
                  "[Menu2]\r\nExe=\\ORVAN\\TAV\\b.exe\r\n[Menu21]\r\nExe=\\ORVAN\\TAV\\c.url\r\n");
    program("slovak.exe", QStringLiteral("ORVAN/TAV/tav.exe"));
    const std::vector<MenuButton> buttons = model.read();
    ASSERT_EQ(keys(buttons), (QStringList{"Tav1", "Tav2"}));
    EXPECT_TRUE(buttons[0].exists);
    EXPECT_EQ(buttons[0].version.text, QStringLiteral("2.0.1.15"));

    const auto entry = model.entry(*EntryKey::parse(QStringLiteral("Tav21")));
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->section, QStringLiteral("Menu21"));
    EXPECT_EQ(entry->target, dir.file(QStringLiteral("ORVAN/TAV/c.url")));
    EXPECT_FALSE(model.entry(*EntryKey::parse(QStringLiteral("Tav3"))).has_value());
    EXPECT_FALSE(model.entry(*EntryKey::parse(QStringLiteral("Pem1"))).has_value());

    // The program vanished between the looks: its section is still found, its file is not.
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("ORVAN/TAV/tav.exe"))));
    const std::vector<MenuButton> again = model.read();
    EXPECT_FALSE(again[0].exists);
    EXPECT_EQ(again[0].version.result, VersionResult::NoFile);
    EXPECT_TRUE(model.entry(again[0].key).has_value());
}

TEST_F(MenuModelTest, NoModuleFilesNoButtons)
{
    EXPECT_TRUE(model.read().empty());
    QDir().mkpath(dir.file(QStringLiteral("ORVAN")));
    EXPECT_TRUE(model.read().empty());
    EXPECT_EQ(model.drivePrefix(), dir.path());
}

} // namespace
