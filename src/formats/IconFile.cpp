#include "formats/IconFile.h"

#include "formats/LittleEndian.h"
#include "formats/PeFile.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace menu::formats {

namespace {

constexpr std::uint16_t kMaxImages = 256;
constexpr std::size_t kIconDirectoryEntrySize = 16; // in .ico files
constexpr std::size_t kGroupEntrySize = 14;         // in RT_GROUP_ICON resources

struct Candidate {
    int width;
    int height;
    int bitCount;
    QByteArray entryHead; // the first twelve bytes of the directory entry, kept as they are
    std::uint32_t bytes;
    std::uint32_t where; // file offset (.ico) or RT_ICON number (group)
};

int sideOf(std::uint8_t stored)
{
    return stored == 0 ? 256 : stored; // 0 stands for 256
}

std::vector<Candidate> entries(const QByteArray &directory, std::size_t entrySize)
{
    std::vector<Candidate> found;
    if (directory.size() < 6 || le::u16(directory, 0) != 0 || le::u16(directory, 2) != 1)
        return found;
    const std::uint16_t count = le::u16(directory, 4);
    if (count == 0 || count > kMaxImages || directory.size() < 6 + qsizetype(count * entrySize))
        return found;
    for (std::uint16_t index = 0; index < count; ++index) {
        const qsizetype at = 6 + qsizetype(index * entrySize);
        found.push_back(Candidate{sideOf(le::u8(directory, at)), sideOf(le::u8(directory, at + 1)),
                                  le::u16(directory, at + 6), directory.mid(at, 12),
                                  le::u32(directory, at + 8),
                                  entrySize == kGroupEntrySize ? le::u16(directory, at + 12)
                                                               : le::u32(directory, at + 12)});
    }
    return found;
}

// The image nearest side × side; of equally near ones the one with more colours, then the
// larger (scaling down looks better than scaling up), then the first.
const Candidate *nearest(const std::vector<Candidate> &candidates, int side)
{
    const Candidate *best = nullptr;
    auto distance = [side](const Candidate &c) {
        return std::abs(c.width - side) + std::abs(c.height - side);
    };
    for (const Candidate &candidate : candidates) {
        if (!best || distance(candidate) < distance(*best) ||
            (distance(candidate) == distance(*best) &&
             (candidate.bitCount > best->bitCount ||
              (candidate.bitCount == best->bitCount && candidate.width > best->width))))
            best = &candidate;
    }
    return best;
}

QByteArray singleImageIcon(const Candidate &image, const QByteArray &data)
{
    QByteArray icon;
    le::put16(icon, 0);
    le::put16(icon, 1);
    le::put16(icon, 1);
    icon.append(image.entryHead.left(8));
    le::put32(icon, static_cast<std::uint32_t>(data.size()));
    le::put32(icon, 22); // the image follows this six-byte header and one entry
    icon.append(data);
    return icon;
}

std::optional<QByteArray> iconOfProgram(const PeFile &pe, int side)
{
    const auto group = pe.resource(kResourceTypeGroupIcon, std::nullopt);
    if (!group)
        return std::nullopt;
    const auto candidates = entries(*group, kGroupEntrySize);
    const Candidate *chosen = nearest(candidates, side);
    if (!chosen || chosen->where > 0xFFFF)
        return std::nullopt;
    const auto data = pe.resource(kResourceTypeIcon, static_cast<std::uint16_t>(chosen->where));
    if (!data)
        return std::nullopt;
    return singleImageIcon(*chosen, *data);
}

std::optional<QByteArray> iconOfIconFile(const ByteSource &source, int side)
{
    const auto head = source.read(0, 6);
    if (!head || le::u16(*head, 0) != 0 || le::u16(*head, 2) != 1)
        return std::nullopt;
    const std::uint16_t count = le::u16(*head, 4);
    if (count == 0 || count > kMaxImages)
        return std::nullopt;
    const auto directory = source.read(0, 6 + count * kIconDirectoryEntrySize);
    if (!directory)
        return std::nullopt;
    const auto candidates = entries(*directory, kIconDirectoryEntrySize);
    const Candidate *chosen = nearest(candidates, side);
    if (!chosen || chosen->bytes == 0 || chosen->bytes > kMaxResourceBytes)
        return std::nullopt;
    const auto data = source.read(chosen->where, chosen->bytes);
    if (!data)
        return std::nullopt;
    return singleImageIcon(*chosen, *data);
}

} // namespace

std::optional<QByteArray> firstIconFile(const ByteSource &source, int side)
{
    if (const auto pe = PeFile::open(source))
        return iconOfProgram(*pe, side);
    return iconOfIconFile(source, side);
}

} // namespace menu::formats
