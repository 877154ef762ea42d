#include "formats/ByteSource.h"

namespace menu::formats {

std::optional<QByteArray> MemoryByteSource::read(std::uint64_t offset, std::size_t length) const
{
    const auto total = static_cast<std::uint64_t>(bytes_.size());
    if (offset > total || length > total - offset)
        return std::nullopt;
    return bytes_.mid(static_cast<qsizetype>(offset), static_cast<qsizetype>(length));
}

} // namespace menu::formats
