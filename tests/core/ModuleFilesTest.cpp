// The module files orvan-<code>.ini: which sections make buttons and submenu entries.
#include "core/ModuleFiles.h"

#include "platform/ProfileFiles.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>

using menu::core::ModuleEntry;
using menu::core::ModuleFiles;
using menu::test::TempDir;

namespace {

QStringList sections(const std::vector<ModuleEntry> &entries)
{
    QStringList names;
    for (const ModuleEntry &entry : entries)
        names << entry.section;
    return names;
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
    EXPECT_EQ(menu::test::comparablePath(buttons[0].target),
              menu::test::comparablePath(dir.file(QStringLiteral("ORVAN/tav/TAV.EXE"))));
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
    EXPECT_TRUE(files.submenuEntries(QStringLiteral("Tav"), 10).empty());
    EXPECT_TRUE(files.submenuEntries(QStringLiteral("Pem"), 1).empty());
}

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

// A module file rewritten between any two reads: each read finds the next of its versions.
class ChangingStore final : public menu::platform::ProfileStore {
  public:
    std::optional<QString> read(const QString &file, const QString &section,
                                const QString &key) const override
    {
        const auto index = readAll(file);
        return index ? index->lookup(section, key) : std::nullopt;
    }
    std::shared_ptr<const menu::formats::ProfileIndex> readAll(const QString &) const override
    {
        ++reads;
        const QByteArray &text = versions.at(std::min(reads, versions.size()) - 1);
        if (text.isNull())
            return nullptr; // removed
        return std::make_shared<const menu::formats::ProfileIndex>(text);
    }
    menu::Status write(const QString &, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    menu::Status writeValues(const QString &, const QList<Value> &,
                             const menu::platform::LockWait &) override
    {
        return {};
    }
    QList<QByteArray> versions;
    mutable qsizetype reads = 0;
};

TEST(ModuleFilesChanging, AMenuComesFromOneReadOfTheFile)
{
    ChangingStore store;
    store.versions = {"[Menu1]\nExe=\\a.exe\nNaz=A\n[Menu11]\nExe=\\a.pdf\n[Menu2]\nExe=\\b.exe\n",
                      QByteArray(), "[Menu1]\nExe=\\z.exe\n[Menu12]\nExe=\\z.pdf\n"};
    const ModuleFiles files(store, QStringLiteral("/d"));
    const menu::core::ModuleMenu menu = files.menu(QStringLiteral("Tav"));
    EXPECT_EQ(store.reads, 1);
    ASSERT_EQ(menu.buttons.size(), 2u);
    EXPECT_EQ(menu.buttons[0].name, QStringLiteral("A"));
    ASSERT_EQ(menu.submenus.size(), 2u);
    ASSERT_EQ(menu.submenus[0].size(), 1u);
    EXPECT_EQ(menu.submenus[0][0].section, QStringLiteral("Menu11"));
    EXPECT_TRUE(menu.submenus[1].empty());
    // Removed before the next read: no buttons, and nothing read from a file that is gone.
    EXPECT_TRUE(files.buttons(QStringLiteral("Tav")).empty());
    EXPECT_EQ(sections(files.buttons(QStringLiteral("Tav"))), QStringList{"Menu1"});
}

} // namespace
