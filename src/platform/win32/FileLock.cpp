// LockFileEx on the file itself: the lock follows the file, not its name, so a writer that waited
// while another replaced the file (AtomicFile moves a new one into place) checks that it holds
// the file now at the path (volume and file index) and otherwise locks that one. Every handle
// shares reading, writing and deletion, so that the lock never keeps anyone from reading the
// file or replacing it.
#include "platform/FileLock.h"

#include "platform/win32/FileTimes.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"

namespace menu::platform {

namespace {
// Each retry means that another writer replaced the file meanwhile, so this is never reached
// while writers make progress.
constexpr int kAttempts = 1000;

// Windows' byte-range locks bind reads and writes of the range they cover. The lock lies far
// beyond the end of any INI file, where it binds nothing and is seen only by other lockers.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;
constexpr DWORD kLockLength = 1;

// FileDispositionInfoEx (Windows 10 1607). MinGW's header compares _WIN32_WINNT with an NTDDI
// number and so never declares it.
constexpr auto kDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE openFile(const std::wstring &path, DWORD access, DWORD disposition)
{
    return ::CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The file at path open for its lock; created is set when this made it. An invalid handle with
// GetLastError() set when there is none. A file this user may not write is locked through a
// handle that only reads, which LockFileEx accepts as well.
win32::UniqueHandle openForLock(const std::wstring &path, bool &created)
{
    created = false;
    win32::UniqueHandle file(openFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING));
    if (!file.valid() && ::GetLastError() == ERROR_ACCESS_DENIED)
        file.reset(openFile(path, GENERIC_READ, OPEN_EXISTING));
    if (!file.valid() && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        // DELETE: removeCreatedFile deletes through this handle, never by a name that
        // another writer may have given a new file meanwhile.
        file.reset(openFile(path, GENERIC_READ | GENERIC_WRITE | DELETE, CREATE_NEW));
        created = file.valid();
    }
    return file;
}

bool sameFile(const FileStamp &a, const FileStamp &b)
{
    return a.device == b.device && a.inode == b.inode;
}

// Whether the open file is still the one at path.
bool isAtPath(HANDLE file, const QString &path)
{
    const std::optional<FileStamp> held = win32::stampOf(file);
    const std::optional<FileStamp> named = fileStamp(path);
    return held && named && sameFile(*held, *named);
}

// A folder cannot be opened as a file: Windows says "access denied", this says what it is.
Failure openFailure(const QString &path)
{
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED && win32::isFolder(win32::attributesOf(path)))
        return Failure::of(std::errc::is_a_directory, path);
    return win32::failureOf(error, path);
}
} // namespace

struct FileLock::Native {
    win32::UniqueHandle file;
    QString path;
    bool created = false;
    ~Native()
    {
        if (file.valid()) {
            OVERLAPPED at{};
            at.OffsetHigh = kLockOffsetHigh;
            ::UnlockFileEx(file.get(), 0, kLockLength, 0, &at);
        }
    }
};

Result<FileLock> FileLock::acquire(const QString &path)
{
    const std::wstring native = win32::wide(path);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        bool created = false;
        win32::UniqueHandle file = openForLock(native, created);
        if (!file.valid()) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue; // made by another writer just now
            return openFailure(path);
        }
        if (::GetFileType(file.get()) != FILE_TYPE_DISK)
            return Failure::of(std::errc::invalid_argument, path);
        OVERLAPPED at{};
        at.OffsetHigh = kLockOffsetHigh;
        if (!::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, kLockLength, 0, &at))
            return win32::lastFailure(path);
        if (isAtPath(file.get(), path)) {
            auto held = std::make_unique<Native>();
            held->file = std::move(file);
            held->path = path;
            held->created = created;
            return FileLock(std::move(held));
        }
        // Closing the handle gives the lock on the replaced file back.
    }
    return Failure::of(std::errc::resource_unavailable_try_again, path);
}

FileLock::FileLock(std::unique_ptr<Native> native) : native_(std::move(native)) {}
FileLock::FileLock(FileLock &&) noexcept = default;
FileLock &FileLock::operator=(FileLock &&) noexcept = default;
FileLock::~FileLock() = default;

bool FileLock::createdFile() const
{
    return native_ && native_->created;
}

void FileLock::removeCreatedFile()
{
    if (!createdFile())
        return;
    // The name goes at once where the file system can (POSIX semantics: Windows 10 on NTFS);
    // elsewhere it goes when the last handle on the file closes, this lock's among them.
    const HANDLE file = native_->file.get();
    if (isAtPath(file, native_->path)) {
        FILE_DISPOSITION_INFO_EX now{FILE_DISPOSITION_FLAG_DELETE |
                                     FILE_DISPOSITION_FLAG_POSIX_SEMANTICS};
        if (!::SetFileInformationByHandle(file, kDispositionInfoEx, &now, sizeof now)) {
            FILE_DISPOSITION_INFO onClose{TRUE};
            ::SetFileInformationByHandle(file, FileDispositionInfo, &onClose, sizeof onClose);
        }
    }
    native_->created = false;
}

} // namespace menu::platform
