// Writes of the settings that never make the window's thread wait for another writer: at once
// when the lock is free, on a worker in their order while it is held, and given up on demand.
#include "core/SettingsSaver.h"

#include "platform/FileLock.h"
#include "support/TempDir.h"

#include <QTest>
#include <cerrno>
#include <gtest/gtest.h>
#include <optional>

using menu::core::SettingsSaver;
namespace platform = menu::platform;
using namespace std::chrono_literals;

namespace {

// Rounds that take the real lock of one file and record the order in which they got it.
class SaverTest : public ::testing::Test {
  protected:
    SettingsSaver::Round round(int number)
    {
        return [this, number](const platform::LockWait &wait) -> menu::Status {
            const auto held = platform::FileLock::acquire(file, wait);
            if (!held.ok())
                return held.failure();
            taken.append(number); // under the lock: one round at a time
            return {};
        };
    }
    SettingsSaver::Done record(int number)
    {
        return [this, number](const menu::Status &saved) {
            done.append(number);
            outcomes.append(saved.ok() ? 0 : saved.failure().code.value());
        };
    }
    void hold()
    {
        auto held = platform::FileLock::acquire(file, {});
        ASSERT_TRUE(held.ok());
        holder.emplace(std::move(*held));
    }

    menu::test::TempDir dir;
    QString file = dir.file(QStringLiteral("menu.ini"));
    std::optional<platform::FileLock> holder;
    QList<int> taken, done, outcomes;
};

} // namespace

TEST_F(SaverTest, AFreeLockIsWrittenAtOnce)
{
    SettingsSaver saver(60s);
    const std::optional<menu::Status> now = saver.save(round(1), record(1));
    ASSERT_TRUE(now.has_value());
    EXPECT_TRUE(now->ok());
    EXPECT_EQ(taken, QList<int>{1});
    EXPECT_TRUE(done.isEmpty());
    EXPECT_FALSE(saver.waiting());
}

// A round that found the lock held waits on a worker; a later one, though the lock may be
// free by then, goes after it, so that an older value never overwrites a newer one.
TEST_F(SaverTest, HeldRoundsWaitOffTheThreadAndKeepTheirOrder)
{
    SettingsSaver saver(60s);
    hold();
    EXPECT_FALSE(saver.save(round(1), record(1)).has_value());
    EXPECT_FALSE(saver.save(round(2), record(2)).has_value());
    EXPECT_TRUE(saver.waiting());
    EXPECT_TRUE(taken.isEmpty());
    holder.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.size() == 2; }, 20000));
    EXPECT_EQ(taken, (QList<int>{1, 2}));
    EXPECT_EQ(done, (QList<int>{1, 2}));
    EXPECT_EQ(outcomes, (QList<int>{0, 0}));
    EXPECT_FALSE(saver.waiting());
}

// Each round waits at most the wait from when it was asked for, and ends with EBUSY; a cancel
// gives up what is left without a word.
TEST_F(SaverTest, AHolderThatStaysEndsEachWaitAndCancelEndsThemAll)
{
    {
        SettingsSaver saver(50ms);
        hold();
        EXPECT_FALSE(saver.save(round(1), record(1)).has_value());
        EXPECT_FALSE(saver.save(round(2), record(2)).has_value());
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.size() == 2; }, 20000));
        EXPECT_TRUE(taken.isEmpty());
        EXPECT_EQ(outcomes, QList<int>(2, EBUSY));
    }
    done.clear();
    SettingsSaver saver(60s);
    EXPECT_FALSE(saver.save(round(3), record(3)).has_value());
    saver.cancel();
    EXPECT_FALSE(saver.waiting());
    holder.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(done.isEmpty());
    EXPECT_TRUE(taken.isEmpty());
}
