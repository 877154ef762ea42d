// Fetching one file over HTTP with a GET request into a local file. Every failure is told as
// two Slovak texts: a short one that callers show in a label and a detail for its tooltip.
//
// The body streams into a new file beside the target, which replaces the target only after a
// complete response with a status from 100 to 299: any failure, and a cancel, leave an
// existing file as it was, and memory does not grow with the size of the file.
#pragma once

#include "core/CancelToken.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

namespace menu::core {

// What has arrived so far: every byte read from the connection, header included, counted in
// 32 bits (held at the top rather than wrapping), and the body's length once the response's
// "Content-Length:" line has been read (-1 until then, or without one).
struct DownloadProgress {
    std::int32_t received = 0;
    std::int32_t total = -1;
};

// Called on the downloading thread once per block received. A std::exception it raises ends
// the download as a critical error with its text; callers in other layers report through their
// own state instead of raising.
using ProgressCallback = std::function<void(const DownloadProgress &)>;

struct DownloadResult {
    bool ok = false;
    bool cancelled = false;
    QString text; // the label's text; empty on success
    QString hint; // the tooltip's detail; empty unless a critical error
};

struct DownloadOptions {
    ProgressCallback progress;
    CancelToken *cancel = nullptr; // stops the transfer at once when cancelled
    // What the file must be before it replaces the target (from a signed announcement): a file
    // of another size or hash is dropped, and the target stays as it was.
    std::optional<qint64> expectedLength;
    QString expectedSha256; // hex, either case; empty: not checked
    // How long one wait on the connection may last: connecting, or a pause in which nothing
    // arrives.
    std::chrono::milliseconds waitLimit{90000};
};

// Downloads url (host/path, http://host/path or https://host/path) into target.
DownloadResult download(const QString &url, const QString &target,
                        const DownloadOptions &options = {});

// Raised by contentLengthOf when the value of a length line is not a number.
class ContentLengthError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The body length a response header line announces: -1 unless the line contains
// "Content-Length:" (exact case) and splits at its colons into exactly two pieces; the second
// piece, without surrounding blanks, is read as a decimal number. Raises ContentLengthError
// when it is not one (or does not fit 32 bits).
std::int32_t contentLengthOf(const QString &line);

// ---- Small documents into memory ----

// A document fetched into memory: body holds it when result.ok.
struct MemoryDownload {
    DownloadResult result;
    QByteArray body;
    bool tooLarge = false; // it was, or was announced to be, longer than allowed
};

// Fetches url (as download does) into memory, for documents that are read at once: no file is
// made. Only a 200 response whose body arrived whole succeeds. A body longer than maxBytes ends
// the transfer (at once when its announced length says so). Besides options.waitLimit on each
// wait, the whole transfer may last options.waitLimit plus the time maxBytes take at 16 KB/s,
// so that a server sending a byte now and then still ends in bounded time. options.progress is
// not called; options.cancel stops the transfer at once.
MemoryDownload downloadToMemory(const QString &url, qint64 maxBytes,
                                const DownloadOptions &options = {});

} // namespace menu::core
