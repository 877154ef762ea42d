#include "platform/PrivateDir.h"

#include "platform/posix/SharedParent.h"
#include "platform/posix/UniqueFd.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace menu::platform {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// mkdtemp's random part.
constexpr qsizetype kRandomChars = 6;
// Deeper than anything the launcher writes (the extraction refuses deeper names); a tree
// deeper than this is not walked, so that removing it cannot run out of descriptors.
constexpr int kMaxDepth = 128;

// The names in the open directory dirFd, without "." and "..".
Result<std::vector<QByteArray>> namesIn(int dirFd)
{
    UniqueFd listing(::dup(dirFd));
    if (!listing.valid())
        return Failure::errnoValue(errno);
    DIR *stream = ::fdopendir(listing.get());
    if (stream == nullptr)
        return Failure::errnoValue(errno);
    listing.release(); // closedir closes it
    std::vector<QByteArray> names;
    while (const dirent *entry = ::readdir(stream)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(stream);
    return names;
}

// Removes everything below the open directory dirFd, never through a link; goes on after a
// failure and returns the first one's errno, or 0.
int removeContents(int dirFd, int depth)
{
    if (depth > kMaxDepth)
        return ELOOP;
    Result<std::vector<QByteArray>> names = namesIn(dirFd);
    if (!names.ok())
        return names.failure().code.value();
    int first = 0;
    const auto note = [&first](int error) {
        if (first == 0)
            first = error;
    };
    for (const QByteArray &name : *names) {
        struct stat info {};
        if (::fstatat(dirFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                note(errno);
            continue;
        }
        if (!S_ISDIR(info.st_mode)) {
            if (::unlinkat(dirFd, name.constData(), 0) != 0 && errno != ENOENT)
                note(errno);
            continue;
        }
        UniqueFd sub(::openat(dirFd, name.constData(), kDirFlags));
        if (!sub.valid()) {
            note(errno);
            continue;
        }
        // A folder its archive made read-only is opened up again to be emptied.
        if ((info.st_mode & S_IRWXU) != S_IRWXU)
            ::fchmod(sub.get(), (info.st_mode & 07777) | S_IRWXU);
        if (const int error = removeContents(sub.get(), depth + 1); error != 0)
            note(error);
        if (::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) != 0)
            note(errno);
    }
    return first;
}

// Removes the directory name in parentFd with its content, provided it is still the directory
// identified by device and inode and belongs to this user.
int removeTree(int parentFd, const QByteArray &name, dev_t device, ino_t inode)
{
    UniqueFd dir(::openat(parentFd, name.constData(), kDirFlags));
    if (!dir.valid())
        return errno == ELOOP ? ENOTDIR : errno;
    struct stat info {};
    if (::fstat(dir.get(), &info) != 0)
        return errno;
    if (info.st_dev != device || info.st_ino != inode || info.st_uid != ::geteuid())
        return EPERM; // no longer the directory that was made: not ours to remove
    if (const int error = removeContents(dir.get(), 0); error != 0)
        return error;
    dir.reset();
    if (::unlinkat(parentFd, name.constData(), AT_REMOVEDIR) != 0)
        return errno;
    return 0;
}

} // namespace

struct PrivateDir::Native {
    QByteArray parent;
    QByteArray name;
    dev_t device = 0;
    ino_t inode = 0;
    bool kept = false;
    bool removed = false;
};

PrivateDir::PrivateDir(std::unique_ptr<Native> native, QString path)
    : native_(std::move(native)), path_(std::move(path))
{
}
PrivateDir::PrivateDir(PrivateDir &&) noexcept = default;
PrivateDir &PrivateDir::operator=(PrivateDir &&other) noexcept
{
    if (this != &other) {
        if (native_ != nullptr && !native_->kept)
            (void)remove();
        native_ = std::move(other.native_);
        path_ = std::move(other.path_);
    }
    return *this;
}

PrivateDir::~PrivateDir()
{
    if (native_ != nullptr && !native_->kept)
        (void)remove();
}

Result<PrivateDir> PrivateDir::create(const QString &parent, const QString &prefix)
{
    const QByteArray parentPath = QFile::encodeName(parent);
    struct stat shared {};
    if (::stat(parentPath.constData(), &shared) != 0)
        return Failure::errnoValue(errno, parent);
    if (!S_ISDIR(shared.st_mode))
        return Failure::errnoValue(ENOTDIR, parent);
    if (!othersCannotSwapEntries(shared))
        return Failure::errnoValue(EPERM, parent);

    QByteArray path = parentPath + '/' + QFile::encodeName(prefix) + QByteArray(kRandomChars, 'X');
    if (::mkdtemp(path.data()) == nullptr)
        return Failure::errnoValue(errno, parent);
    auto native = std::make_unique<Native>();
    native->parent = parentPath;
    native->name = path.mid(parentPath.size() + 1);
    const QString shown = QFile::decodeName(path);
    UniqueFd dir(::open(path.constData(), kDirFlags));
    struct stat made {};
    if (!dir.valid() || ::fstat(dir.get(), &made) != 0) {
        const int error = errno;
        ::rmdir(path.constData());
        return Failure::errnoValue(error, shown);
    }
    native->device = made.st_dev;
    native->inode = made.st_ino;
    PrivateDir owner(std::move(native), shown); // removes it again on a failure below
    // mkdtemp gives 0700 less the umask; the owner needs all of it, and nobody else any.
    if (made.st_uid != ::geteuid())
        return Failure::errnoValue(EPERM, shown);
    if ((made.st_mode & 07777) != 0700 && ::fchmod(dir.get(), 0700) != 0)
        return Failure::errnoValue(errno, shown);
    return owner;
}

void PrivateDir::keep()
{
    if (native_ != nullptr)
        native_->kept = true;
}

Status PrivateDir::remove()
{
    if (native_ == nullptr || native_->removed)
        return {};
    UniqueFd parent(::open(native_->parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.valid())
        return Failure::errnoValue(errno, path_);
    const int error = removeTree(parent.get(), native_->name, native_->device, native_->inode);
    if (error != 0 && error != ENOENT)
        return Failure::errnoValue(error, path_);
    native_->removed = true;
    return {};
}

int removeStalePrivateDirs(const QString &parent, const QString &prefix,
                           std::chrono::seconds minAge)
{
    UniqueFd dir(::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return 0;
    Result<std::vector<QByteArray>> names = namesIn(dir.get());
    if (!names.ok())
        return 0;
    const QByteArray start = QFile::encodeName(prefix);
    const std::time_t before = std::time(nullptr) - static_cast<std::time_t>(minAge.count());
    int removed = 0;
    for (const QByteArray &name : *names) {
        if (!name.startsWith(start) || name.size() != start.size() + kRandomChars)
            continue;
        struct stat info {};
        if (::fstatat(dir.get(), name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0 ||
            info.st_mtime > before)
            continue;
        if (removeTree(dir.get(), name, info.st_dev, info.st_ino) == 0)
            ++removed;
    }
    return removed;
}

} // namespace menu::platform
