// What both systems share of reading a whole file: the loop around their own read call.
#pragma once

#include "platform/Files.h"

#include <functional>

namespace menu::platform {

// One read of at most size bytes into buffer: how many came (0 at the end), or why none did.
using ReadCall = std::function<Result<qint64>(char *buffer, qint64 size)>;

// Reads to the end a file whose stamp was taken when it was opened; more than maxBytes gives
// EFBIG. A short read that reaches the stamp's size is the end: asking once more only to learn
// so costs a round trip on a network drive.
Result<StampedContent> readToEnd(const ReadCall &read, const FileStamp &stamp, qint64 maxBytes,
                                 const QString &path);

} // namespace menu::platform
