#include "formats/PeFile.h"

#include "formats/LittleEndian.h"

#include <algorithm>

namespace menu::formats {

namespace {

constexpr std::uint32_t kMaxHeaderOffset = 64u * 1024u * 1024u;
constexpr std::uint16_t kMaxSections = 96; // the system's own loader refuses more
constexpr std::uint32_t kMaxDirectoryEntries = 4096;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::uint32_t kResourceDirectoryIndex = 2;

} // namespace

std::optional<PeFile> PeFile::open(const ByteSource &source)
{
    const auto dos = source.read(0, 64);
    if (!dos || le::u16(*dos, 0) != 0x5A4D) // "MZ"
        return std::nullopt;
    const std::uint32_t peOffset = le::u32(*dos, 0x3C);
    if (peOffset > kMaxHeaderOffset)
        return std::nullopt;
    const auto coff = source.read(peOffset, 24);
    if (!coff || le::u32(*coff, 0) != 0x00004550) // "PE\0\0"
        return std::nullopt;
    const std::uint16_t sectionCount = le::u16(*coff, 6);
    const std::uint16_t optionalSize = le::u16(*coff, 20);
    if (sectionCount > kMaxSections)
        return std::nullopt;

    const std::uint64_t optionalOffset = std::uint64_t{peOffset} + 24;
    const auto optional = source.read(optionalOffset, optionalSize);
    if (!optional || optionalSize < 2)
        return std::nullopt;

    PeFile pe(source);
    const std::uint16_t magic = le::u16(*optional, 0);
    qsizetype countAt = 0;
    if (magic == 0x10B) {
        countAt = 92;
    } else if (magic == 0x20B) {
        countAt = 108;
        pe.is64_ = true;
    } else {
        return std::nullopt;
    }
    if (optional->size() >= countAt + 4) {
        const std::uint32_t directoryCount = le::u32(*optional, countAt);
        const qsizetype resourceAt = countAt + 4 + kResourceDirectoryIndex * 8;
        if (directoryCount > kResourceDirectoryIndex && optional->size() >= resourceAt + 8) {
            pe.resourceRva_ = le::u32(*optional, resourceAt);
            pe.resourceSize_ = le::u32(*optional, resourceAt + 4);
        }
    }

    const auto table = source.read(optionalOffset + optionalSize, std::size_t{sectionCount} * 40);
    if (!table)
        return std::nullopt;
    pe.sections_.reserve(sectionCount);
    for (qsizetype at = 0; at < table->size(); at += 40) {
        pe.sections_.push_back(Section{le::u32(*table, at + 12), le::u32(*table, at + 8),
                                       le::u32(*table, at + 16), le::u32(*table, at + 20)});
    }
    return pe;
}

std::optional<std::uint64_t> PeFile::fileOffset(std::uint32_t rva, std::uint32_t length) const
{
    for (const Section &section : sections_) {
        if (rva < section.virtualAddress)
            continue;
        const std::uint64_t into = rva - section.virtualAddress;
        // Memory beyond the file data of a section is zero-filled and has no file bytes.
        const std::uint32_t extent = section.virtualSize != 0
                                         ? std::min(section.virtualSize, section.rawSize)
                                         : section.rawSize;
        if (into >= std::max(section.virtualSize, section.rawSize))
            continue;
        if (into + length > extent)
            return std::nullopt;
        return std::uint64_t{section.rawOffset} + into;
    }
    return std::nullopt;
}

std::optional<QByteArray> PeFile::readResource(std::uint32_t offset, std::uint32_t length) const
{
    if (offset > resourceSize_ || length > resourceSize_ - offset)
        return std::nullopt;
    const auto at = fileOffset(resourceRva_ + offset, length);
    if (!at)
        return std::nullopt;
    return source_->read(*at, length);
}

std::optional<std::vector<PeFile::Entry>> PeFile::directory(std::uint32_t offset) const
{
    const auto head = readResource(offset, 16);
    if (!head)
        return std::nullopt;
    const std::uint32_t count = std::uint32_t{le::u16(*head, 12)} + le::u16(*head, 14);
    if (count > kMaxDirectoryEntries)
        return std::nullopt;
    const auto raw = readResource(offset + 16, count * 8);
    if (!raw)
        return std::nullopt;
    std::vector<Entry> entries;
    entries.reserve(count);
    for (qsizetype at = 0; at < raw->size(); at += 8)
        entries.push_back(Entry{le::u32(*raw, at), le::u32(*raw, at + 4)});
    return entries;
}

std::optional<QByteArray> PeFile::resource(std::uint16_t type, std::optional<std::uint16_t> id,
                                           std::uint32_t maxBytes) const
{
    if (!hasResources())
        return std::nullopt;
    // Three levels: type, name, language. A subdirectory offset that points back up cannot
    // make this loop, because the walk goes down exactly three levels.
    const auto types = directory(0);
    if (!types)
        return std::nullopt;
    std::optional<std::uint32_t> names;
    for (const Entry &entry : *types) {
        if (entry.name == type) {
            names = entry.target;
            break;
        }
    }
    if (!names || (*names & kSubdirectoryBit) == 0)
        return std::nullopt;

    const auto nameEntries = directory(*names & ~kSubdirectoryBit);
    if (!nameEntries || nameEntries->empty())
        return std::nullopt;
    std::optional<std::uint32_t> languages;
    if (id) {
        for (const Entry &entry : *nameEntries) {
            if (entry.name == *id) {
                languages = entry.target;
                break;
            }
        }
    } else {
        languages = nameEntries->front().target;
    }
    if (!languages || (*languages & kSubdirectoryBit) == 0)
        return std::nullopt;

    const auto languageEntries = directory(*languages & ~kSubdirectoryBit);
    if (!languageEntries || languageEntries->empty())
        return std::nullopt;
    const std::uint32_t dataEntry = languageEntries->front().target;
    if ((dataEntry & kSubdirectoryBit) != 0)
        return std::nullopt;
    const auto data = readResource(dataEntry, 16);
    if (!data)
        return std::nullopt;
    const std::uint32_t rva = le::u32(*data, 0);
    const std::uint32_t size = std::min(le::u32(*data, 4), maxBytes);
    if (size == 0)
        return std::nullopt;
    const auto at = fileOffset(rva, size);
    if (!at)
        return std::nullopt;
    return source_->read(*at, size);
}

} // namespace menu::formats
