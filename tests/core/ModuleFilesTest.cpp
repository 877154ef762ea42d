// The module files orvan-<code>.ini: which sections make buttons and submenu entries, and an
// entry as a click finds it again.
#include "core/MenuModel.h"
#include "core/ModuleFiles.h"

#include "platform/ProfileFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using menu::core::configuredButtons;
using menu::core::MenuButton;
using menu::core::ModuleFiles;
using menu::test::TempDir;

namespace {

// The sections that became buttons and entries: "Menu1[Menu11,Menu12] Menu2[]".
QString layout(const std::vector<MenuButton> &buttons)
{
    QStringList shown;
    for (const MenuButton &button : buttons) {
        QStringList entries;
        for (const auto &entry : button.entries)
            entries << entry.key.section();
        shown << button.key.section() + u'[' + entries.join(u',') + u']';
    }
    return shown.join(u' ');
}

TEST(ConfiguredButtons, ButtonsEndAtTheFirstGapAndEntriesAtTheFirstMissingExe)
{
    const struct {
        const char *name;
        QByteArray file;
        const char *layout;
    } cases[] = {
        {"gap", "[Menu1]\nExe=\\a.exe\n[Menu3]\nExe=\\c.exe\n", "Menu1[]"},
        {"emptyExe", "[Menu1]\nExe=\\a.exe\n[Menu2]\nExe=\n[Menu3]\nExe=\\c.exe\n", "Menu1[]"},
        {"noExe", "[Menu1]\nNaz=x\n[Menu2]\nExe=\\b.exe\n", ""},
        {"nineAtMost",
         "[Menu1]\nExe=\\1\n[Menu2]\nExe=\\2\n[Menu3]\nExe=\\3\n[Menu4]\nExe=\\4\n"
         "[Menu5]\nExe=\\5\n[Menu6]\nExe=\\6\n[Menu7]\nExe=\\7\n[Menu8]\nExe=\\8\n"
         "[Menu9]\nExe=\\9\n[Menu10]\nExe=\\10\n",
         "Menu1[] Menu2[] Menu3[] Menu4[] Menu5[] Menu6[] Menu7[] Menu8[] Menu9[]"},
        // An empty Exe is an entry (told as undefined when started); a missing one ends them.
        {"entries",
         "[Menu1]\nExe=\\a.exe\n[Menu11]\nExe=\\b.pdf\n[Menu12]\nExe=\n[Menu14]\nExe=\\d.exe\n"
         "[Menu2]\nExe=\\e.exe\n[Menu21]\nExe=\\e.pdf\n[Menu3]\nExe=\\f.exe\n",
         "Menu1[Menu11,Menu12] Menu2[Menu21] Menu3[]"},
        {"entryWithoutButton", "[Menu11]\nExe=\\b.pdf\n", ""},
    };
    for (const auto &c : cases) {
        const auto buttons =
            configuredButtons(menu::formats::ProfileIndex(c.file), QStringLiteral("Tav"));
        EXPECT_EQ(layout(buttons), QLatin1String(c.layout)) << c.name;
    }
}

TEST(ConfiguredButtons, CaptionsAndPathsAsWritten)
{
    const auto buttons = configuredButtons(
        menu::formats::ProfileIndex("[Menu1]\r\nExe=\\ORVAN\\TAV\\tav.exe\r\nNaz=\x9A\xE8\r\n"
                                    "Dop=druh\xFD\r\n[Menu11]\r\nExe=\r\nNaz=C\r\n"),
        QStringLiteral("Tav"));
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].key.text(), QStringLiteral("Tav1"));
    EXPECT_EQ(buttons[0].name, QStringLiteral("šč"));
    EXPECT_EQ(buttons[0].second, QStringLiteral("druhý"));
    EXPECT_EQ(buttons[0].configured, QStringLiteral("\\ORVAN\\TAV\\tav.exe"));
    ASSERT_EQ(buttons[0].entries.size(), 1u);
    EXPECT_EQ(buttons[0].entries[0].key.text(), QStringLiteral("Tav11"));
    EXPECT_EQ(buttons[0].entries[0].name, QStringLiteral("C"));
    EXPECT_TRUE(buttons[0].entries[0].configured.isEmpty());
}

class ModuleFilesTest : public ::testing::Test {
  protected:
    void module(const char *code, const QByteArray &text)
    {
        dir.write(QStringLiteral("ORVAN/orvan-%1.ini").arg(QLatin1String(code)), text);
    }

    TempDir dir;
    menu::platform::ProfileFiles store;
    ModuleFiles files{store, dir.path()};
};

TEST_F(ModuleFilesTest, EntryNeedsTheFileTheSectionAndTheExeKey)
{
    module("Tav", "[Menu1]\nExe=\\ORVAN\\x.exe\nNaz=N\n[Menu2]\nNaz=no exe\n[Menu3]\nExe=\n");
    EXPECT_FALSE(files.entry(QStringLiteral("Tav"), QStringLiteral("Menu5")).has_value());
    EXPECT_FALSE(files.entry(QStringLiteral("Tav"), QStringLiteral("Menu2")).has_value());
    EXPECT_FALSE(files.entry(QStringLiteral("Pem"), QStringLiteral("Menu1")).has_value());
    // An empty Exe is an entry; whoever starts it tells the user it is not defined.
    EXPECT_TRUE(files.entry(QStringLiteral("Tav"), QStringLiteral("Menu3")).has_value());

    const auto found = files.entry(QStringLiteral("Tav"), QStringLiteral("menu1"));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->name, QStringLiteral("N"));
    EXPECT_EQ(found->extra, QString());
    EXPECT_EQ(found->target, dir.file(QStringLiteral("ORVAN/x.exe")));
    EXPECT_EQ(files.filePath(QStringLiteral("Tav")),
              dir.file(QStringLiteral("ORVAN/orvan-Tav.ini")));
}

} // namespace
