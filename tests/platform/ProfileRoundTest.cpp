// Rounds of writes to one shared profile file, on both sides of the seam: each round is read,
// merged and replaced under the file's lock, waits for another holder only as long as it is
// allowed to, and tries a file kept busy for a moment again.
#include "platform/FileLock.h"
#include "platform/ProfileFiles.h"
#include "support/TempDir.h"

#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <vector>

#ifdef _WIN32
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"
#endif

using menu::test::TempDir;
namespace platform = menu::platform;
using namespace std::chrono_literals;
using Values = QList<platform::ProfileStore::Value>;

namespace {

QString value(const QString &file, const char *key)
{
    return platform::ProfileFiles()
        .read(file, QStringLiteral("OPTIONS"), QLatin1String(key))
        .value_or(QString());
}

} // namespace

// Another seat holds the lock: a round that may not wait leaves the file as it was; one that
// waits writes every value once the holder lets go (here: when the round first waits).
TEST(ProfileRound, WaitsForTheHolderOnlyAsLongAsAllowed)
{
    for (const bool waits : {false, true}) {
        SCOPED_TRACE(waits ? "waits" : "tries once");
        TempDir dir;
        const QString ini = dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\nLeft=1\r\n");
        std::optional<platform::FileLock> holder;
        {
            auto held = platform::FileLock::acquire(ini, {});
            ASSERT_TRUE(held.ok());
            holder.emplace(std::move(*held));
        }
        std::atomic<bool> released{false};
        std::thread writer;
        menu::Status written;
        const platform::LockWait wait{waits ? 60000ms : 0ms, [&] {
                                          holder.reset();
                                          released = true;
                                          return false;
                                      }};
        writer = std::thread([&] {
            written = platform::ProfileFiles().writeValues(
                ini, Values{{"OPTIONS", "Left", "2"}, {"OPTIONS", "Top", "3"}}, wait);
        });
        writer.join();
        EXPECT_EQ(written.ok(), waits);
        EXPECT_EQ(released.load(), waits);
        if (!waits) {
            EXPECT_TRUE(written.failure().is(std::errc::device_or_resource_busy));
            EXPECT_EQ(written.failure().path, ini);
        }
        EXPECT_EQ(value(ini, "Left"), waits ? QStringLiteral("2") : QStringLiteral("1"));
        EXPECT_EQ(value(ini, "Top"), waits ? QStringLiteral("3") : QString());
    }
}

// Forty writers at once, each a round of two values, each through a store of its own as
// separate launchers are: no value is lost, and no round is torn.
TEST(ProfileRound, FortyWritersLoseNothing)
{
    constexpr int kWriters = 40;
    TempDir dir;
    const QString ini = dir.file(QStringLiteral("menu.ini"));
    std::vector<std::thread> writers;
    std::atomic<int> failed{0};
    for (int i = 0; i < kWriters; ++i) {
        writers.emplace_back([&, i] {
            const QString n = QString::number(i);
            const menu::Status written = platform::ProfileFiles().writeValues(
                ini, Values{{"OPTIONS", "A" + n, n}, {"OPTIONS", "B" + n, n}}, {120s, {}});
            if (!written.ok())
                ++failed;
        });
    }
    for (std::thread &writer : writers)
        writer.join();
    EXPECT_EQ(failed.load(), 0);
    const platform::ProfileFiles store;
    for (int i = 0; i < kWriters; ++i) {
        for (const char *prefix : {"A", "B"}) {
            EXPECT_EQ(store.read(ini, QStringLiteral("OPTIONS"), prefix + QString::number(i)),
                      QString::number(i))
                << prefix << i;
        }
    }
}

#ifdef _WIN32
// A virus scanner or a backup agent has menu.ini open without sharing it for a moment: the
// write tries again after a short pause, within its wait; without a wait it says the file is
// busy and changes nothing.
TEST(ProfileRound, AFileKeptBusyForAMomentIsTriedAgain)
{
    for (const bool waits : {false, true}) {
        SCOPED_TRACE(waits ? "waits" : "tries once");
        TempDir dir;
        const QString ini = dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\nLeft=1\r\n");
        platform::win32::UniqueHandle scanner(::CreateFileW(platform::win32::wide(ini).c_str(),
                                                            GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(scanner.valid());
        // Asked between tries: the scanner lets go after the first refused one.
        const platform::LockWait wait{waits ? 60000ms : 0ms, [&] {
                                          scanner.reset();
                                          return false;
                                      }};
        const menu::Status written =
            platform::ProfileFiles().writeValues(ini, Values{{"OPTIONS", "Left", "2"}}, wait);
        EXPECT_EQ(written.ok(), waits);
        if (!waits) {
            EXPECT_TRUE(written.failure().is(std::errc::device_or_resource_busy))
                << written.failure().code.message();
        }
        scanner.reset();
        EXPECT_EQ(value(ini, "Left"), waits ? QStringLiteral("2") : QStringLiteral("1"));
    }
}
#endif
