#include "platform/AtomicFile.h"

#include "platform/LeftoverTemporaries.h"
#include "platform/posix/UniqueFd.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace menu::platform {

namespace {

QByteArray directoryOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// Only this user's and the administrator's links and files are taken at their word: a link
// planted by anyone else is replaced rather than written through, and a file of anyone else
// passes on no mode (a planted file open to everyone would leave the new content open to its
// planter).
bool trusted(const struct stat &info)
{
    return info.st_uid == ::geteuid() || info.st_uid == 0;
}

// The file a link at path names, when every link on the way is trusted; otherwise, and for a
// dangling link, path itself, which is then replaced like a missing file.
QByteArray linkTarget(const QByteArray &path)
{
    QByteArray hop = path;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(hop.constData(), &info) != 0)
            return path;
        if (!S_ISLNK(info.st_mode))
            break;
        if (!trusted(info) || hops == 40) // 40: where the system gives up on a chain (ELOOP)
            return path;
        char next[PATH_MAX];
        const ssize_t length = ::readlink(hop.constData(), next, sizeof next);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof next))
            return path;
        const QByteArray named(next, length);
        hop = named.startsWith('/') ? named : directoryOf(hop) + '/' + named;
    }
    if (hop == path)
        return path;
    char target[PATH_MAX];
    if (::realpath(path.constData(), target) == nullptr)
        return path;
    return QByteArray(target);
}

// Removes this user's leftovers of earlier writes of name in dir, old enough that no writer
// can still be at work on them. Links and anything but regular files stay.
void removeStaleTemporaries(const QByteArray &dir, const QByteArray &name)
{
    UniqueFd dirFd(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.valid())
        return;
    DIR *listing = ::fdopendir(::dup(dirFd.get()));
    if (listing == nullptr)
        return;
    const time_t bound = ::time(nullptr) - kLeftoverTemporaryAge.count();
    const QString shownName = QFile::decodeName(name);
    while (const dirent *entry = ::readdir(listing)) {
        struct stat info {};
        if (!isLeftoverTemporary(QFile::decodeName(entry->d_name), shownName, Qt::CaseSensitive) ||
            ::fstatat(dirFd.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_mtime < bound)
            ::unlinkat(dirFd.get(), entry->d_name, 0);
    }
    ::closedir(listing);
}

} // namespace

struct AtomicFile::Native {
    QByteArray target;
    QByteArray temporary;
    QString shownTarget;
    UniqueFd fd;
    bool durable = false;

    ~Native()
    {
        if (fd.valid() || !temporary.isEmpty()) {
            fd.reset();
            ::unlink(temporary.constData());
        }
    }
    Failure failed(int error)
    {
        fd.reset();
        ::unlink(temporary.constData());
        temporary.clear();
        return Failure::errnoValue(error, shownTarget);
    }
};

AtomicFile::AtomicFile(std::unique_ptr<Native> native) : native_(std::move(native)) {}
AtomicFile::AtomicFile(AtomicFile &&) noexcept = default;
AtomicFile &AtomicFile::operator=(AtomicFile &&) noexcept = default;
AtomicFile::~AtomicFile() = default;

Result<AtomicFile> AtomicFile::begin(const QString &target, const Options &options)
{
    auto native = std::make_unique<Native>();
    native->shownTarget = target;
    native->durable = options.durable;
    const QByteArray given = QFile::encodeName(target);
    native->target = options.followLink ? linkTarget(given) : given;
    const QByteArray dir = directoryOf(native->target);
    const QByteArray name = native->target.mid(native->target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 100 && !native->fd.valid(); ++attempt) {
        native->temporary = dir + "/." + name + '.' +
                            QByteArray::number(QRandomGenerator::global()->generate64(), 36) +
                            ".tmp";
        native->fd.reset(::open(native->temporary.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!native->fd.valid() && errno != EEXIST) {
            native->temporary.clear();
            return Failure::errnoValue(errno, target);
        }
    }
    if (!native->fd.valid()) {
        native->temporary.clear();
        return Failure::errnoValue(EEXIST, target);
    }
    removeStaleTemporaries(dir, name);
    struct stat old {};
    if (options.keepMode && ::lstat(native->target.constData(), &old) == 0 &&
        S_ISREG(old.st_mode) && trusted(old)) {
        [[maybe_unused]] const int owned = ::fchown(native->fd.get(), old.st_uid, old.st_gid);
        if (::fchmod(native->fd.get(), old.st_mode & 07777) != 0)
            return native->failed(errno);
    }
    return AtomicFile(std::move(native));
}

Status AtomicFile::write(const char *data, qint64 size)
{
    if (!native_->fd.valid())
        return Failure::errnoValue(EBADF, native_->shownTarget);
    while (size > 0) {
        const ssize_t put = ::write(native_->fd.get(), data, static_cast<size_t>(size));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return native_->failed(put < 0 ? errno : ENOSPC);
        data += put;
        size -= put;
    }
    return {};
}

Status AtomicFile::commit()
{
    Native &n = *native_;
    if (!n.fd.valid())
        return Failure::errnoValue(EBADF, n.shownTarget);
    if (n.durable && ::fsync(n.fd.get()) != 0)
        return n.failed(errno);
    if (const int error = n.fd.close(); error != 0)
        return n.failed(error);
    if (::rename(n.temporary.constData(), n.target.constData()) != 0)
        return n.failed(errno);
    n.temporary.clear();
    if (n.durable) {
        // Makes the rename itself durable; the file is already in place if this fails.
        UniqueFd directory(
            ::open(directoryOf(n.target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directory.valid())
            ::fsync(directory.get());
    }
    return {};
}

QString AtomicFile::target() const
{
    return QFile::decodeName(native_->target);
}

// A rename replaces a file here however it is used: nothing is ever moved aside.
void removeSetAsideCopies(const QString &) {}

} // namespace menu::platform
