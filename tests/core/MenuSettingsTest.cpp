#include "core/MenuSettings.h"

#include "platform/ProfileFiles.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using menu::core::MenuIni;
using menu::core::ModuleEntry;
using menu::core::ModuleFiles;
using menu::core::SettingsWriteError;
using menu::test::TempDir;

namespace {

TEST(MenuIni, ReadAndWrite)
{
    TempDir dir;
    menu::platform::ProfileFiles store;
    MenuIni ini(store, dir.path() + QLatin1Char('/'));
    EXPECT_EQ(ini.path(), dir.file(QStringLiteral("menu.ini")));

    EXPECT_EQ(ini.MenuIniRead(QStringLiteral("OPTIONS"), QStringLiteral("Left")), QString());
    EXPECT_TRUE(
        ini.MenuIniWrite(QStringLiteral("OPTIONS"), QStringLiteral("Left"), QStringLiteral("10")));
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray("[OPTIONS]\r\nLeft=10\r\n"));
    EXPECT_EQ(ini.MenuIniRead(QStringLiteral("options"), QStringLiteral("left")),
              QStringLiteral("10"));
    EXPECT_EQ(ini.MenuIniRead(QStringLiteral("OPTIONS"), QStringLiteral("Top")), QString());
    EXPECT_EQ(ini.MenuIniRead(QStringLiteral("ORVAN"), QStringLiteral("Left")), QString());
}

TEST(MenuIni, WriteFailureRaisesWithThePath)
{
    TempDir dir;
    menu::platform::ProfileFiles store;
    dir.write(QStringLiteral("menu.ini/keep"), "x"); // a directory where menu.ini belongs
    MenuIni ini(store, dir.path() + QLatin1Char('/'));
    try {
        ini.MenuIniWrite(QStringLiteral("OPTIONS"), QStringLiteral("Left"), QStringLiteral("1"));
        FAIL() << "no error raised";
    } catch (const SettingsWriteError &error) {
        EXPECT_EQ(error.text(), QStringLiteral("Unable to write to ") + ini.path());
        EXPECT_STREQ(error.what(), ("Unable to write to " + ini.path().toStdString()).c_str());
    }
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini/keep")), QByteArray("x"));
}

class ModuleFilesTest : public ::testing::Test {
  protected:
    void module(const char *code, const QByteArray &text)
    {
        dir.write(QStringLiteral("ORVAN/orvan-%1.ini").arg(QLatin1String(code)), text);
    }
    QStringList sections(const std::vector<ModuleEntry> &entries) const
    {
        QStringList names;
        for (const ModuleEntry &entry : entries)
            names << entry.section;
        return names;
    }

    TempDir dir;
    menu::platform::ProfileFiles store;
    ModuleFiles files{store, dir.path()};
};

TEST_F(ModuleFilesTest, ButtonsEndAtTheFirstGap)
{
    const struct {
        const char *name;
        QByteArray file;
        QStringList buttons;
    } cases[] = {
        {"gap", "[Menu1]\nExe=\\a.exe\n[Menu3]\nExe=\\c.exe\n", {"Menu1"}},
        {"emptyExe", "[Menu1]\nExe=\\a.exe\n[Menu2]\nExe=\n[Menu3]\nExe=\\c.exe\n", {"Menu1"}},
        {"noExe", "[Menu1]\nNaz=x\n[Menu2]\nExe=\\b.exe\n", {}},
        {"nineAtMost",
         "[Menu1]\nExe=\\1\n[Menu2]\nExe=\\2\n[Menu3]\nExe=\\3\n[Menu4]\nExe=\\4\n"
         "[Menu5]\nExe=\\5\n[Menu6]\nExe=\\6\n[Menu7]\nExe=\\7\n[Menu8]\nExe=\\8\n"
         "[Menu9]\nExe=\\9\n[Menu10]\nExe=\\10\n",
         {"Menu1", "Menu2", "Menu3", "Menu4", "Menu5", "Menu6", "Menu7", "Menu8", "Menu9"}},
    };
    for (const auto &c : cases) {
        module("Tav", c.file);
        EXPECT_EQ(sections(files.buttons(QStringLiteral("Tav"))), c.buttons) << c.name;
    }
    EXPECT_TRUE(files.buttons(QStringLiteral("Pem")).empty()); // no module file
}

