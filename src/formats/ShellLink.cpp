#include "formats/ShellLink.h"

#include "formats/LittleEndian.h"
#include "formats/TextCodec.h"

#include <algorithm>
#include <array>
#include <limits>

namespace menu::formats {

namespace {

// Shell link object {00021401-0000-0000-C000-000000000046} in its on-disk byte order.
constexpr std::array<quint8, 16> kLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

constexpr quint32 kHeaderSize = 0x4C;
constexpr quint32 kLinkInfoHeaderSize = 0x24; // with the Unicode path offsets
constexpr quint32 kVolumeIdSize = 0x11;       // fixed part and an empty label

enum LinkFlag : quint32 {
    HasLinkInfo = 0x00000002,
    HasName = 0x00000004,
    HasWorkingDir = 0x00000010,
    HasArguments = 0x00000020,
    HasIconLocation = 0x00000040,
    IsUnicode = 0x00000080,
};

constexpr quint32 kVolumeIdAndLocalBasePath = 0x1;
constexpr quint32 kDriveFixed = 3;
constexpr quint32 kShowNormal = 1;

void putUtf16(QByteArray &out, const QString &text)
{
    for (const QChar c : text)
        le::put16(out, c.unicode());
}

// 100-nanosecond intervals since 1601-01-01 UTC; 0 for no time.
quint64 fileTime(const QDateTime &time)
{
    constexpr qint64 kEpochDifferenceMs = 11644473600000LL; // 1601 to 1970
    if (!time.isValid())
        return 0;
    const qint64 ms = time.toMSecsSinceEpoch() + kEpochDifferenceMs;
    return ms < 0 ? 0 : static_cast<quint64>(ms) * 10000u;
}

Failure failure(const QString &reason)
{
    return Failure::of(std::errc::invalid_argument, {}, reason);
}

QByteArray linkInfo(const QString &target)
{
    // Characters the code page lacks become '?', as the system's own conversion writes them;
    // the UTF-16 copy beside it keeps them.
    const QByteArray ansi = encodeCodePage(CodePage::Windows1250, target, '?');
    QByteArray info(static_cast<qsizetype>(kLinkInfoHeaderSize), '\0');

    const auto volumeIdOffset = static_cast<quint32>(info.size());
    le::put32(info, kVolumeIdSize);
    le::put32(info, kDriveFixed);
    le::put32(info, 0);    // serial number: unknown
    le::put32(info, 0x10); // label right after these four fields
    info.append('\0');     // empty label

    const auto localBasePathOffset = static_cast<quint32>(info.size());
    info.append(ansi);
    info.append('\0');
    const auto commonPathSuffixOffset = static_cast<quint32>(info.size());
    info.append('\0');

    if (info.size() % 2 != 0)
        info.append('\0');
    const auto localBasePathOffsetUnicode = static_cast<quint32>(info.size());
    putUtf16(info, target);
    le::put16(info, 0);
    const auto commonPathSuffixOffsetUnicode = static_cast<quint32>(info.size());
    le::put16(info, 0);

    le::set32(info, 0, static_cast<quint32>(info.size()));
    le::set32(info, 4, kLinkInfoHeaderSize);
    le::set32(info, 8, kVolumeIdAndLocalBasePath);
    le::set32(info, 12, volumeIdOffset);
    le::set32(info, 16, localBasePathOffset);
    le::set32(info, 20, 0); // no network location
    le::set32(info, 24, commonPathSuffixOffset);
    le::set32(info, 28, localBasePathOffsetUnicode);
    le::set32(info, 32, commonPathSuffixOffsetUnicode);
    return info;
}

} // namespace

Result<QByteArray> shellLinkEncode(const ShellLinkData &link)
{
    if (link.target.isEmpty())
        return failure(QStringLiteral("the link has no target"));

    struct Text {
        quint32 flag;
        const QString &value;
        const char *what;
    };
    // The format's order of the strings.
    const Text texts[] = {
        {HasName, link.description, "description"},
        {HasWorkingDir, link.workingDir, "working directory"},
        {HasArguments, link.arguments, "arguments"},
        {HasIconLocation, link.iconLocation, "icon location"},
    };
    // A null character would cut the text short for every reader.
    const QChar null(u'\0');
    if (link.target.contains(null))
        return failure(QStringLiteral("the target contains a null character"));

    quint32 flags = HasLinkInfo | IsUnicode;
    QByteArray strings;
    for (const Text &text : texts) {
        if (text.value.isEmpty())
            continue;
        if (text.value.size() > std::numeric_limits<quint16>::max())
            return failure(QStringLiteral("the %1 is too long").arg(QLatin1String(text.what)));
        if (text.value.contains(null))
            return failure(
                QStringLiteral("the %1 contains a null character").arg(QLatin1String(text.what)));
        flags |= text.flag;
        le::put16(strings, static_cast<quint16>(text.value.size()));
        putUtf16(strings, text.value);
    }

    QByteArray out;
    le::put32(out, kHeaderSize);
    for (const quint8 byte : kLinkClsid)
        out.append(static_cast<char>(byte));
    le::put32(out, flags);
    le::put32(out, link.fileAttributes);
    le::put64(out, fileTime(link.created));
    le::put64(out, fileTime(link.accessed));
    le::put64(out, fileTime(link.written));
    le::put32(out, link.fileSize);
    le::put32(out, static_cast<quint32>(link.iconIndex));
    le::put32(out, kShowNormal);
    le::put16(out, 0); // no hot key
    le::put16(out, 0); // reserved
    le::put32(out, 0);
    le::put32(out, 0);

    out.append(linkInfo(link.target));
    out.append(strings);
    le::put32(out, 0); // terminal block: no extra data
    return out;
}

} // namespace menu::formats
