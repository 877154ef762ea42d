#include "core/ByteSource.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace menu::core {

std::optional<QByteArray> MemoryByteSource::read(std::uint64_t offset, std::size_t length) const
{
    const auto total = static_cast<std::uint64_t>(bytes_.size());
    if (offset > total || length > total - offset)
        return std::nullopt;
    return bytes_.mid(static_cast<qsizetype>(offset), static_cast<qsizetype>(length));
}

std::unique_ptr<FileByteSource> FileByteSource::open(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    // Without O_NONBLOCK a pipe in place of a program would hold the caller until a writer came.
    int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return nullptr;
    }
    // The constructor cannot fail, so the descriptor changes owner here and nowhere else.
    return std::unique_ptr<FileByteSource>(
        new FileByteSource(fd, static_cast<std::uint64_t>(info.st_size)));
}

FileByteSource::~FileByteSource()
{
    ::close(fd_);
}

bool FileByteSource::readExactly(char *into, std::uint64_t offset, std::size_t length) const
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got =
            ::pread(fd_, into + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // an error, or the file shrank under us
        done += static_cast<std::size_t>(got);
        bytesRead_ += static_cast<std::uint64_t>(got);
    }
    return true;
}

const FileByteSource::Page *FileByteSource::page(std::uint64_t index) const
{
    Page *oldest = &pages_[0];
    for (Page &kept : pages_) {
        if (kept.lastUse != 0 && kept.index == index) {
            kept.lastUse = ++uses_;
            return &kept;
        }
        if (kept.lastUse < oldest->lastUse)
            oldest = &kept;
    }
    const std::uint64_t offset = index * kPageSize;
    const auto length = static_cast<std::size_t>(std::min(kPageSize, size_ - offset));
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    if (!readExactly(bytes.data(), offset, length))
        return nullptr;
    *oldest = Page{index, ++uses_, std::move(bytes)};
    return oldest;
}

std::optional<QByteArray> FileByteSource::read(std::uint64_t offset, std::size_t length) const
{
    if (offset > size_ || length > size_ - offset)
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    if (length == 0)
        return bytes;
    const std::uint64_t first = offset / kPageSize;
    const std::uint64_t last = (offset + length - 1) / kPageSize;
    if (last - first >= kPagesKept / 2) {
        if (!readExactly(bytes.data(), offset, length))
            return std::nullopt;
        return bytes;
    }
    std::size_t done = 0;
    for (std::uint64_t index = first; index <= last; ++index) {
        const Page *kept = page(index);
        if (kept == nullptr) // the file changed under us; the piece alone may still be there
            return readExactly(bytes.data(), offset, length) ? std::optional(bytes) : std::nullopt;
        const std::uint64_t from = offset + done - index * kPageSize;
        const std::size_t piece = std::min(
            length - done,
            static_cast<std::size_t>(static_cast<std::uint64_t>(kept->bytes.size()) - from));
        std::memcpy(bytes.data() + done, kept->bytes.constData() + from, piece);
        done += piece;
    }
    return bytes;
}

} // namespace menu::core
