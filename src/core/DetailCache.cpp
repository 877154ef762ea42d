#include "core/DetailCache.h"

#include "platform/UserCache.h"

#include <QDataStream>
#include <QIODevice>
#include <cstring>

namespace menu::core {

namespace {

constexpr quint32 kMagic = 0x4F4D4443; // "OMDC"
constexpr quint32 kFormat = 1;
constexpr qint64 kFileMax = qint64(64) * 1024 * 1024;
constexpr quint32 kTargetsMax = 100'000;
constexpr quint32 kIconsMax = 10'000;
constexpr qint32 kIconSideMax = 256;

void writeIcon(QDataStream &out, const QImage &icon)
{
    const QImage image = icon.convertToFormat(QImage::Format_ARGB32);
    out << qint32(image.width()) << qint32(image.height());
    QByteArray pixels;
    for (int y = 0; y < image.height(); ++y)
        pixels.append(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * 4);
    out << pixels;
}

bool readIcon(QDataStream &in, QImage &icon)
{
    qint32 width = 0, height = 0;
    QByteArray pixels;
    in >> width >> height >> pixels;
    if (in.status() != QDataStream::Ok || width < 1 || height < 1 || width > kIconSideMax ||
        height > kIconSideMax || pixels.size() != qsizetype(width) * height * 4)
        return false;
    icon = QImage(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        std::memcpy(icon.scanLine(y), pixels.constData() + qsizetype(y) * width * 4,
                    static_cast<std::size_t>(width) * 4);
    return true;
}

} // namespace

DetailCache::DetailCache(DetailCache &&other) noexcept
{
    const std::lock_guard lock(other.mutex_);
    targets_ = std::move(other.targets_);
}

DetailCache &DetailCache::operator=(DetailCache &&other) noexcept
{
    if (this != &other) {
        const std::scoped_lock lock(mutex_, other.mutex_);
        targets_ = std::move(other.targets_);
    }
    return *this;
}

QString DetailCache::fileIn(const QString &dir)
{
    return dir.isEmpty() ? QString() : dir + QStringLiteral("/menu-details.cache");
}

DetailCache DetailCache::load(const QString &file)
{
    if (file.isEmpty())
        return {};
    const Result<QByteArray> bytes = platform::readOwnFile(file, kFileMax);
    return bytes ? parse(*bytes) : DetailCache();
}

bool DetailCache::save(const QString &file) const
{
    return !file.isEmpty() && platform::writeOwnFile(file, serialized()).ok();
}

bool DetailCache::empty() const
{
    const std::lock_guard lock(mutex_);
    return targets_.isEmpty();
}

std::optional<DetailCache::Target> DetailCache::find(const QString &configured) const
{
    const std::lock_guard lock(mutex_);
    const auto found = targets_.constFind(configured);
    if (found == targets_.constEnd())
        return std::nullopt;
    return *found;
}

void DetailCache::put(const QString &configured, const Target &target)
{
    const std::lock_guard lock(mutex_);
    targets_.insert(configured, target);
}

QByteArray DetailCache::serialized() const
{
    const std::lock_guard lock(mutex_);
    // Icons are mostly shared: each distinct one is stored once.
    QHash<qint64, qint32> iconIndex;
    QList<QImage> icons;
    for (const Target &target : targets_) {
        if (!target.icon.isNull() && !iconIndex.contains(target.icon.cacheKey())) {
            iconIndex.insert(target.icon.cacheKey(), qint32(icons.size()));
            icons.push_back(target.icon);
        }
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kMagic << kFormat << quint32(icons.size());
    for (const QImage &icon : icons)
        writeIcon(out, icon);
    out << quint32(targets_.size());
    for (auto it = targets_.constBegin(); it != targets_.constEnd(); ++it) {
        const Target &t = it.value();
        out << it.key() << t.path << t.exists << qint64(t.size) << qint64(t.modifiedNs) << t.product
            << quint8(t.version.result) << t.version.text
            << (t.icon.isNull() ? qint32(-1) : iconIndex.value(t.icon.cacheKey()));
    }
    return bytes;
}

DetailCache DetailCache::parse(const QByteArray &bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0, format = 0, iconCount = 0;
    in >> magic >> format >> iconCount;
    if (in.status() != QDataStream::Ok || magic != kMagic || format != kFormat ||
        iconCount > kIconsMax)
        return {};
    QList<QImage> icons(iconCount);
    for (QImage &icon : icons) {
        if (!readIcon(in, icon))
            return {};
    }
    quint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok || count > kTargetsMax)
        return {};
    DetailCache cache;
    for (quint32 i = 0; i < count; ++i) {
        QString configured;
        Target t;
        qint64 size = 0, modified = 0;
        quint8 result = 0;
        qint32 icon = -1;
        in >> configured >> t.path >> t.exists >> size >> modified >> t.product >> result >>
            t.version.text >> icon;
        if (in.status() != QDataStream::Ok || result > quint8(VersionResult::NoFile) || icon < -1 ||
            icon >= qint32(icons.size()))
            return {};
        t.size = size;
        t.modifiedNs = modified;
        t.version.result = static_cast<VersionResult>(result);
        if (icon >= 0)
            t.icon = icons[icon];
        cache.targets_.insert(configured, t);
    }
    if (!in.atEnd())
        return {};
    return cache;
}

} // namespace menu::core
