// flock(2) on the lock file beside the guarded one. Linux passes flock to NFS servers as a
// whole-file lock, which wants the file open for writing; a lock file this user may not write
// is locked through a read-only descriptor, which serves local disks. The wait polls with
// LOCK_NB, as flock itself cannot be bounded.
#include "platform/FileLock.h"

#include "platform/posix/UniqueFd.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace menu::platform {

namespace {

constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW; // never hang on a pipe

// The lock file at path, created when missing. Every user who writes the guarded file must be
// able to lock it, so it is made readable by all (the umask decides the rest).
UniqueFd openLockFile(const QByteArray &path)
{
    UniqueFd fd(::open(path.constData(), O_RDWR | O_CREAT | kOpenFlags, 0666));
    if (!fd.valid() && (errno == EACCES || errno == EPERM || errno == EROFS))
        fd.reset(::open(path.constData(), O_RDONLY | kOpenFlags));
    return fd;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

struct FileLock::Native {
    UniqueFd fd;
};

Result<FileLock> FileLock::acquire(const QString &path, const LockWait &wait)
{
    const QString lockPath = lockFileOf(path);
    const QByteArray native = QFile::encodeName(lockPath);
    RetryPause pause(wait);
    do {
        UniqueFd fd = openLockFile(native);
        if (!fd.valid())
            return Failure::errnoValue(errno, lockPath);
        struct stat held {};
        if (::fstat(fd.get(), &held) != 0)
            return Failure::errnoValue(errno, lockPath);
        if (!S_ISREG(held.st_mode))
            return Failure::of(S_ISDIR(held.st_mode) ? std::errc::is_a_directory
                                                     : std::errc::invalid_argument,
                               lockPath);
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            // Someone removed the lock file by hand while this opened it: lock the one there.
            struct stat named {};
            if (::stat(native.constData(), &named) == 0 && sameFile(held, named))
                return FileLock(std::make_unique<Native>(Native{std::move(fd)}));
        } else if (errno != EWOULDBLOCK && errno != EINTR) {
            return Failure::errnoValue(errno, lockPath);
        }
    } while (pause.next());
    return Failure::of(pause.cancelled() ? std::errc::operation_canceled
                                         : std::errc::device_or_resource_busy,
                       path);
}

FileLock::FileLock(std::unique_ptr<Native> native) : native_(std::move(native)) {}
FileLock::FileLock(FileLock &&) noexcept = default;
FileLock &FileLock::operator=(FileLock &&) noexcept = default;
FileLock::~FileLock() = default; // closing the descriptor releases the lock

} // namespace menu::platform
