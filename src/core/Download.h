// Fetching one file over HTTP or HTTPS with a GET request. Every failure is told as two Slovak
// texts: a short one that callers show in a label and a detail for its tooltip.
//
// Only a whole, non-empty body of a 200 response is a file: another status, a body cut short
// (fewer bytes than its Content-Length, or a chunked body without its last chunk), an empty
// body, and a body that differs from the length and SHA-256 the caller expects, all fail. A
// transfer is bounded in size, in duration and in rate, so that a hostile or broken server
// cannot keep it going. Certificates of HTTPS servers are verified; a failed check is an error,
// never a reason to try without TLS.
#pragma once

#include "core/CancelToken.h"
#include "formats/Result.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace menu::core {

// What has arrived so far: every byte read from the connection, header included, counted in
// 32 bits (held at the top rather than wrapping), and the body's length once the response's
// "Content-Length:" line has been read (-1 until then, without one, or when it does not fit).
struct DownloadProgress {
    std::int32_t received = 0;
    std::int32_t total = -1;
};

// Called on the downloading thread once per block received. A std::exception it raises ends
// the download as a critical error with its text; callers in other layers report through their
// own state instead of raising.
using ProgressCallback = std::function<void(const DownloadProgress &)>;

// What a failed download met, told apart for callers and menu-doctor (each has its own text).
enum class FailureKind {
    None,
    Cancelled,
    NameNotResolved,      // the server's name has no address
    ServerUnreachable,    // the connection was refused, or no answer came in time
    ProxyRefused,         // the proxy could not be reached or refused the connection
    ProxyCredentials,     // the proxy wants credentials (407)
    CertificateUntrusted, // the server's TLS certificate was checked and not trusted
    SecureConnection,     // no TLS connection came about
    HttpStatus,           // an answer with a status other than 200
    Cut,                  // the answer began and ended early, went quiet, or was too slow
    Other,                // the body broke a rule, the file could not be written, ...
};

struct DownloadResult {
    bool ok = false;
    bool cancelled = false;
    QString text; // the label's text; empty on success
    QString hint; // the tooltip's detail; empty unless there is more to say than the text
    // The body was, or was announced to be, longer than DownloadOptions::maxBytes.
    bool tooLarge = false;
    // The file arrived whole but could not take the target's place: a program uses the target
    // (on this computer or another) in a way that allows no replacement. The hint says so.
    bool targetInUse = false;
    FailureKind kind = FailureKind::None;
    // The connection broke off or went quiet after the answer began: another try may go on.
    bool dropped = false;

    static DownloadResult failure(FailureKind kind, const QString &text, const QString &hint = {});
    // "Kritická chyba pri sťahovaní!", with what happened in the hint.
    static DownloadResult critical(const QString &what, FailureKind kind = FailureKind::Other);
    static DownloadResult cancelledByUser();
};

// The most a package or program download may bring. The largest files the launcher fetches are
// its own package and the remote-support program, some tens of megabytes each: 256 MB leaves
// ten times that, keeps every count far inside the gauge's 32 bits, and bounds what a hostile
// server can write into the user's temporary directory.
inline constexpr qint64 kMaxDownloadBytes = 256 * 1024 * 1024;

struct DownloadOptions {
    ProgressCallback progress;
    CancelToken *cancel = nullptr; // stops the transfer at once when cancelled
    // What the file must be (from a signed announcement): a body of another length or hash
    // fails before anything uses it. A length below one byte, or a hash that is not 64 hex
    // digits, fails before anything is fetched.
    std::optional<qint64> expectedLength;
    QString expectedSha256; // hex, either case; empty: not checked
    // How long one wait on the connection may last: connecting, or a pause in which nothing
    // arrives.
    std::chrono::milliseconds waitLimit{90000};
    // The most bytes the body may have; a longer one, or a longer Content-Length, fails at once.
    qint64 maxBytes = kMaxDownloadBytes;
    // Every rateWindow of the transfer must bring at least minRate bytes a second, header
    // included: a line slower than 2 KB/s for a whole minute, a tenth of the slowest mobile
    // data, is broken rather than slow, and a drip of bytes that keeps it open ends. 0: no
    // minimum.
    qint64 minRate = 2048;
    std::chrono::milliseconds rateWindow{60000};
    // The whole transfer may last deadline plus the time the announced length (the expected
    // one, else the Content-Length) takes at plannedRate, the slowest an office line behind a
    // proxy gives in practice (64 KB/s: 256 MB in about 70 minutes, where minRate would allow
    // 36 hours). A body without a length is bounded by deadline alone. Cancel ends it at once.
    std::chrono::milliseconds deadline{600000};
    qint64 plannedRate = 64 * 1024;
    // An empty body is a whole one (for documents, where it announces nothing).
    bool emptyBodyAllowed = false;
    // A PEM file of the authorities an HTTPS server's certificate must come from, instead of
    // the system's (an authority of the vendor's own, and the tests'); empty: the system's.
    QString certificateAuthorities;
    // download only: a connection that drops is tried again this many times, after a pause of
    // retryPause, then twice that, and so on; a cancel ends the pause at once.
    int retries = 3;
    std::chrono::milliseconds retryPause{1000};
    // download only: the user's own folder where a cut file waits for the next try, which asks
    // the server for the rest (keptDownloadsDir). Only a file of known SHA-256 is kept: only
    // that check can tell a file put together from two answers whole. Empty: nothing is kept.
    QString partialDir;
};

