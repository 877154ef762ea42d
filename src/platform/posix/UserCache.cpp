#include "platform/UserCache.h"

#include "platform/AtomicFile.h"
#include "platform/Files.h"
#include "platform/posix/UniqueFd.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace menu::platform {

QString userCacheDirectory()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/orvan-menu");
}

Result<QByteArray> readOwnFile(const QString &path, qint64 maxBytes)
{
    const UniqueFd fd(::open(QFile::encodeName(path).constData(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return Failure::errnoValue(errno, path);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return Failure::errnoValue(errno, path);
    if (!S_ISREG(info.st_mode))
        return Failure::errnoValue(EINVAL, path);
    if (info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Failure::errnoValue(EPERM, path);
    if (info.st_size > maxBytes)
        return Failure::errnoValue(EFBIG, path);
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Failure::errnoValue(errno, path);
        if (got == 0)
            return bytes;
        if (bytes.size() + got > maxBytes)
            return Failure::errnoValue(EFBIG, path);
        bytes.append(buffer, static_cast<qsizetype>(got));
    }
}

Status writeOwnFile(const QString &path, const QByteArray &bytes)
{
    const QString dir = QFileInfo(path).absolutePath();
    if (!isDirectory(dir)) {
        if (const Status made = makeDirectories(dir); !made.ok())
            return made;
        ::chmod(QFile::encodeName(dir).constData(), 0700);
    }
    // A new file each time: the old one (perhaps another's) is replaced, never written into.
    AtomicFile::Options options;
    options.keepMode = false;
    Result<AtomicFile> file = AtomicFile::begin(path, options);
    if (!file.ok())
        return file.failure();
    if (const Status written = file->write(bytes); !written.ok())
        return written;
    if (const Status committed = file->commit(); !committed.ok())
        return committed;
    ::chmod(QFile::encodeName(path).constData(), 0600);
    return {};
}

} // namespace menu::platform
