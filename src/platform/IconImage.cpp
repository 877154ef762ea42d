#include "platform/IconImage.h"

#include "formats/LittleEndian.h"

#include <QBuffer>
#include <QImageReader>
#include <map>
#include <mutex>
#include <unordered_map>

namespace menu::platform {

namespace le = formats::le;

namespace {

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

QImage sharedIconImage(const QByteArray &icon, int side)
{
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
    if (const auto found = bySide.find(icon); found != bySide.end())
        return found->second;
    if (bySide.size() >= kDecodedMax)
        bySide.clear();
    return bySide.emplace(icon, decodeIconFile(icon, side)).first->second;
}

} // namespace menu::platform
