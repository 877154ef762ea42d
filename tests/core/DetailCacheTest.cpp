// The user's cache of the menu's details: a second start is complete from it alone, the check
// that follows corrects what changed, and a cache file that is damaged or not the user's own
// is ignored and written anew.
#include "core/DetailCache.h"

#include "core/MenuModel.h"
#include "platform/ProfileFiles.h"
#include "platform/ProgramFiles.h"
#include "support/PeFixtures.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace menu::core;
using menu::test::peFixture;
using menu::test::TempDir;

namespace {

// The file at path replaced by a new one holding bytes.
bool replaceWith(const QString &path, const QByteArray &bytes)
{
    QFile::remove(path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class DetailCacheTest : public ::testing::Test {
  protected:
    DetailCacheTest()
    {
        dir.write(QStringLiteral("ORVAN/orvan-Tav.ini"),
                  "[Menu1]\r\nExe=\\ORVAN\\TAV\\tav.exe\r\nNaz=Mzdy\r\n"
                  "[Menu11]\r\nExe=\\ORVAN\\TAV\\tool.exe\r\nNaz=Nastroj\r\n"
                  "[Menu12]\r\nExe=\\ORVAN\\TAV\\help.pdf\r\nNaz=Pomoc\r\n"
                  "[Menu2]\r\nExe=\\ORVAN\\TAV\\later.exe\r\nNaz=Neskor\r\n");
        program("slovak.exe", "ORVAN/TAV/tav.exe");
        program("slovak.exe", "ORVAN/TAV/tool.exe");
        dir.write(QStringLiteral("ORVAN/TAV/help.pdf"), "%PDF");
    }
    void program(const char *fixture, const char *to)
    {
        QFile::remove(dir.file(QLatin1String(to)));
        QDir().mkpath(QFileInfo(dir.file(QLatin1String(to))).absolutePath());
        ASSERT_TRUE(QFile::copy(peFixture(fixture), dir.file(QLatin1String(to))));
    }
    // A build as a start makes it: captions, then every target looked at.
    std::vector<MenuButton> build(const DetailCache *known, DetailCache *learnt) const
    {
        std::vector<MenuButton> buttons = model.readCaptions();
        model.detailAll(buttons, {&icons, known, learnt});
        return buttons;
    }
    // A first start, whose findings are stored.
    std::vector<MenuButton> firstStart() const
    {
        DetailCache learnt;
        std::vector<MenuButton> buttons = build(nullptr, &learnt);
        EXPECT_TRUE(learnt.save(cacheFile()));
        return buttons;
    }
    // What a second start shows before it has looked at any target.
    std::vector<MenuButton> cachedStart() const
    {
        std::vector<MenuButton> buttons = model.readCaptions();
        model.detailFromCache(buttons, DetailCache::load(cacheFile()));
        return buttons;
    }
    QString cacheFile() const { return DetailCache::fileIn(cacheDir.path()); }

    static QStringList captions(const std::vector<MenuButton> &buttons)
    {
        QStringList list;
        for (const MenuButton &button : buttons) {
            list << button.caption().replace(QChar(13), QLatin1Char('|'));
            for (const MenuEntry &entry : button.entries)
                list << entry.name + (entry.exists ? QStringLiteral(" exists") : QString());
        }
        return list;
    }

    TempDir dir, cacheDir;
    menu::platform::ProfileFiles profiles;
    menu::platform::FileVersionReader versions;
    menu::platform::FileIconReader icons;
    MenuModel model{profiles, versions, dir.path()};
};

TEST_F(DetailCacheTest, ASecondStartIsCompleteFromTheCacheAlone)
{
    const std::vector<MenuButton> first = firstStart();
    // Nothing of the targets is looked at: they may as well be gone.
    QDir(dir.file(QStringLiteral("ORVAN/TAV"))).removeRecursively();
    const std::vector<MenuButton> second = cachedStart();
    ASSERT_EQ(second.size(), 2U);
    for (const MenuButton &button : second)
        EXPECT_TRUE(button.detailed && button.fromCache) << button.key.text().toStdString();
    EXPECT_EQ(captions(second), captions(first));
    EXPECT_EQ(captions(second).first(), QStringLiteral("Mzdy||v2.0.1.15|"));
    EXPECT_FALSE(second[0].icon.isNull());
    EXPECT_EQ(second[0].icon, first[0].icon);
    EXPECT_FALSE(second[0].entries[0].icon.isNull());
}

TEST_F(DetailCacheTest, TheCheckCorrectsWhatChanged)
{
    const struct {
        const char *change;
        std::function<void()> make;
        const char *checkedCaption; // of the first button
        bool toolExists;
    } cases[] = {
        {"program replaced by another version",
         [this] { program("english.exe", "ORVAN/TAV/tav.exe"); }, "Mzdy||verzia nezistená|", true},
        {"program removed",
         [this] { QFile::remove(dir.file(QStringLiteral("ORVAN/TAV/tav.exe"))); },
         "Mzdy||(bez inštalácie)|", true},
        {"entry's program removed",
         [this] { QFile::remove(dir.file(QStringLiteral("ORVAN/TAV/tool.exe"))); },
         "Mzdy||v2.0.1.15|", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.change);
        program("slovak.exe", "ORVAN/TAV/tav.exe");
        program("slovak.exe", "ORVAN/TAV/tool.exe");
        firstStart();
        c.make();
        // Shown at once as it was; the check that follows shows it as it is.
        EXPECT_EQ(captions(cachedStart()).first(), QStringLiteral("Mzdy||v2.0.1.15|"));
        const DetailCache known = DetailCache::load(cacheFile());
        DetailCache learnt;
        const std::vector<MenuButton> checked = build(&known, &learnt);
        EXPECT_EQ(captions(checked).first(), QString::fromUtf8(c.checkedCaption));
        EXPECT_FALSE(checked[0].fromCache);
        EXPECT_EQ(checked[0].entries[0].exists, c.toolExists);
        EXPECT_EQ(captions(checked), captions(build(nullptr, nullptr)));
    }
}

TEST_F(DetailCacheTest, AnUnchangedProgramIsNotReadAgain)
{
    // A time the file can be given again exactly.
    QFile tav(dir.file(QStringLiteral("ORVAN/TAV/tav.exe")));
    const QDateTime modified(QDate(2024, 3, 15), QTime(9, 30));
    ASSERT_TRUE(tav.open(QIODevice::ReadWrite));
    ASSERT_TRUE(tav.setFileTime(modified, QFileDevice::FileModificationTime));
    tav.close();
    firstStart();
    // Same size and time, other content: only a read would tell, and none is made.
    QByteArray bytes = menu::test::readAll(tav.fileName());
    bytes.replace(QByteArray("2\0.\0"
                             "0\0.\0"
                             "1\0.\0"
                             "1\0"
                             "5\0",
                             16),
                  QByteArray("7\0.\0"
                             "0\0.\0"
                             "1\0.\0"
                             "1\0"
                             "5\0",
                             16));
    ASSERT_TRUE(tav.open(QIODevice::ReadWrite));
    ASSERT_EQ(tav.write(bytes), bytes.size());
    ASSERT_TRUE(tav.setFileTime(modified, QFileDevice::FileModificationTime));
    tav.close();
    const DetailCache known = DetailCache::load(cacheFile());
    EXPECT_EQ(captions(build(&known, nullptr)).first(), QStringLiteral("Mzdy||v2.0.1.15|"));
    EXPECT_EQ(captions(build(nullptr, nullptr)).first(), QStringLiteral("Mzdy||v7.0.1.15|"));
}

TEST_F(DetailCacheTest, ADamagedOrForeignCacheFileIsIgnoredAndWrittenAnew)
{
    firstStart();
    const QByteArray good = menu::test::readAll(cacheFile());
    ASSERT_FALSE(DetailCache::parse(good).empty());
    const struct {
        const char *damage;
        std::function<bool(const QString &)> make; // false: cannot be made here
    } cases[] = {
        {"cut short",
         [&](const QString &file) { return replaceWith(file, good.left(good.size() / 2)); }},
        {"garbage",
         [&](const QString &file) { return replaceWith(file, QByteArray(4096, '\x7f')); }},
        {"trailing bytes", [&](const QString &file) { return replaceWith(file, good + "x"); }},
        {"a huge icon count",
         [&](const QString &file) {
             QByteArray bytes = good;
             bytes[8] = '\x7f';
             return replaceWith(file, bytes);
         }},
#ifndef _WIN32
        {"writable by others",
         [&](const QString &file) {
             return ::chmod(QFile::encodeName(file).constData(), 0666) == 0;
         }},
        {"owned by another user",
         [&](const QString &file) {
             return ::geteuid() == 0 &&
                    ::chown(QFile::encodeName(file).constData(), 65534, 65534) == 0;
         }},
        {"a link to another file",
         [&](const QString &file) {
             const QString elsewhere = file + QStringLiteral(".elsewhere");
             QFile::remove(elsewhere);
             return QFile::rename(file, elsewhere) && QFile::link(elsewhere, file);
         }},
#endif
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.damage);
        firstStart();
        if (!c.make(cacheFile())) {
            std::printf("[  SKIPPED ] %s: needs the administrator\n", c.damage);
            continue;
        }
        EXPECT_TRUE(DetailCache::load(cacheFile()).empty());
        for (const MenuButton &button : cachedStart())
            EXPECT_FALSE(button.detailed);
        // The next whole build writes it anew, the user's own.
        firstStart();
        EXPECT_FALSE(DetailCache::load(cacheFile()).empty());
        EXPECT_TRUE(cachedStart()[0].fromCache);
    }
}

} // namespace
