#include "platform/FileLock.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"

namespace menu::platform {

namespace {
// Windows' byte-range locks are binding for reads and writes of the range they cover. The lock
// lies far beyond the end of any INI file, where it binds nothing and is seen only by lockers.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;
constexpr DWORD kLockLength = 1;
} // namespace

struct FileLock::Native {
    win32::UniqueHandle file;
    ~Native()
    {
        if (file.valid()) {
            OVERLAPPED at{};
            at.OffsetHigh = kLockOffsetHigh;
            ::UnlockFileEx(file.get(), 0, kLockLength, 0, &at);
        }
    }
};

FileLock::FileLock(std::unique_ptr<Native> native) : native_(std::move(native)) {}
FileLock::FileLock(FileLock &&) noexcept = default;
FileLock &FileLock::operator=(FileLock &&) noexcept = default;
FileLock::~FileLock() = default;

Result<FileLock> FileLock::lock(const QString &path, Mode mode, Wait wait)
{
    auto native = std::make_unique<Native>();
    // Others keep reading, writing, renaming and replacing the file while it is locked.
    native->file.reset(::CreateFileW(win32::wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!native->file.valid())
        return win32::lastFailure(path);
    DWORD flags = mode == Mode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
    if (wait == Wait::No)
        flags |= LOCKFILE_FAIL_IMMEDIATELY;
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    if (!::LockFileEx(native->file.get(), flags, 0, kLockLength, 0, &at)) {
        const Failure failure = win32::lastFailure(path);
        native->file.reset(); // nothing to unlock
        return failure;
    }
    return FileLock(std::move(native));
}

} // namespace menu::platform
