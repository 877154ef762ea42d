// The details of a menu filled in by a pool of workers: delivered on the user-interface thread
// in the buttons' order, equal to what a plain build finds, stored in the cache when whole, and
// a cancelled or deleted fill delivers nothing more.
#include "core/MenuFill.h"

#include "platform/ProfileFiles.h"
#include "platform/ProgramFiles.h"
#include "support/PeFixtures.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace menu::core;
using menu::test::TempDir;

namespace {

class MenuFillTest : public ::testing::Test {
  protected:
    MenuFillTest()
    {
        const QByteArray program = menu::test::readAll(menu::test::peFixture("slovak.exe"));
        for (const char *code : {"Srv", "Tav", "Nar", "Pux"}) {
            QByteArray text;
            for (int b = 1; b <= 9; ++b) {
                const QByteArray n = QByteArray::number(b);
                text += "[Menu" + n + "]\nExe=\\ORVAN\\" + code + "\\p" + n + ".exe\nNaz=" + code +
                        n + "\n[Menu" + n + "1]\nExe=\\ORVAN\\" + code + "\\t" + n +
                        ".exe\nNaz=T\n";
                if (b % 3 != 0) // every third program is missing
                    dir.write(QStringLiteral("ORVAN/%1/p%2.exe").arg(QLatin1String(code)).arg(b),
                              program);
                dir.write(QStringLiteral("ORVAN/%1/t%2.exe").arg(QLatin1String(code)).arg(b),
                          program);
            }
            dir.write(QStringLiteral("ORVAN/orvan-%1.ini").arg(QLatin1String(code)), text);
        }
    }
    static QStringList captions(const std::vector<MenuButton> &buttons)
    {
        QStringList list;
        for (const MenuButton &button : buttons)
            list << button.caption() + (button.entries.at(0).exists ? u'+' : u'-');
        return list;
    }

    TempDir dir, cacheDir;
    menu::platform::ProfileFiles profiles;
    menu::platform::FileVersionReader versions;
    menu::platform::FileIconReader icons;
    MenuModel model{profiles, versions, dir.path()};
};

TEST_F(MenuFillTest, DeliversEveryButtonInOrderAsAPlainBuildFindsIt)
{
    const QString cacheFile = DetailCache::fileIn(cacheDir.path());
    MenuFill fill(model, &icons, cacheFile);
    std::vector<MenuButton> delivered;
    QObject::connect(&fill, &MenuFill::buttonDetailed, [&](int index, const MenuButton &button) {
        EXPECT_EQ(index, static_cast<int>(delivered.size()));
        EXPECT_TRUE(button.detailed);
        delivered.push_back(button);
    });
    QSignalSpy finished(&fill, &MenuFill::finished);
    ASSERT_TRUE(fill.start(model.readCaptions()));
    EXPECT_TRUE(fill.running());
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_FALSE(fill.running());
    ASSERT_EQ(delivered.size(), 36U);
    EXPECT_EQ(captions(delivered), captions(model.read()));
    EXPECT_FALSE(delivered[0].icon.isNull());
    EXPECT_TRUE(delivered[2].icon.isNull()); // missing
    // The whole build is what the next start shows at once.
    std::vector<MenuButton> next = model.readCaptions();
    EXPECT_EQ(model.detailFromCache(next, DetailCache::load(cacheFile)), 36U);
    EXPECT_EQ(captions(next), captions(delivered));
}

TEST_F(MenuFillTest, ACancelledOrDeletedFillDeliversNothingMore)
{
    const QString cacheFile = DetailCache::fileIn(cacheDir.path());
    int delivered = 0;
    {
        MenuFill fill(model, &icons, cacheFile);
        QObject::connect(&fill, &MenuFill::buttonDetailed, [&] {
            ++delivered;
            fill.cancel();
        });
        QSignalSpy finished(&fill, &MenuFill::finished);
        ASSERT_TRUE(fill.start(model.readCaptions()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return delivered > 0; }, 60'000));
        QTest::qWait(0);
        EXPECT_EQ(delivered, 1);
        EXPECT_TRUE(finished.isEmpty());
    }
    // Deleted while its workers run: they end, and nothing arrives afterwards.
    {
        MenuFill fill(model, &icons, cacheFile);
        QObject::connect(&fill, &MenuFill::buttonDetailed, [&] { ++delivered; });
        ASSERT_TRUE(fill.start(model.readCaptions()));
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 1);
}

TEST_F(MenuFillTest, AnEmptyMenuFinishesAtOnce)
{
    MenuFill fill(model, nullptr);
    QSignalSpy finished(&fill, &MenuFill::finished);
    ASSERT_TRUE(fill.start({}));
    EXPECT_TRUE(finished.wait(10'000));
    EXPECT_FALSE(fill.start({})); // one fill per object
}

} // namespace
