#include "platform/Files.h"
#include "platform/FileReading.h"

#include "platform/posix/UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace menu::platform {

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

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

// Opens a regular file for reading; non-blocking, so that a FIFO in its place cannot hang.
Result<UniqueFd> openRegular(const QString &path, struct stat &info)
{
    UniqueFd fd(::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid())
        return Failure::errnoValue(errno, path);
    if (::fstat(fd.get(), &info) != 0)
        return Failure::errnoValue(errno, path);
    if (S_ISDIR(info.st_mode))
        return Failure::errnoValue(EISDIR, path);
    if (!S_ISREG(info.st_mode))
        return Failure::errnoValue(EINVAL, path);
    return fd;
}

// Matching a name without case lists its directory. A package has few directories and many
// targets in each, so a listing is kept while the directory's stamp stays the same; one changed
// too recently for its stamp to be trusted is listed anew at every lookup.
constexpr qsizetype kListingsMax = 64;

struct Listing {
    FileStamp stamp;
    QHash<QString, QStringList> byFolded; // case-folded name -> the names that fold to it
};

std::mutex listingsMutex;
QHash<QString, std::shared_ptr<const Listing>> listings; // by directory path

std::shared_ptr<const Listing> listingOf(const QString &dir, std::int64_t listedAt)
{
    const auto stamp = fileStamp(dir);
    if (!stamp)
        return nullptr;
    const std::lock_guard lock(listingsMutex);
    if (const auto known = listings.value(dir); known && known->stamp == *stamp)
        return known;
    const Result<QStringList> names = directoryEntries(dir);
    if (!names.ok()) {
        listings.remove(dir);
        return nullptr;
    }
    auto listing = std::make_shared<Listing>();
    listing->stamp = *stamp;
    for (const QString &name : *names)
        listing->byFolded[name.toCaseFolded()].append(name);
    if (stamp->changedNs < listedAt - kStampSettledNs) {
        if (listings.size() >= kListingsMax)
            listings.clear();
        listings.insert(dir, listing);
    } else {
        listings.remove(dir);
    }
    return listing;
}

} // namespace

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString temporaryDirectory()
{
    return QDir::tempPath();
}

QString userDataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/orvan-menu");
}

