#include "platform/FileByteSource.h"

#include <algorithm>
#include <cstring>

namespace menu::platform {

std::unique_ptr<FileByteSource> FileByteSource::open(const QString &path)
{
    Result<ReadOnlyFile> file = ReadOnlyFile::open(path);
    if (!file.ok())
        return nullptr;
    return std::unique_ptr<FileByteSource>(new FileByteSource(std::move(*file)));
}

bool FileByteSource::readExactly(char *into, std::uint64_t offset, std::size_t length) const
{
    if (!file_.readAt(offset, into, length))
        return false;
    bytesRead_ += length;
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

} // namespace menu::platform
