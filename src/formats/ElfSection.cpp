#include "formats/ElfSection.h"

#include "formats/LittleEndian.h"

#include <algorithm>

namespace menu::formats {

namespace {

constexpr std::uint16_t kMaxSections = 4096;
constexpr std::uint16_t kMaxHeaderSize = 256; // real section headers are 40 or 64 bytes
constexpr std::uint64_t kMaxNameTable = 1024u * 1024u;
constexpr std::uint32_t kNoBits = 8;

struct Layout {
    bool is64;
    qsizetype entrySize; // the smallest section header we accept
    qsizetype offsetAt;  // where sh_offset and sh_size lie in a section header
    qsizetype sizeAt;
};

constexpr Layout kElf32{false, 40, 0x10, 0x14};
constexpr Layout kElf64{true, 64, 0x18, 0x20};

struct SectionHeader {
    std::uint32_t name;
    std::uint32_t type;
    std::uint64_t offset;
    std::uint64_t size;
};

// Where the section headers lie, from the file header.
struct Table {
    Layout layout{};
    std::uint64_t offset = 0;
    std::uint16_t entrySize = 0;
    std::uint16_t count = 0;
    std::uint16_t namesIndex = 0;
};

std::optional<Table> sectionTable(const ByteSource &source)
{
    const auto ident = source.read(0, 64);
    const auto head = ident ? ident : source.read(0, 52);
    if (!head || le::u32(*head, 0) != 0x464C457F) // "\x7F" "ELF"
        return std::nullopt;
    if (le::u8(*head, 5) != 1) // little-endian only
        return std::nullopt;
    Table t;
    if (le::u8(*head, 4) == 2 && head->size() >= 64) {
        t = {kElf64, le::u64(*head, 0x28), le::u16(*head, 0x3A), le::u16(*head, 0x3C),
             le::u16(*head, 0x3E)};
    } else if (le::u8(*head, 4) == 1) {
        t = {kElf32, le::u32(*head, 0x20), le::u16(*head, 0x2E), le::u16(*head, 0x30),
             le::u16(*head, 0x32)};
    } else {
        return std::nullopt;
    }
    if (t.entrySize < t.layout.entrySize || t.entrySize > kMaxHeaderSize || t.count == 0 ||
        t.count > kMaxSections || t.namesIndex >= t.count)
        return std::nullopt;
    return t;
}

} // namespace

std::optional<QByteArray> elfSection(const ByteSource &source, const QByteArray &name,
                                     std::uint32_t maxBytes)
{
    const std::optional<Table> found = sectionTable(source);
    if (!found)
        return std::nullopt;
    const Layout &layout = found->layout;
    const std::uint16_t entrySize = found->entrySize;
    const std::uint16_t count = found->count;
    const std::uint16_t namesIndex = found->namesIndex;
    const auto table = source.read(found->offset, std::size_t{count} * entrySize);
    if (!table)
        return std::nullopt;

    auto header = [&](std::uint16_t index) {
        const qsizetype at = qsizetype{index} * entrySize;
        const auto field = [&](qsizetype where) {
            return layout.is64 ? le::u64(*table, at + where) : le::u32(*table, at + where);
        };
        return SectionHeader{le::u32(*table, at), le::u32(*table, at + 4), field(layout.offsetAt),
                             field(layout.sizeAt)};
    };

    const SectionHeader names = header(namesIndex);
    if (names.size > kMaxNameTable)
        return std::nullopt;
    const auto nameTable = source.read(names.offset, static_cast<std::size_t>(names.size));
    if (!nameTable)
        return std::nullopt;

    for (std::uint16_t index = 0; index < count; ++index) {
        const SectionHeader section = header(index);
        if (section.name >= nameTable->size())
            continue;
        const qsizetype end = nameTable->indexOf('\0', section.name);
        if (end < 0 || nameTable->mid(section.name, end - section.name) != name)
            continue;
        if (section.type == kNoBits)
            return std::nullopt;
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(section.size, maxBytes));
        return source.read(section.offset, size);
    }
    return std::nullopt;
}

} // namespace menu::formats