bool isFile(const QString &path)
{
    struct stat info {};
    return ::stat(encoded(path).constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool exists(const QString &path)
{
    struct stat info {};
    return ::stat(encoded(path).constData(), &info) == 0;
}

bool isDirectory(const QString &path)
{
    struct stat info {};
    return ::stat(encoded(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

Result<StampedContent> readStampedFile(const QString &path, qint64 maxBytes)
{
    struct stat info {};
    Result<UniqueFd> fd = openRegular(path, info);
    if (!fd.ok())
        return fd.failure();
    const int descriptor = fd->get();
    const auto read = [&](char *buffer, qint64 size) -> Result<qint64> {
        for (;;) {
            const ssize_t got = ::read(descriptor, buffer, static_cast<std::size_t>(size));
            if (got >= 0)
                return qint64{got};
            if (errno != EINTR)
                return Failure::errnoValue(errno, path);
        }
    };
    return readToEnd(read, stampOf(info), maxBytes, path);
}

std::optional<FileStamp> fileStamp(const QString &path)
{
    struct stat info {};
    if (::stat(encoded(path).constData(), &info) != 0)
        return std::nullopt;
    return stampOf(info);
}

std::int64_t stampClockNs()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

Result<QStringList> directoryEntries(const QString &dir)
{
    DIR *stream = ::opendir(encoded(dir).constData());
    if (stream == nullptr)
        return Failure::errnoValue(errno, dir);
    QStringList names;
    while (const dirent *entry = ::readdir(stream)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    }
    ::closedir(stream);
    return names;
}

std::optional<QString> entryWithoutCase(const QString &dir, const QString &name, std::int64_t nowNs)
{
    const QString exact = dir.endsWith(QLatin1Char('/')) ? dir + name : dir + u'/' + name;
    const auto listing = listingOf(dir.isEmpty() ? QStringLiteral("/") : dir, nowNs);
    if (!listing) // not listable, perhaps still searchable
        return exists(exact) ? std::optional(name) : std::nullopt;
    const auto found = listing->byFolded.constFind(name.toCaseFolded());
    if (found == listing->byFolded.constEnd())
        return std::nullopt;
    if (found->contains(name))
        return name;
    return *std::min_element(found->begin(), found->end());
}

Status writeNewFile(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = encoded(path);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir =
        slash < 0 ? QByteArrayLiteral(".") : target.left(std::max<qsizetype>(slash, 1));
    QByteArray temporary;
    UniqueFd fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        temporary =
            dir + "/." + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".new";
        fd.reset(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd.valid() && errno != EEXIST)
            return Failure::errnoValue(errno, path);
    }
    if (!fd.valid())
        return Failure::errnoValue(EEXIST, path);
    const auto fail = [&](int error) {
        fd.reset();
        ::unlink(temporary.constData());
        return Failure::errnoValue(error, path);
    };
    // A temporary file is private to its owner; the new file is readable by everyone.
    if (::fchmod(fd.get(), 0644) != 0)
        return fail(errno);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t put =
            ::write(fd.get(), bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return fail(errno);
        done += put;
    }
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (const int error = fd.close(); error != 0)
        return fail(error);
    // A hard link gives the file its name only where that name is free: nothing is replaced.
    if (::link(temporary.constData(), target.constData()) != 0)
        return fail(errno);
    ::unlink(temporary.constData());
    return {};
}

Status removeFile(const QString &path)
{
    if (::unlink(encoded(path).constData()) != 0)
        return Failure::errnoValue(errno, path);
    return {};
}

Status makeDirectories(const QString &dir)
{
    QString path;
    for (const QString &part : dir.split(QLatin1Char('/'))) {
        path += part;
        if (!part.isEmpty() && ::mkdir(encoded(path).constData(), 0777) != 0 && errno != EEXIST)
            return Failure::errnoValue(errno, path);
        path += QLatin1Char('/');
    }
    if (!isDirectory(dir))
        return Failure::errnoValue(ENOTDIR, dir);
    return {};
}

Status mayReplace(const QString &path)
{
    const QByteArray native = encoded(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return Failure::errnoValue(errno, path);
    if ((info.st_mode & 0222) == 0)
        return Failure::errnoValue(EACCES, path);
    if (::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) != 0)
        return Failure::errnoValue(errno, path);
    return {};
}

std::optional<qint64> freeBytes(const QString &dir)
{
    struct statvfs info {};
    if (::statvfs(encoded(dir).constData(), &info) != 0)
        return std::nullopt;
    return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
}

struct ReadOnlyFile::Native {
    UniqueFd fd;
};

ReadOnlyFile::ReadOnlyFile(std::unique_ptr<Native> native, std::uint64_t size)
    : native_(std::move(native)), size_(size)
{
}
ReadOnlyFile::ReadOnlyFile(ReadOnlyFile &&) noexcept = default;
ReadOnlyFile &ReadOnlyFile::operator=(ReadOnlyFile &&) noexcept = default;
ReadOnlyFile::~ReadOnlyFile() = default;

Result<ReadOnlyFile> ReadOnlyFile::open(const QString &path)
{
    struct stat info {};
    Result<UniqueFd> fd = openRegular(path, info);
    if (!fd.ok())
        return fd.failure();
    auto native = std::make_unique<Native>();
    native->fd = std::move(*fd);
    return ReadOnlyFile(std::move(native),
                        static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0)));
}

bool ReadOnlyFile::readAt(std::uint64_t offset, char *into, std::size_t length) const
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(native_->fd.get(), into + done, length - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // an error, or the file shrank under us
        done += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace menu::platform
