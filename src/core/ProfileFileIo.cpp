// The file side of the profile engine: one read per call, and writes that replace the file
// atomically (a temporary file beside it, flushed to disk, then renamed over it), so that a
// failure or a crash leaves either the old file or the new one, never half of either.
#include "core/ProfileFile.h"
#include "core/UniqueFile.h"

#include <QFile>
#include <QtGlobal>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace menu::core {

namespace {

// Owns a file descriptor; closing it explicitly reports the error a late write may give.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    void reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

QString systemReason(int error)
{
    return qt_error_string(error);
}

enum class Found { File, Missing, Failed };

struct Content {
    Found found = Found::Failed;
    QByteArray bytes;
    struct stat info {};
    QString error;
};

Content failure(int error)
{
    Content content;
    content.error = systemReason(error);
    return content;
}

Content readWhole(const QByteArray &path)
{
    // Non-blocking, so that a FIFO in place of the file cannot hang the launcher.
    Fd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid())
        return errno == ENOENT ? Content{Found::Missing, {}, {}, {}} : failure(errno);
    Content content;
    if (::fstat(fd.get(), &content.info) != 0)
        return failure(errno);
    if (S_ISDIR(content.info.st_mode))
        return failure(EISDIR);
    if (!S_ISREG(content.info.st_mode))
        return failure(EINVAL);
    if (content.info.st_size > kProfileFileMax)
        return failure(EFBIG);
    content.bytes.reserve(static_cast<qsizetype>(content.info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failure(errno);
        if (got == 0)
            break;
        if (content.bytes.size() + got > kProfileFileMax)
            return failure(EFBIG);
        content.bytes.append(buffer, got);
    }
    content.found = Found::File;
    return content;
}

// The file a path names: a symbolic link is followed, so that the link stays a link.
QByteArray resolved(const QByteArray &path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char target[PATH_MAX];
    if (::realpath(path.constData(), target) == nullptr)
        return path; // a dangling link is replaced like a missing file
    return QByteArray(target);
}

QByteArray directoryOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t put = ::write(fd, p, static_cast<size_t>(left));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return false;
        p += put;
        left -= put;
    }
    return true;
}

// Writes bytes to a new file beside path and renames it over path. The old file's permission
// bits (and, where allowed, its owner) carry over; a new file gets the usual 0666 less umask.
bool replaceFile(const QByteArray &path, const QByteArray &bytes, const struct stat *old,
                 QString *error)
{
    const QByteArray dir = directoryOf(path);
    QByteArray temporary;
    Fd fd(createUniqueFile(dir + "/.ini-", ".tmp", temporary));
    if (!fd.valid()) {
        *error = systemReason(errno);
        return false;
    }
    const auto fail = [&](int code) {
        *error = systemReason(code);
        if (fd.valid())
            fd.close();
        ::unlink(temporary.constData());
        return false;
    };
    if (old != nullptr) {
        [[maybe_unused]] const int owned = ::fchown(fd.get(), old->st_uid, old->st_gid);
        if (::fchmod(fd.get(), old->st_mode & 07777) != 0)
            return fail(errno);
    }
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0)
        return fail(errno);
    if (fd.close() != 0)
        return fail(errno);
    if (::rename(temporary.constData(), path.constData()) != 0)
        return fail(errno);
    // Make the rename itself durable; the file is already in place if this fails.
    Fd directory(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.valid())
        ::fsync(directory.get());
    return true;
}

} // namespace

namespace {
FileStamp stampOf(const struct stat &info)
{
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    stamp.mode = static_cast<std::uint32_t>(info.st_mode);
    stamp.modifiedNs = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = std::int64_t{info.st_ctim.tv_sec} * 1000000000 + info.st_ctim.tv_nsec;
    return stamp;
}
} // namespace

std::optional<FileStamp> fileStampOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return stampOf(info);
}

std::int64_t stampClockNs()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

std::optional<QByteArray> profileFileBytes(const QString &path, FileStamp *stamp)
{
    Content content = readWhole(QFile::encodeName(path));
    if (content.found != Found::File)
        return std::nullopt;
    if (stamp != nullptr)
        *stamp = stampOf(content.info);
    return std::move(content.bytes);
}

std::optional<QString> profileRead(const QString &path, const QString &section, const QString &key)
{
    const auto bytes = profileFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return profileLookup(*bytes, section, key);
}

bool profileWrite(const QString &path, const QString &section, const QString &key,
                  const QString &value, QString *error)
{
    QString ignored;
    QString &reason = error != nullptr ? *error : ignored;
    if (path.isEmpty()) {
        reason = systemReason(ENOENT);
        return false;
    }
    const QByteArray target = resolved(QFile::encodeName(path));
    const Content content = readWhole(target);
    // A file that exists but cannot be read is never replaced by one holding only the new key.
    if (content.found == Found::Failed) {
        reason = content.error;
        return false;
    }
    const ProfileEdit edit = profileEdit(content.bytes, section, key, value);
    if (!edit.ok()) {
        reason = edit.error;
        return false;
    }
    if (content.found == Found::File && edit.bytes == content.bytes)
        return true;
    // Replacing needs only the directory's permission; a file that may not be written stays
    // as it is, and one without any write bit is read-only even for root, as on Windows.
    if (content.found == Found::File &&
        ((content.info.st_mode & 0222) == 0 ||
         ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)) {
        reason = systemReason((content.info.st_mode & 0222) == 0 ? EACCES : errno);
        return false;
    }
    return replaceFile(target, edit.bytes, content.found == Found::File ? &content.info : nullptr,
                       &reason);
}

} // namespace menu::core
