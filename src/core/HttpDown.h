// uHttpDown: fetches one file over HTTP with a GET request and writes the response body to a
// local file. Every failure is reported as two Slovak texts: a short one (EcText) that callers
// show in a label and a detail (EcHint) for that label's tooltip.
//
// The body streams into a temporary file beside the target, which replaces the target only
// after a complete response with a status from 100 to 299: any failure leaves an existing file
// as it was, and memory does not grow with the size of the file.
#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace menu::core {

// The progress monitor of THttpDown. Called on the downloading thread, once per block
// received; MaxProgress is -1 until the response's "Content-Length:" line has been read.
// It may raise an error (a std::exception), which ends the download with the critical-error
// texts.
class IHttpDownProgress {
  public:
    virtual ~IHttpDownProgress() = default;
    virtual void HttpDownProgressNotification(const QString &Text, std::int32_t CurrentProgress,
                                              std::int32_t MaxProgress) = 0;
};

// Socket events reported to the status hook. Only blocks read from the connection are
// reported by this client.
enum class TSocketReason { ReadCount };

// "ReadCount", the name that starts the text of a progress notification.
QString socketReasonName(TSocketReason reason);

// The short error text of an HTTP result code: empty for 100 to 299.
QString fHttpResultText(std::int32_t code);

// Raised by HeaderContentLength when the value of a length line is not a number.
class ContentLengthError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The body length a response header line announces: -1 unless the line contains
// "Content-Length:" (exact case) and splits at its colons into exactly two pieces; the second
// piece, without surrounding blanks, is read as a decimal number. Raises ContentLengthError
// when it is not one (or does not fit 32 bits).
std::int32_t HeaderContentLength(const QString &line);

// Plain download without progress. Returns true when LocPathFile was written; both texts are
// empty then.
bool fHttpDown(const QString &UrlPathFile, const QString &LocPathFile, QString &EcText,
               QString &EcHint);

class HttpClient;

// A download with byte-count progress. One download at a time; an object may run several
// downloads one after the other.
class THttpDown {
  public:
    THttpDown();
    ~THttpDown();
    THttpDown(const THttpDown &) = delete;
    THttpDown &operator=(const THttpDown &) = delete;

    // As fHttpDown, and reports each block received to ProgressMonitor, on this thread, from
    // inside the transfer. The monitor must outlive the download.
    bool fHttpDownProgress2(const QString &UrlPathFile, const QString &LocPathFile,
                            IHttpDownProgress &ProgressMonitor, QString &EcText, QString &EcHint);

  private:
    // Run for every socket event of the current download.
    void SocketStatusHook(const HttpClient &sender, TSocketReason reason, const QString &value);

    std::int32_t Bytes = 0;
    std::int32_t MaxBytes = -1;
    std::unique_ptr<HttpClient> HTTPSender;
    IHttpDownProgress *ProgressMonitor = nullptr;
};

namespace detail {
// How long one wait on the connection may last (connecting, or a pause in which nothing
// arrives): 90 s. Tests shorten it; not meant for anything else.
void setWaitLimitForTesting(std::chrono::milliseconds limit);
std::chrono::milliseconds waitLimit();
} // namespace detail

} // namespace menu::core
