// The lock of one read-modify-write of a shared file, on both sides of the seam: one holder at a
// time without keeping readers out, the file it creates and takes back, and a writer that waited
// while another replaced the file.
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <future>
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

namespace {

// Whether another locker of the file now at path is refused at once. Either side's lock belongs
// to one opening of the file, so a second opening in this process is such another locker.
bool lockedElsewhere(const QString &path)
{
#ifdef _WIN32
    platform::win32::UniqueHandle file(
        ::CreateFileW(platform::win32::wide(path).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    OVERLAPPED at{};
    at.OffsetHigh = 0x7FFFFFFF; // the byte win32/FileLock.cpp locks
    return !::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                         &at); // closing the handle gives a granted lock back
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool refused = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return refused;
#endif
}

const platform::AtomicFile::Options kReplace{};

} // namespace

TEST(FileLock, OneHolderAtATimeWhileReadersAndTheWriteGoOn)
{
    TempDir dir;
    const QString ini = dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\n");
    {
        auto held = platform::FileLock::acquire(ini);
        ASSERT_TRUE(held.ok()) << held.failure().detail.toStdString();
        EXPECT_FALSE(held->createdFile());
        EXPECT_TRUE(lockedElsewhere(ini));
        EXPECT_EQ(platform::readWholeFile(ini, 1024).value(), QByteArray("[OPTIONS]\r\n"));
        ASSERT_TRUE(platform::replaceFileContent(ini, "[OPTIONS]\r\nLeft=1\r\n", kReplace).ok());
    }
    EXPECT_FALSE(lockedElsewhere(ini));
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray("[OPTIONS]\r\nLeft=1\r\n"));
}

TEST(FileLock, AFileItCreatedGoesOnlyWhileItIsStillTheOneThere)
{
    struct Case {
        const char *name;
        std::optional<QByteArray> before; // the file before acquire; none: missing
        std::optional<QByteArray> written; // what the write put in its place before it failed
        std::optional<QByteArray> after;  // the file after removeCreatedFile
    };
    const Case cases[] = {
        {"existing file stays", QByteArray("[A]\r\n"), std::nullopt, QByteArray("[A]\r\n")},
        {"existing file replaced stays", QByteArray("[A]\r\n"), QByteArray("[B]\r\n"),
         QByteArray("[B]\r\n")},
        {"created file goes", std::nullopt, std::nullopt, std::nullopt},
        {"created file replaced stays", std::nullopt, QByteArray("[B]\r\n"), QByteArray("[B]\r\n")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString ini = dir.path() + QStringLiteral("/menu.ini");
        if (c.before)
            dir.write(QStringLiteral("menu.ini"), *c.before);
        {
            auto held = platform::FileLock::acquire(ini);
            ASSERT_TRUE(held.ok()) << held.failure().detail.toStdString();
            EXPECT_EQ(held->createdFile(), !c.before);
            if (!c.before) {
                EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray());
            }
            if (c.written) {
                ASSERT_TRUE(platform::replaceFileContent(ini, *c.written, kReplace).ok());
            }
            held->removeCreatedFile();
            EXPECT_FALSE(held->createdFile());
        }
        // Where Windows deletes only once the last handle closes, the lock's handle keeps the
        // name until the lock is given back; the write gives it back right after.
        EXPECT_EQ(platform::exists(ini), c.after.has_value());
        if (c.after) {
            EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), *c.after);
        }
    }
}

TEST(FileLock, AFolderIsRefused)
{
    TempDir dir;
    auto held = platform::FileLock::acquire(dir.path());
    ASSERT_FALSE(held.ok());
    EXPECT_TRUE(held.failure().is(std::errc::is_a_directory));
}

// The second writer opens the file and waits, or finds the name empty for a moment while the
// first replaces the file (Wine's ReplaceFileW) and makes a file there; the first's replacement
// must succeed either way. The second must then hold the file now at the path, not the
// replaced one nobody reads any more.
TEST(FileLock, AWriterThatWaitedHoldsTheFileNowThere)
{
    TempDir dir;
    const QString ini = dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\n");
    std::optional<platform::FileLock> first;
    {
        auto held = platform::FileLock::acquire(ini);
        ASSERT_TRUE(held.ok());
        first.emplace(std::move(*held));
    }
    std::promise<bool> acquired;
    std::promise<void> release;
    std::thread second([&] {
        auto held = platform::FileLock::acquire(ini);
        acquired.set_value(held.ok());
        release.get_future().wait();
    });
    const menu::Status replaced = platform::replaceFileContent(ini, "[OPTIONS]\r\nLeft=1\r\n", kReplace);
    EXPECT_TRUE(replaced.ok()) << replaced.failure().detail.toStdString() << " "
                               << replaced.failure().code.message();
    first.reset();
    const bool secondHolds = acquired.get_future().get();
    EXPECT_TRUE(secondHolds);
    EXPECT_TRUE(lockedElsewhere(ini));
    release.set_value();
    second.join();
    EXPECT_FALSE(lockedElsewhere(ini));
}
