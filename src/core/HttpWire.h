// What the transfer writes and reads on the wire: the request's address, and the lines of the
// response's header that it reads for itself.
#pragma once

#include "core/Download.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>

namespace menu::core {

// Addresses are written as host and path; a scheme in front is kept (libcurl refuses any but
// http and https). Blanks, control characters and non-ASCII letters are percent-encoded, as
// the wire form of an address must not hold them.
QByteArray requestUrl(const QString &address);

// Milliseconds as seconds for a text: "90", "0.1".
QString secondsText(long long ms);

// The gauge's progress: counts every block (held at the 32-bit top), learns the length from
// its line; a length that is no size is a failure whose detail is the user's text.
void countBlock(DownloadProgress &progress, std::size_t length);
Status learnLength(DownloadProgress &progress, const QString &line);

// The value of a header line whose name is name (any case), without surrounding blanks;
// nothing when the line has another name.
std::optional<QByteArray> headerValue(const QByteArray &line, const char *name);

// The first byte of the part a 206 answer carries: "bytes FIRST-LAST/LENGTH".
std::optional<qint64> rangeStart(const QByteArray &contentRange);

} // namespace menu::core
