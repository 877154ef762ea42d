#include "platform/UnpackDir.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace menu::platform {

namespace {

// Owns one file descriptor.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

QString systemText(int code)
{
    return qt_error_string(code);
}

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

UnpackDir::UnpackDir() = default;

UnpackDir::~UnpackDir()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool UnpackDir::open(const QString &path, QString &error)
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    path_ = path;
    fd_ = ::open(QFile::encodeName(path).constData(), kDirFlags);
    if (fd_ < 0) {
        error = QStringLiteral("Adresár ") + path + QStringLiteral(" sa nepodarilo otvoriť (") +
                systemText(errno) + QStringLiteral(") !");
        return false;
    }
    return true;
}

QString UnpackDir::shown(const QStringList &relative, qsizetype count) const
{
    QString text = path_;
    for (qsizetype i = 0; i < count && i < relative.size(); ++i)
        text += QLatin1Char('/') + relative[i];
    return text;
}

// Walks the first count names of relative from the directory, one folder at a time, never
// through a symbolic link; creates missing folders when asked. Returns a descriptor the caller
// owns, or -1 with error set.
int UnpackDir::openDirAt(const QStringList &relative, qsizetype count, bool create, QString &error)
{
    if (fd_ < 0) {
        error = QStringLiteral("Adresár ") + path_ + QStringLiteral(" nie je otvorený !");
        return -1;
    }
    Fd current(::dup(fd_));
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArray name = QFile::encodeName(relative[i]);
        if (create && ::mkdirat(current.get(), name.constData(), 0777) != 0 && errno != EEXIST) {
            error = QStringLiteral("Adresár ") + shown(relative, i + 1) +
                    QStringLiteral(" sa nepodarilo vytvoriť (") + systemText(errno) +
                    QStringLiteral(") !");
            return -1;
        }
        const int next = ::openat(current.get(), name.constData(), kDirFlags);
        if (next < 0) {
            const int code = errno;
            error =
                QStringLiteral("Adresár ") + shown(relative, i + 1) +
                (code == ELOOP || code == ENOTDIR ? QStringLiteral(" nie je adresár !")
                                                  : QStringLiteral(" sa nepodarilo otvoriť (") +
                                                        systemText(code) + QStringLiteral(") !"));
            return -1;
        }
        current.reset(next);
    }
    return current.release();
}

bool UnpackDir::makeDirs(const QStringList &relative, QString &error)
{
    Fd dir(openDirAt(relative, relative.size(), true, error));
    return dir.get() >= 0;
}

bool UnpackDir::setDirAttributes(const QStringList &relative, const StoredAttributes &attributes,
                                 QString &error)
{
    if (!attributes.unixMode)
        return true; // the DOS read-only mark means nothing for a folder
    Fd dir(openDirAt(relative, relative.size(), false, error));
    if (dir.get() < 0)
        return false;
    const mode_t mode = static_cast<mode_t>((*attributes.unixMode & 0777) | S_IRWXU);
    if (::fchmod(dir.get(), mode) != 0) {
        error = QStringLiteral("Atribúty adresára ") + shown(relative, relative.size()) +
                QStringLiteral(" sa nepodarilo nastaviť (") + systemText(errno) +
                QStringLiteral(") !");
        return false;
    }
    return true;
}

bool UnpackDir::flush(QString &error)
{
    if (fd_ < 0) {
        error = QStringLiteral("Adresár ") + path_ + QStringLiteral(" nie je otvorený !");
        return false;
    }
#ifdef __linux__
    // One pass over the file system the directory lies on, instead of one commit per file;
    // it reports write-back errors of the files already closed as well.
    if (::syncfs(fd_) == 0)
        return true;
#else
    if (::fsync(fd_) == 0)
        return true;
#endif
    error = QStringLiteral("Súbory v adresári ") + path_ +
            QStringLiteral(" sa nepodarilo zapísať na disk (") + systemText(errno) +
            QStringLiteral(") !");
    return false;
}

std::optional<UnpackDir::File> UnpackDir::createFile(const QStringList &relative, QString &error)
{
    if (relative.isEmpty()) {
        error = QStringLiteral("Prázdne meno súboru !");
        return std::nullopt;
    }
    Fd parent(openDirAt(relative, relative.size() - 1, false, error));
    if (parent.get() < 0)
        return std::nullopt;
    const QString shownPath = shown(relative, relative.size());
    const QByteArray name = QFile::encodeName(relative.last());

    // Removing the old entry first replaces a read-only file as well, and a symbolic link
    // (not what it points to); a new file is then made where nothing can be in the way.
    if (::unlinkat(parent.get(), name.constData(), 0) != 0 && errno != ENOENT) {
        const int code = errno;
        error = QStringLiteral("Súbor ") + shownPath +
                (code == EISDIR ? QStringLiteral(" nie je možné zapísať, je to adresár !")
                                : QStringLiteral(" nie je možné prepísať (") + systemText(code) +
                                      QStringLiteral(") !"));
        return std::nullopt;
    }
    const int fd = ::openat(parent.get(), name.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = QStringLiteral("Súbor ") + shownPath + QStringLiteral(" sa nepodarilo vytvoriť (") +
                systemText(errno) + QStringLiteral(") !");
        return std::nullopt;
    }
    return File(fd, shownPath);
}

UnpackDir::File::File(int fd, QString shownPath) : fd_(fd), shownPath_(std::move(shownPath)) {}

UnpackDir::File::File(File &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)), shownPath_(std::move(other.shownPath_))
{
}

UnpackDir::File &UnpackDir::File::operator=(File &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        shownPath_ = std::move(other.shownPath_);
    }
    return *this;
}

UnpackDir::File::~File()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool UnpackDir::File::write(const char *data, qint64 size, QString &error)
{
    while (size > 0) {
        const ssize_t n = fd_ < 0 ? -1 : ::write(fd_, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = QStringLiteral("Súbor ") + shownPath_ +
                    QStringLiteral(" sa nepodarilo zapísať (") +
                    systemText(n < 0 ? errno : ENOSPC) + QStringLiteral(") !");
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool UnpackDir::File::finish(const StoredAttributes &attributes, bool startFlush, QString &error)
{
    if (fd_ < 0) {
        error = QStringLiteral("Súbor ") + shownPath_ + QStringLiteral(" nie je otvorený !");
        return false;
    }
    Fd fd(std::exchange(fd_, -1));
    auto fail = [&](const QString &what) {
        error = QStringLiteral("Súbor ") + shownPath_ + what + systemText(errno) +
                QStringLiteral(") !");
        return false;
    };

    if (attributes.unixMode || attributes.readOnly) {
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            return fail(QStringLiteral(" sa nepodarilo zapísať ("));
        // The owner may always read what was unpacked; set-id bits are never taken over.
        mode_t mode = attributes.unixMode
                          ? static_cast<mode_t>((*attributes.unixMode & 0777) | S_IRUSR)
                          : (st.st_mode & 0777);
        if (attributes.readOnly)
            mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
        if (::fchmod(fd.get(), mode) != 0)
            return fail(QStringLiteral(" - atribúty sa nepodarilo nastaviť ("));
    }
#ifdef __linux__
    // Only starts the write-back: waiting for each file in turn would cost one disk commit per
    // file, while UnpackDir::flush waits for all of them at once.
    if (startFlush)
        ::sync_file_range(fd.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    if (startFlush && ::fsync(fd.get()) != 0)
        return fail(QStringLiteral(" sa nepodarilo zapísať ("));
#endif
    if (::close(fd.release()) != 0)
        return fail(QStringLiteral(" sa nepodarilo zapísať ("));
    return true;
}

} // namespace menu::platform
