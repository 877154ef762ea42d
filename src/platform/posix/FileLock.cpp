// flock(2) on the file itself: the lock follows the file, not its name, so a writer that waited
// while another replaced the file (AtomicFile renames a new one into place) checks that it holds
// the file now at the path and otherwise locks that one. Linux passes flock to NFS servers as a
// whole-file lock, which wants the file open for writing; a file this user may not write is
// locked through a read-only descriptor, which serves local disks.
#include "platform/FileLock.h"

#include "platform/posix/UniqueFd.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace menu::platform {

namespace {
// Each retry means that another writer replaced the file meanwhile, so this is never reached
// while writers make progress.
constexpr int kAttempts = 1000;

constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK; // never hang on a pipe

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The file at path open for its lock; created is set when this made it. An invalid descriptor
// with errno when there is none.
UniqueFd openForLock(const QByteArray &path, bool &created)
{
    created = false;
    UniqueFd fd(::open(path.constData(), O_RDWR | kOpenFlags));
    if (!fd.valid() && (errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY))
        fd.reset(::open(path.constData(), O_RDONLY | kOpenFlags));
    if (!fd.valid() && errno == ENOENT) {
        fd.reset(::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | kOpenFlags, 0666));
        created = fd.valid();
    }
    return fd;
}

int lockWaiting(int fd)
{
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}
} // namespace

struct FileLock::Native {
    UniqueFd fd;
    QByteArray path;
    bool created = false;
};

Result<FileLock> FileLock::acquire(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        bool created = false;
        UniqueFd fd = openForLock(native, created);
        if (!fd.valid()) {
            if (errno == EEXIST)
                continue; // made by another writer just now, or a link to nothing
            return Failure::errnoValue(errno, path);
        }
        struct stat held {};
        if (::fstat(fd.get(), &held) != 0)
            return Failure::errnoValue(errno, path);
        if (!S_ISREG(held.st_mode))
            return Failure::of(S_ISDIR(held.st_mode) ? std::errc::is_a_directory
                                                     : std::errc::invalid_argument,
                               path);
        if (const int error = lockWaiting(fd.get()); error != 0)
            return Failure::errnoValue(error, path);
        struct stat named {};
        if (::stat(native.constData(), &named) == 0 && sameFile(held, named))
            return FileLock(std::make_unique<Native>(Native{std::move(fd), native, created}));
    }
    return Failure::of(std::errc::resource_unavailable_try_again, path);
}

FileLock::FileLock(std::unique_ptr<Native> native) : native_(std::move(native)) {}
FileLock::FileLock(FileLock &&) noexcept = default;
FileLock &FileLock::operator=(FileLock &&) noexcept = default;
FileLock::~FileLock() = default; // closing the descriptor releases the lock

bool FileLock::createdFile() const
{
    return native_ && native_->created;
}

void FileLock::removeCreatedFile()
{
    if (!createdFile())
        return;
    struct stat held {};
    struct stat named {};
    if (::fstat(native_->fd.get(), &held) == 0 && ::stat(native_->path.constData(), &named) == 0 &&
        sameFile(held, named))
        ::unlink(native_->path.constData());
    native_->created = false;
}

} // namespace menu::platform
