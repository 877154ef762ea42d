#include "platform/GrowingFile.h"

#include "platform/Files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace menu::platform {

namespace {

constexpr qint64 kBlock = 64 * 1024;

Failure ioFailure(const QFile &file)
{
    return Failure::of(std::errc::io_error, file.fileName(), file.errorString());
}

// Reads up to limit bytes (-1: all) from where file stands, block by block.
Status readInto(QFile &file, qint64 limit, const BlockTaker &take)
{
    std::array<char, kBlock> block{};
    for (qint64 done = 0; limit < 0 || done < limit;) {
        const qint64 want = limit < 0 ? kBlock : std::min(kBlock, limit - done);
        const qint64 got = file.read(block.data(), want);
        if (got < 0 || (got == 0 && limit >= 0))
            return ioFailure(file);
        if (got == 0)
            break;
        if (!take(block.data(), got))
            return Failure::of(std::errc::operation_canceled, file.fileName());
        done += got;
    }
    return {};
}

} // namespace

GrowingFile::GrowingFile(std::unique_ptr<QFile> file) : file_(std::move(file)) {}
GrowingFile::GrowingFile(GrowingFile &&) noexcept = default;
GrowingFile &GrowingFile::operator=(GrowingFile &&) noexcept = default;
GrowingFile::~GrowingFile() = default;

Result<GrowingFile> GrowingFile::open(const QString &path, qint64 keep, const BlockTaker &take)
{
    auto file = std::make_unique<QFile>(path);
    if (keep == 0) {
        if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
            return ioFailure(*file);
        return GrowingFile(std::move(file));
    }
    if (!file->open(QIODevice::ReadWrite))
        return ioFailure(*file);
    if (Status read = readInto(*file, keep, take); !read.ok())
        return read.failure();
    if (!file->resize(keep) || !file->seek(keep))
        return ioFailure(*file);
    return GrowingFile(std::move(file));
}

Status GrowingFile::write(const char *data, qint64 length)
{
    if (file_->write(data, length) != length)
        return ioFailure(*file_);
    return {};
}

Status readBlocks(const QString &path, const BlockTaker &take)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ioFailure(file);
    return readInto(file, -1, take);
}

std::optional<qint64> regularFileSize(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return std::nullopt;
    return info.size();
}

void removeUnchangedFor(const QString &dir, const QStringList &suffixes, std::chrono::seconds age)
{
    const QDateTime limit = QDateTime::currentDateTimeUtc().addSecs(-age.count());
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo &entry : entries) {
        const bool ours = std::any_of(suffixes.begin(), suffixes.end(), [&](const QString &s) {
            return entry.fileName().endsWith(s);
        });
        if (ours && entry.lastModified().toUTC() < limit)
            (void)removeFile(entry.filePath());
    }
}

} // namespace menu::platform
