// The parts of the file functions both systems share.
#include "platform/FileReading.h"

#include <cerrno>

namespace menu::platform {

Result<StampedContent> readToEnd(const ReadCall &read, const FileStamp &stamp, qint64 maxBytes,
                                 const QString &path)
{
    if (stamp.size > maxBytes)
        return Failure::errnoValue(EFBIG, path);
    StampedContent content;
    content.stamp = stamp;
    content.bytes.reserve(static_cast<qsizetype>(stamp.size));
    char buffer[65536];
    for (;;) {
        const Result<qint64> got = read(buffer, sizeof buffer);
        if (!got.ok())
            return got.failure();
        if (*got == 0)
            break;
        if (content.bytes.size() + *got > maxBytes)
            return Failure::errnoValue(EFBIG, path);
        content.bytes.append(buffer, static_cast<qsizetype>(*got));
        if (*got < qint64{sizeof buffer} && content.bytes.size() >= stamp.size)
            break;
    }
    return content;
}

Result<QByteArray> readWholeFile(const QString &path, qint64 maxBytes)
{
    Result<StampedContent> content = readStampedFile(path, maxBytes);
    if (!content.ok())
        return content.failure();
    return std::move(content->bytes);
}

} // namespace menu::platform
