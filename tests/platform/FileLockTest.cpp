// The lock of one read-modify-write of a shared file, on both sides of the seam: one holder at a
// time without keeping readers out, on a lock file that replacements of the guarded file never
// touch, and a wait that is bounded and can be given up.
#include "platform/FileLock.h"

#include "platform/AtomicFile.h"
#include "platform/Files.h"
#include "support/TempDir.h"

#include <QDir>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

#ifdef _WIN32
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"
#else
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using menu::test::TempDir;
namespace platform = menu::platform;
using namespace std::chrono_literals;

namespace {

// Whether another locker of the lock file of path is refused at once. Either side's lock
// belongs to one opening of the file, so a second opening in this process is such a locker.
bool lockedElsewhere(const QString &path)
{
    const QString lockFile = platform::lockFileOf(path);
#ifdef _WIN32
    platform::win32::UniqueHandle file(::CreateFileW(
        platform::win32::wide(lockFile).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    OVERLAPPED at{}; // the first byte, as win32/FileLock.cpp locks it
    return !::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                         &at); // closing the handle gives a granted lock back
#else
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool refused = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return refused;
#endif
}

const platform::AtomicFile::Options kReplace{};
const platform::LockWait kLong{60s, {}};

} // namespace

TEST(FileLock, OneHolderAtATimeWhileReadersAndTheWriteGoOn)
{
    TempDir dir;
    const QString ini = dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\n");
    {
        auto held = platform::FileLock::acquire(ini, kLong);
        ASSERT_TRUE(held.ok()) << held.failure().detail.toStdString();
        EXPECT_TRUE(lockedElsewhere(ini));
        EXPECT_EQ(platform::readWholeFile(ini, 1024).value(), QByteArray("[OPTIONS]\r\n"));
        ASSERT_TRUE(platform::replaceFileContent(ini, "[OPTIONS]\r\nLeft=1\r\n", kReplace).ok());
        // The replacement leaves the lock where it was.
        EXPECT_TRUE(lockedElsewhere(ini));
    }
    EXPECT_FALSE(lockedElsewhere(ini));
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray("[OPTIONS]\r\nLeft=1\r\n"));
    // The lock file stays for the next writer; the guarded file is never made by the lock.
    const QString missing = dir.file(QStringLiteral("other.ini"));
    ASSERT_TRUE(platform::FileLock::acquire(missing, kLong).ok());
    EXPECT_FALSE(platform::exists(missing));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"menu.ini", "menu.ini.lock", "other.ini.lock"}));
}

// A writer that waited while the holder replaced the file guards the file now at the path: both
// lock the same lock file, which no replacement touches.
TEST(FileLock, AWriterThatWaitedHoldsTheLockOfTheFileAtThePath)
{
    TempDir dir;
    const QString ini = dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\n");
    std::optional<platform::FileLock> first;
    {
        auto held = platform::FileLock::acquire(ini, kLong);
        ASSERT_TRUE(held.ok());
        first.emplace(std::move(*held));
    }
    std::atomic<bool> trying{false};
    std::promise<bool> acquired;
    std::promise<void> release;
    std::thread second([&] {
        trying = true;
        auto held = platform::FileLock::acquire(ini, kLong);
        acquired.set_value(held.ok());
        release.get_future().wait();
    });
    while (!trying)
        std::this_thread::yield();
    const menu::Status replaced =
        platform::replaceFileContent(ini, "[OPTIONS]\r\nLeft=1\r\n", kReplace);
    EXPECT_TRUE(replaced.ok()) << replaced.failure().detail.toStdString();
    first.reset();
    EXPECT_TRUE(acquired.get_future().get());
    EXPECT_TRUE(lockedElsewhere(ini));
    EXPECT_TRUE(
        platform::FileLock::acquire(ini, {}).failure().is(std::errc::device_or_resource_busy));
    release.set_value();
    second.join();
    EXPECT_FALSE(lockedElsewhere(ini));
}

// Anyone who can read the lock file can hold it: a writer gives up after its wait, or at once
// when asked to, and says which file it could not write.
TEST(FileLock, TheWaitIsBoundedAndCanBeGivenUp)
{
    TempDir dir;
    const QString ini = dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\n");
    auto holder = platform::FileLock::acquire(ini, kLong);
    ASSERT_TRUE(holder.ok());

    struct Case {
        const char *name;
        std::chrono::milliseconds limit;
        bool cancel;
        std::errc expected;
    } const cases[] = {
        {"one try", 0ms, false, std::errc::device_or_resource_busy},
        {"a short wait", 150ms, false, std::errc::device_or_resource_busy},
        {"given up", 60s, true, std::errc::operation_canceled},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<int> asked{0};
        const platform::LockWait wait{c.limit, [&] { return c.cancel && ++asked > 2; }};
        const auto held = platform::FileLock::acquire(ini, wait);
        ASSERT_FALSE(held.ok());
        EXPECT_TRUE(held.failure().is(c.expected)) << held.failure().code.message();
        EXPECT_EQ(held.failure().path, ini);
    }
    EXPECT_EQ(platform::readWholeFile(ini, 1024).value(), QByteArray("[OPTIONS]\r\n"));
}

TEST(FileLock, AFolderInPlaceOfTheLockFileIsRefused)
{
    TempDir dir;
    const QString ini = dir.file(QStringLiteral("menu.ini"));
    ASSERT_TRUE(QDir().mkpath(platform::lockFileOf(ini)));
    auto held = platform::FileLock::acquire(ini, kLong);
    ASSERT_FALSE(held.ok());
    EXPECT_TRUE(held.failure().is(std::errc::is_a_directory)) << held.failure().code.message();
}
