#include "core/ProgramIcon.h"

#include "core/LittleEndian.h"
#include "core/PeFile.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace menu::core {

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

bool hasNoAlpha(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 0)
                return false;
        }
    }
    return true;
}

// A 32-bit image whose alpha is zero throughout was drawn for the mask, as older tools wrote
// them: the system then shows the pixels the mask leaves clear, and so do we. Nothing when
// the image is not such a bitmap or its mask is not all there.
std::optional<QImage> withMaskOfOpaqueDib(const QByteArray &icon, const QImage &decoded)
{
    const QByteArray dib = icon.mid(22);
    if (dib.size() < 40 || le::u32(dib, 0) < 40 || le::u16(dib, 14) != 32 || le::u32(dib, 16) != 0)
        return std::nullopt;
    const auto width = static_cast<std::int32_t>(le::u32(dib, 4));
    const auto height = static_cast<std::int32_t>(le::u32(dib, 8)) / 2;
    if (width != decoded.width() || height != decoded.height())
        return std::nullopt;
    const qsizetype maskStride = ((qsizetype{width} + 31) / 32) * 4;
    const qsizetype pixelsAt = le::u32(dib, 0);
    const qsizetype maskAt = pixelsAt + qsizetype{width} * height * 4;
    if (dib.size() < maskAt + maskStride * height)
        return std::nullopt;
    // The decoder has dropped the colours along with the alpha; they are taken anew.
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const qsizetype pixels = pixelsAt + qsizetype{width} * 4 * (height - 1 - y); // bottom-up
        const qsizetype mask = maskAt + maskStride * (height - 1 - y);
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool hidden = (le::u8(dib, mask + x / 8) >> (7 - x % 8)) & 1;
            line[x] = hidden ? 0 : (le::u32(dib, pixels + qsizetype{x} * 4) | 0xFF000000u);
        }
    }
    return image;
}

} // namespace

std::optional<QByteArray> firstIconFile(const ByteSource &source, int side)
{
    if (const auto pe = PeFile::open(source))
        return iconOfProgram(*pe, side);
    return iconOfIconFile(source, side);
}

QImage decodeIconFile(const QByteArray &icon, int side)
{
    QBuffer buffer;
    buffer.setData(icon);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ICO");
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (hasNoAlpha(image)) {
        if (auto masked = withMaskOfOpaqueDib(icon, image))
            image = std::move(*masked);
    }
    if (image.width() != side || image.height() != side)
        image = image.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage loadFirstIcon(const QString &path, int side)
{
    const auto source = FileByteSource::open(path);
    if (!source)
        return {};
    const auto icon = firstIconFile(*source, side);
    if (!icon)
        return {};

    // The programs and tools of a package mostly share a few icons; each is decoded once, and
    // the images handed out share their pixels, so that callers can tell them apart cheaply.
    // Icons that share their beginning and size are told apart by comparing all their bytes.
    struct IconKey {
        std::size_t operator()(const QByteArray &bytes) const noexcept
        {
            return qHash(QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 256))) ^
                   static_cast<std::size_t>(bytes.size());
        }
    };
    static std::mutex mutex;
    static std::map<int, std::unordered_map<QByteArray, QImage, IconKey>> decoded; // by side
    constexpr std::size_t kDecodedMax = 64;
    const std::lock_guard lock(mutex);
    auto &bySide = decoded[side];
    if (const auto found = bySide.find(*icon); found != bySide.end())
        return found->second;
    if (bySide.size() >= kDecodedMax)
        bySide.clear();
    return bySide.emplace(*icon, decodeIconFile(*icon, side)).first->second;
}

} // namespace menu::core