// Where a try goes on from what an earlier one kept: the bytes kept, and the response's
// validator (its ETag, or else its Last-Modified) that the server must still match.
struct ResumePoint {
    qint64 offset = 0;
    QByteArray validator;
};

// Where fetchInto puts the body of an accepted response, block by block.
class BodySink {
  public:
    virtual ~BodySink() = default;
    // false when the block cannot be taken; error() then says why (a Slovak text).
    virtual bool write(const char *data, qint64 length) = 0;
    virtual QString error() const = 0;
    // Before the first block: the body starts at offset of the file (0 for a whole body), and
    // the response names the file's version by validator (empty: it names none). A sink that
    // kept the first offset bytes hands them to kept first, so that the checks cover the whole
    // file; false when it cannot (error() says why).
    virtual bool begin(qint64 offset, const QByteArray &validator,
                       const std::function<bool(const char *, qint64)> &kept)
    {
        (void)validator;
        (void)kept;
        return offset == 0;
    }
};

// Fetches url (host/path, http://host/path or https://host/path) under the rules above,
// handing only the body of a 200 response to sink. ok means that the body arrived whole and
// passed every check; otherwise what sink got must not be used. With a resume point, the
// request asks for the rest of the file from from.offset if it still matches from.validator
// ("Range" with "If-Range"); the server's 206 then continues the kept bytes, its 200 starts
// the file again.
DownloadResult fetchInto(const QString &url, BodySink &sink, const DownloadOptions &options,
                         const ResumePoint &from = {});

// Downloads url into target. The body streams into a new file beside the target, which
// replaces it only when fetchInto succeeded: any failure, and a cancel, leave an existing file
// as it was, and memory does not grow with the size of the file. A dropped connection is tried
// again (options.retries); with options.partialDir, a cut file goes on where it stopped, in
// this call or a later one. A link at the target keeps
// naming its file, whose content is replaced, and a replaced file keeps its permissions. A
// target in use by a running program is moved aside where the system allows it
// (AtomicFile::Options::setAsideInUse).
DownloadResult download(const QString &url, const QString &target,
                        const DownloadOptions &options = {});

// The body length a response header line announces, for the gauge: -1 unless the line begins
// with "Content-Length:" (exact case) and splits at its colons into exactly two pieces; the second
// piece, without surrounding blanks, is read as a decimal number. When it is not one (or does
// not fit 64 bits) the failure (EBADMSG) carries the user's text as its detail. What HTTP makes
// of the line is libcurl's to read: the limits go by that.
Result<qint64> contentLengthOf(const QString &line);

// ---- Small documents into memory ----

// A document fetched into memory: body holds it when result.ok.
struct MemoryDownload {
    DownloadResult result;
    QByteArray body;
};

// Fetches url into memory, for documents that are read at once: no file is made. It is the
// same transfer as download's, with its rules and texts, under two differences: the body may be
// at most maxBytes long (result.tooLarge tells a longer one), and an empty body is a document.
// The whole transfer may last at most options.waitLimit plus the time maxBytes take at 16 KB/s
// (or options.deadline, when that is shorter).
MemoryDownload downloadToMemory(const QString &url, qint64 maxBytes,
                                const DownloadOptions &options = {});

} // namespace menu::core
