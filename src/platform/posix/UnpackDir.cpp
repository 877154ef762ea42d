#include "platform/UnpackDir.h"

#include "platform/posix/UniqueFd.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

namespace menu::platform {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The user's umask, read once. Linux tells it without changing it; elsewhere it is read by
// setting it, which is safe only before other threads create files, so it is read early.
mode_t currentUmask()
{
    static const mode_t mask = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("Umask:"))
                    return static_cast<mode_t>(line.mid(6).trimmed().toUInt(nullptr, 8));
            }
        }
        const mode_t set = ::umask(022);
        ::umask(set);
        return set;
    }();
    return mask;
}

} // namespace

struct UnpackDir::Native {
    UniqueFd fd;

    // Walks the first count names of relative, one folder at a time, never through a symbolic
    // link; creates missing folders when asked.
    Result<UniqueFd> openAt(const UnpackDir &dir, const QStringList &relative, qsizetype count,
                            bool create) const
    {
        UniqueFd current(::dup(fd.get()));
        if (!current.valid())
            return Failure::errnoValue(errno, dir.path());
        for (qsizetype i = 0; i < count; ++i) {
            const QByteArray name = QFile::encodeName(relative[i]);
            const QString shown = dir.shown(relative.mid(0, i + 1));
            if (create && ::mkdirat(current.get(), name.constData(), 0777) != 0 && errno != EEXIST)
                return Failure::errnoValue(errno, shown);
            const int next = ::openat(current.get(), name.constData(), kDirFlags);
            if (next < 0)
                return Failure::errnoValue(errno == ELOOP ? ENOTDIR : errno, shown);
            current.reset(next);
        }
        return current;
    }
};

struct UnpackDir::File::Native {
    UniqueFd fd;
};

UnpackDir::UnpackDir(std::unique_ptr<Native> native, QString path)
    : native_(std::move(native)), path_(std::move(path))
{
}
UnpackDir::UnpackDir(UnpackDir &&) noexcept = default;
UnpackDir &UnpackDir::operator=(UnpackDir &&) noexcept = default;
UnpackDir::~UnpackDir() = default;

Result<UnpackDir> UnpackDir::open(const QString &path)
{
    auto native = std::make_unique<Native>();
    native->fd.reset(::open(QFile::encodeName(path).constData(), kDirFlags));
    if (!native->fd.valid())
        return Failure::errnoValue(errno == ELOOP ? ENOTDIR : errno, path);
    return UnpackDir(std::move(native), path);
}

QString UnpackDir::shown(const QStringList &relative) const
{
    QString text = path_;
    for (const QString &name : relative)
        text += QLatin1Char('/') + name;
    return text;
}

Status UnpackDir::makeDirs(const QStringList &relative)
{
    Result<UniqueFd> dir = native_->openAt(*this, relative, relative.size(), true);
    if (!dir.ok())
        return dir.failure();
    return {};
}

Status UnpackDir::setDirAttributes(const QStringList &relative, const StoredAttributes &attributes)
{
    if (!attributes.unixMode)
        return {}; // the DOS read-only mark means nothing for a folder
    Result<UniqueFd> dir = native_->openAt(*this, relative, relative.size(), false);
    if (!dir.ok())
        return dir.failure();
    const mode_t mode =
        static_cast<mode_t>(((*attributes.unixMode & 0777) | S_IRWXU) & ~currentUmask());
    if (::fchmod(dir->get(), mode) != 0)
        return Failure::errnoValue(errno, shown(relative));
    return {};
}

Status UnpackDir::flush()
{
#ifdef __linux__
    // One pass over the file system the directory lies on, instead of one commit per file;
    // it reports write-back errors of the files already closed as well.
    if (::syncfs(native_->fd.get()) == 0)
        return {};
#else
    if (::fsync(native_->fd.get()) == 0)
        return {};
#endif
    return Failure::errnoValue(errno, path_);
}

Result<UnpackDir::File> UnpackDir::createFile(const QStringList &relative)
{
    if (relative.isEmpty())
        return Failure::errnoValue(EINVAL, path_);
    Result<UniqueFd> parent = native_->openAt(*this, relative, relative.size() - 1, false);
    if (!parent.ok())
        return parent.failure();
    const QString shownPath = shown(relative);
    const QByteArray name = QFile::encodeName(relative.last());

    // Removing the old entry first replaces a read-only file as well, and a symbolic link
    // (not what it points to); a new file is then made where nothing can be in the way.
    if (::unlinkat(parent->get(), name.constData(), 0) != 0 && errno != ENOENT)
        return Failure::errnoValue(errno, shownPath);
    auto native = std::make_unique<File::Native>();
    native->fd.reset(::openat(parent->get(), name.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!native->fd.valid())
        return Failure::errnoValue(errno, shownPath);
    return File(std::move(native), shownPath);
}

UnpackDir::File::File(std::unique_ptr<Native> native, QString shownPath)
    : native_(std::move(native)), shownPath_(std::move(shownPath))
{
}
UnpackDir::File::File(File &&) noexcept = default;
UnpackDir::File &UnpackDir::File::operator=(File &&) noexcept = default;
UnpackDir::File::~File() = default;

Status UnpackDir::File::write(const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(native_->fd.get(), data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Failure::errnoValue(n < 0 ? errno : ENOSPC, shownPath_);
        data += n;
        size -= n;
    }
    return {};
}

Status UnpackDir::File::applyAttributes(const StoredAttributes &attributes)
{
    const UniqueFd &fd = native_->fd;
    if (!fd.valid())
        return Failure::errnoValue(EBADF, shownPath_);
    if (attributes.unixMode || attributes.readOnly) {
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            return Failure::errnoValue(errno, shownPath_);
        // The owner may always read what was unpacked; set-id bits are never taken over, and
        // the user's umask limits what the archive asks for.
        mode_t mode =
            attributes.unixMode
                ? static_cast<mode_t>(((*attributes.unixMode & 0777) | S_IRUSR) & ~currentUmask())
                : (st.st_mode & 0777);
        if (attributes.readOnly)
            mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
        if (::fchmod(fd.get(), mode) != 0)
            return Failure::errnoValue(errno, shownPath_);
    }
    return {};
}

Status UnpackDir::File::close(bool startFlush)
{
    UniqueFd fd = std::move(native_->fd);
    if (!fd.valid())
        return Failure::errnoValue(EBADF, shownPath_);
#ifdef __linux__
    // Only starts the write-back: waiting for each file in turn would cost one disk commit per
    // file, while UnpackDir::flush waits for all of them at once.
    if (startFlush)
        ::sync_file_range(fd.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    if (startFlush && ::fsync(fd.get()) != 0)
        return Failure::errnoValue(errno, shownPath_);
#endif
    if (const int error = fd.close(); error != 0)
        return Failure::errnoValue(error, shownPath_);
    return {};
}

} // namespace menu::platform
