#include "core/HttpWire.h"

#include "core/UpdateTexts.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace menu::core {

QByteArray requestUrl(const QString &address)
{
    int i = 0;
    while (i < address.size() && (address.at(i).isLetterOrNumber() || address.at(i) == u'+' ||
                                  address.at(i) == u'-' || address.at(i) == u'.'))
        ++i;
    const bool hasScheme = i > 0 && address.at(0).isLetter() && address.mid(i, 3) == u"://";
    const QByteArray utf8 = (hasScheme ? address : QStringLiteral("http://") + address).toUtf8();
    QByteArray url;
    url.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f) {
            url += '%';
            url += QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        } else {
            url += c;
        }
    }
    return url;
}

QString secondsText(long long ms)
{
    return ms % 1000 == 0 ? QString::number(ms / 1000) : QString::number(double(ms) / 1000.0);
}

void countBlock(DownloadProgress &progress, std::size_t length)
{
    const long long sum =
        static_cast<long long>(progress.received) + static_cast<long long>(length);
    progress.received = static_cast<std::int32_t>(
        std::min<long long>(sum, std::numeric_limits<std::int32_t>::max()));
}

Status learnLength(DownloadProgress &progress, const QString &line)
{
    // Each line is looked at once, when it arrives: a long header costs no more than its length.
    if (progress.total != -1)
        return {};
    const Result<qint64> length = contentLengthOf(line);
    if (!length.ok())
        return length.failure();
    // A size below nothing is no size: the gauge could not show it.
    if (*length < -1)
        return Failure::of(std::errc::bad_message, {}, texts::badFileSize(*length));
    // One beyond the gauge is refused once the header has ended.
    if (*length <= std::numeric_limits<std::int32_t>::max())
        progress.total = static_cast<std::int32_t>(*length);
    return {};
}

std::optional<QByteArray> headerValue(const QByteArray &line, const char *name)
{
    const auto length = static_cast<qsizetype>(qstrlen(name));
    if (line.size() <= length || line.at(length) != ':' ||
        qstrnicmp(line.constData(), name, length) != 0)
        return std::nullopt;
    return line.mid(length + 1).trimmed();
}

std::optional<qint64> rangeStart(const QByteArray &contentRange)
{
    if (!contentRange.startsWith("bytes "))
        return std::nullopt;
    const QByteArray range = contentRange.mid(6);
    const qsizetype dash = range.indexOf('-');
    bool ok = false;
    const qint64 first = range.left(dash).toLongLong(&ok);
    return ok && dash > 0 && first >= 0 ? std::optional(first) : std::nullopt;
}

} // namespace menu::core