TEST_F(ModuleFilesTest, ButtonEntryFields)
{
    module("Tav", "[Menu1]\r\nExe=\\ORVAN\\TAV\\tav.exe\r\nNaz=\x9A\xE8\r\nDop=druh\xFD\r\n");
    dir.write(QStringLiteral("ORVAN/tav/TAV.EXE"), "MZ");
    const auto buttons = files.buttons(QStringLiteral("Tav"));
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].name, QStringLiteral("šč"));
    EXPECT_EQ(buttons[0].extra, QStringLiteral("druhý"));
    EXPECT_EQ(buttons[0].target, dir.file(QStringLiteral("ORVAN/tav/TAV.EXE")));
}

TEST_F(ModuleFilesTest, SubmenuEndsAtTheFirstSectionWithoutExe)
{
    module("Tav", "[Menu1]\nExe=\\a.exe\n[Menu11]\nExe=\\b.pdf\nNaz=B\n[Menu12]\nExe=\nNaz=C\n"
                  "[Menu14]\nExe=\\d.exe\n[Menu21]\nExe=\\e.exe\n");
    const auto entries = files.submenuEntries(QStringLiteral("Tav"), 1);
    EXPECT_EQ(sections(entries), (QStringList{"Menu11", "Menu12"}));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, QStringLiteral("B"));
    EXPECT_EQ(entries[1].name, QStringLiteral("C"));
    EXPECT_EQ(entries[1].target, files.drivePrefix());
    EXPECT_EQ(sections(files.submenuEntries(QStringLiteral("Tav"), 2)), QStringList{"Menu21"});
    EXPECT_TRUE(files.submenuEntries(QStringLiteral("Tav"), 3).empty());
    EXPECT_TRUE(files.submenuEntries(QStringLiteral("Tav"), 0).empty());
    EXPECT_TRUE(files.submenuEntries(QStringLiteral("Pem"), 1).empty());
}

TEST_F(ModuleFilesTest, ModuleEntryRead)
{
    module("Tav", "[Menu1]\nExe=\\ORVAN\\x.exe\nNaz=N\n[Menu2]\nNaz=no exe\n");
    QString name = QStringLiteral("n0"), extra = QStringLiteral("e0"),
            target = QStringLiteral("t0");
    const auto untouched = [&] {
        return name == QLatin1String("n0") && extra == QLatin1String("e0") &&
               target == QLatin1String("t0");
    };
    EXPECT_FALSE(
        files.ModuleEntryRead(QStringLiteral("Tav"), QStringLiteral("Menu5"), name, extra, target));
    EXPECT_TRUE(untouched());
    EXPECT_FALSE(
        files.ModuleEntryRead(QStringLiteral("Tav"), QStringLiteral("Menu2"), name, extra, target));
    EXPECT_TRUE(untouched());
    EXPECT_FALSE(
        files.ModuleEntryRead(QStringLiteral("Pem"), QStringLiteral("Menu1"), name, extra, target));
    EXPECT_TRUE(untouched());

    EXPECT_TRUE(
        files.ModuleEntryRead(QStringLiteral("Tav"), QStringLiteral("menu1"), name, extra, target));
    EXPECT_EQ(name, QStringLiteral("N"));
    EXPECT_EQ(extra, QString());
    EXPECT_EQ(target, dir.file(QStringLiteral("ORVAN/x.exe")));
    EXPECT_EQ(files.filePath(QStringLiteral("Tav")),
              dir.file(QStringLiteral("ORVAN/orvan-Tav.ini")));
}

} // namespace
