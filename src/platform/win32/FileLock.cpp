// LockFileEx on the lock file beside the guarded one, tried without waiting and repeated
// within the bound: a wait in LockFileEx itself could not be bounded, and over SMB it would
// hang on a seat that went away. The handle shares reading and writing but not deletion, so the
// lock file cannot be removed under its holder. Opening it can meet a brief sharing violation
// (a virus scanner or a backup agent looking at it); that is tried again within the bound too.
#include "platform/FileLock.h"

#include "platform/win32/FileTimes.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"

namespace menu::platform {

namespace {

// The first byte of the lock file; nothing is ever written to it.
constexpr DWORD kLockLength = 1;

constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

// The lock file at path, created when missing; one this user may not write is locked through a
// handle that only reads, which LockFileEx accepts as well.
win32::UniqueHandle openLockFile(const std::wstring &path)
{
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShare,
                                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() && ::GetLastError() == ERROR_ACCESS_DENIED)
        file.reset(::CreateFileW(path.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    return file;
}

bool transient(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// A folder cannot be opened as a file: Windows says "access denied", this says what it is.
Failure openFailure(DWORD error, const QString &path)
{
    if (error == ERROR_ACCESS_DENIED && win32::isFolder(win32::attributesOf(path)))
        return Failure::of(std::errc::is_a_directory, path);
    return win32::failureOf(error, path);
}

} // namespace

struct FileLock::Native {
    win32::UniqueHandle file;
    ~Native()
    {
        if (file.valid()) {
            OVERLAPPED at{};
            ::UnlockFileEx(file.get(), 0, kLockLength, 0, &at);
        }
    }
};

Result<FileLock> FileLock::acquire(const QString &path, const LockWait &wait)
{
    const QString lockPath = lockFileOf(path);
    const std::wstring native = win32::wide(lockPath);
    RetryPause pause(wait);
    do {
        win32::UniqueHandle file = openLockFile(native);
        if (!file.valid()) {
            const DWORD error = ::GetLastError();
            if (transient(error))
                continue;
            return openFailure(error, lockPath);
        }
        if (::GetFileType(file.get()) != FILE_TYPE_DISK)
            return Failure::of(std::errc::invalid_argument, lockPath);
        OVERLAPPED at{};
        if (::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                         kLockLength, 0, &at)) {
            auto held = std::make_unique<Native>();
            held->file = std::move(file);
            return FileLock(std::move(held));
        }
        if (const DWORD error = ::GetLastError(); !transient(error))
            return win32::failureOf(error, lockPath);
    } while (pause.next());
    return Failure::of(pause.cancelled() ? std::errc::operation_canceled
                                         : std::errc::device_or_resource_busy,
                       path);
}

FileLock::FileLock(std::unique_ptr<Native> native) : native_(std::move(native)) {}
FileLock::FileLock(FileLock &&) noexcept = default;
FileLock &FileLock::operator=(FileLock &&) noexcept = default;
FileLock::~FileLock() = default;

} // namespace menu::platform
