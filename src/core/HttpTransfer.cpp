// fetchInto: one GET on libcurl under the download's rules.
#include "core/BodyCheck.h"
#include "core/Download.h"
#include "core/DownloadTexts.h"
#include "core/ProxySetup.h"
#include "core/Texts.h"
#include "core/TransferFailure.h"
#include "core/UpdateTexts.h"
#include "core/TransferWatch.h"
#include "platform/LibraryText.h"

#include <QByteArray>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <curl/curl.h>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

namespace menu::core {

namespace {

using Clock = std::chrono::steady_clock;

const char kUserAgent[] = "Mozilla/4.0 (compatible; ORVAN)";
// A real server's header is a few hundred bytes; far more is a server that means harm.
constexpr qint64 kMaxHeaderBytes = 64 * 1024;

struct CurlDeleter {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
struct CurlMultiDeleter {
    void operator()(CURLM *handle) const { curl_multi_cleanup(handle); }
};
using CurlMultiHandle = std::unique_ptr<CURLM, CurlMultiDeleter>;

// libcurl's global state must be set up once before the first handle, and not concurrently
// with other threads creating handles: a function-local static gives both. (The C library's
// locale for its texts is set by the program's start, before any thread: see LibraryText.h.)
bool curlReady()
{
    static const bool ready = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    return ready;
}

// Addresses are written as host and path; a scheme in front is kept (libcurl refuses any but
// http and https). Blanks, control characters and non-ASCII letters are percent-encoded, as
// the wire form of an address must not hold them.
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

DownloadResult withText(FailureKind kind, const QString &text, const QString &hint = {})
{
    DownloadResult result;
    result.kind = kind;
    result.text = text;
    result.hint = hint;
    return result;
}

DownloadResult critical(const QString &detail, FailureKind kind = FailureKind::Other)
{
    return withText(kind, texts::downloadCritical(), texts::downloadCriticalHint(detail));
}

// The body's progress for the gauge: counts every block, learns the length from its line.
void countBlock(DownloadProgress &progress, std::size_t length)
{
    const long long sum =
        static_cast<long long>(progress.received) + static_cast<long long>(length);
    progress.received = static_cast<std::int32_t>(
        std::min<long long>(sum, std::numeric_limits<std::int32_t>::max()));
}

void learnLength(DownloadProgress &progress, const QString &line)
{
    // Each line is looked at once, when it arrives: a long header costs no more than its length.
    if (progress.total != -1)
        return;
    const qint64 length = contentLengthOf(line);
    // A size below nothing is no size: the gauge could not show it.
    if (length < -1)
        throw ContentLengthError(texts::badFileSize(length).toStdString());
    // One beyond the gauge is refused once the header has ended.
    if (length <= std::numeric_limits<std::int32_t>::max())
        progress.total = static_cast<std::int32_t>(length);
}

// One request: HTTP/1.0, the launcher's user agent, the system's proxy, no redirection,
// certificates verified, and the limits of DownloadOptions.
class Transfer {
  public:
    Transfer(BodySink &sink, const DownloadOptions &options)
        : sink_(sink), options_(options), check_(options),
          watch_(options.minRate, options.rateWindow, options.deadline, Clock::now(),
                 options.plannedRate)
    {
        if (options.expectedLength)
            watch_.setAnnouncedLength(*options.expectedLength);
    }

    DownloadResult run(const QString &address);

  private:
    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    static int onConnected(void *self, char *, char *, int, int);
    static int onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    // Everything set on the handle before the transfer, in one place.
    void configureHandle(CURL *h, const QByteArray &url);
    CURLcode perform(CURLM *multi, CURL *easy);
    bool keepsGoing();
    bool arrived(size_t length, const QString *headerLine);
    bool headerEnded();
    bool stop(DownloadResult why);
    long status() const;
    DownloadResult verdict(CURLcode result);
    DownloadResult incomplete(CURLcode result) const;
    DownloadResult noAnswer(CURLcode result, long code) const;
    QString curlReason(CURLcode result) const { return core::curlReason(errorBuffer_, result); }

    BodySink &sink_;
    const DownloadOptions &options_;
    BodyCheck check_;
    TransferWatch watch_;
    DownloadProgress progress_;
    qint64 received_ = 0; // every byte, header included
    qint64 headerBytes_ = 0;
    std::optional<DownloadResult> stopped_;
    std::exception_ptr foreign_;
    CURL *curl_ = nullptr;
    bool connected_ = false;
    bool stalled_ = false;
    bool cancelled_ = false;
    bool viaProxy_ = false; // the handle was given a proxy
    QByteArray url_;
    Clock::time_point lastActivity_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

DownloadResult Transfer::run(const QString &address)
{
    if (auto refusal = check_.refusalBefore())
        return *refusal;
    if (!curlReady())
        return critical(texts::httpNotReady());
    CurlHandle handle(curl_easy_init());
    CurlMultiHandle multi(curl_multi_init());
    if (!handle || !multi)
        return critical(texts::httpNotReady());
    curl_ = handle.get();
    url_ = requestUrl(address);
    configureHandle(handle.get(), url_);
    const CURLcode result = perform(multi.get(), handle.get());
    DownloadResult outcome = verdict(result);
    curl_ = nullptr;
    if (foreign_)
        std::rethrow_exception(std::exchange(foreign_, nullptr));
    return outcome;
}

void Transfer::configureHandle(CURL *h, const QByteArray &url)
{
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_0});
    curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
    viaProxy_ = useProxy(h, url);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // Stated although they are libcurl's defaults: an update comes only from the server the
    // certificate names.
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    // Windows: a revocation server that an office firewall blocks does not fail the transfer,
    // a revoked certificate still does (other TLS libraries ignore the flag). The real trust
    // is the announcement's signature.
    curl_easy_setopt(h, CURLOPT_SSL_OPTIONS, long{CURLSSLOPT_REVOKE_BEST_EFFORT});
    if (!options_.certificateAuthorities.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, options_.certificateAuthorities.toLocal8Bit().data());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.waitLimit.count()));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &Transfer::onConnected);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
}

// Runs the transfer in a multi handle, whose wait a cancel interrupts at once (the progress
// callback then ends the transfer), and which wakes in time for the watch's next judgement.
CURLcode Transfer::perform(CURLM *multi, CURL *easy)
{
    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return CURLE_OUT_OF_MEMORY;
    std::optional<CancelToken::WakerGuard> waker;
    if (options_.cancel != nullptr)
        waker.emplace(*options_.cancel, [multi] { curl_multi_wakeup(multi); });
    CURLcode result = CURLE_OK;
    for (int running = 1; running > 0;) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE)
                result = message->data.result;
        }
        if (running == 0 || !keepsGoing())
            break;
        const auto untilCheck =
            std::chrono::ceil<std::chrono::milliseconds>(watch_.nextCheck() - Clock::now());
        const int wait = static_cast<int>(std::clamp<long long>(untilCheck.count(), 1, 1000));
        if (curl_multi_poll(multi, nullptr, 0, wait, nullptr) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

// The watch's judgement between two rounds of the transfer.
bool Transfer::keepsGoing()
{
    if (stopped_)
        return false;
    switch (watch_.check(Clock::now(), received_)) {
    case TransferWatch::Verdict::Going:
        return true;
    case TransferWatch::Verdict::TooSlow:
        return stop(critical(texts::transferTooSlow(watch_.lastWindowBytes(),
                                                    secondsText(watch_.lastWindow().count()),
                                                    watch_.minRate()),
                             FailureKind::Cut));
    case TransferWatch::Verdict::TooLong:
        return stop(critical(texts::transferTooLong(secondsText(watch_.allowed().count())),
                             FailureKind::Cut));
    }
    return true;
}

bool Transfer::stop(DownloadResult why)
{
    if (!stopped_)
        stopped_ = std::move(why);
    return false;
}

long Transfer::status() const
{
    long code = 0;
    if (curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK)
        return 0;
    return code;
}

// What the transfer comes to, first match wins: the user's cancel, a stop by the rules, no
// response at all, a status other than 200, a body cut short, the checks of the body.
DownloadResult Transfer::verdict(CURLcode result)
{
    if (cancelled_) {
        DownloadResult outcome = withText(FailureKind::Cancelled, texts::downloadCancelled());
        outcome.cancelled = true;
        return outcome;
    }
    if (stopped_)
        return *stopped_;
    const long code = status();
    // A proxy's 407 is no answer of the server's.
    if (code == 0 || code == 407)
        return noAnswer(result, code);
    if (code != 200) {
        if (code >= 100 && code <= 299)
            return withText(FailureKind::HttpStatus,
                            texts::statusNotAFile(static_cast<std::int32_t>(code)));
        return withText(FailureKind::HttpStatus,
                        texts::httpResult(static_cast<std::int32_t>(
                            std::min<long>(code, std::numeric_limits<std::int32_t>::max()))));
    }
    if (result != CURLE_OK)
        return incomplete(result);
    if (auto refusal = check_.verdict())
        return *refusal;
    DownloadResult ok;
    ok.ok = true;
    return ok;
}

DownloadResult Transfer::noAnswer(CURLcode result, long code) const
{
    NoAnswer answer;
    answer.result = result;
    answer.status = code;
    curl_easy_getinfo(curl_, CURLINFO_HTTP_CONNECTCODE, &answer.connectStatus);
    answer.viaProxy = viaProxy_;
    answer.host = QUrl(QString::fromLatin1(url_)).host();
    // A connection on which the request went out and nothing came back in time.
    answer.reason = stalled_ ? texts::serverSilent(secondsText(options_.waitLimit.count()))
                             : curlReason(result);
    return failureOf(answer);
}

DownloadResult Transfer::incomplete(CURLcode result) const
{
    if (stalled_)
        return critical(texts::serverSilent(secondsText(options_.waitLimit.count())),
                        FailureKind::Cut);
    curl_off_t received = 0;
    curl_off_t announced = -1;
    curl_easy_getinfo(curl_, CURLINFO_SIZE_DOWNLOAD_T, &received);
    curl_easy_getinfo(curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (result == CURLE_PARTIAL_FILE && announced >= 0)
        return critical(texts::connectionEndedEarly(received, announced), FailureKind::Cut);
    if (result == CURLE_PARTIAL_FILE)
        return critical(texts::connectionEndedEarly(curlReason(result)), FailureKind::Cut);
    // A connection reset or broken in the body is cut too; what libcurl refuses in the answer
    // (an unreadable length, ...) is not.
    const bool cut = result == CURLE_RECV_ERROR || result == CURLE_SEND_ERROR ||
                     result == CURLE_OPERATION_TIMEDOUT;
    return critical(texts::transferFailed(curlReason(result)),
                    cut ? FailureKind::Cut : FailureKind::Other);
}

// Every block read, header or body, before it is taken apart: counted, reported, and for a
// header line, read for the gauge's length. false ends the transfer.
bool Transfer::arrived(size_t length, const QString *headerLine)
{
    lastActivity_ = Clock::now();
    received_ += static_cast<qint64>(length);
    try {
        countBlock(progress_, length);
        if (options_.progress)
            options_.progress(progress_);
        if (headerLine != nullptr)
            learnLength(progress_, *headerLine);
        return true;
    } catch (const std::exception &error) {
        return stop(critical(QString::fromUtf8(error.what())));
    } catch (...) {
        foreign_ = std::current_exception();
    }
    return stop(critical(QString()));
}

// The header of the response has ended, before its body: the length it announces for a file
// is judged now, so that a body that could not be taken is not waited for.
bool Transfer::headerEnded()
{
    if (status() != 200)
        return true;
    curl_off_t announced = -1;
    if (curl_easy_getinfo(curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) != CURLE_OK ||
        announced < 0)
        return true;
    if (auto refusal = check_.judgeAnnounced(announced))
        return stop(std::move(*refusal));
    if (!options_.expectedLength)
        watch_.setAnnouncedLength(announced);
    return true;
}

size_t Transfer::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *transfer = static_cast<Transfer *>(self);
    const size_t length = size * count;
    transfer->headerBytes_ += static_cast<qint64>(length);
    if (transfer->headerBytes_ > kMaxHeaderBytes) {
        transfer->stop(critical(texts::headerTooLong(kMaxHeaderBytes)));
        return 0;
    }
    QByteArray line(data, static_cast<qsizetype>(length));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const QString text = QString::fromLatin1(line);
    if (!transfer->arrived(length, &text))
        return 0;
    if (line.isEmpty() && !transfer->headerEnded())
        return 0;
    return length;
}

size_t Transfer::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *transfer = static_cast<Transfer *>(self);
    const size_t length = size * count;
    if (!transfer->arrived(length, nullptr))
        return 0;
    // Only the body of a 200 is a file. Any other is not read on: its status says enough.
    if (transfer->status() != 200)
        return 0;
    if (auto refusal = transfer->check_.add(data, static_cast<qint64>(length))) {
        transfer->stop(std::move(*refusal));
        return 0;
    }
    if (!transfer->sink_.write(data, static_cast<qint64>(length))) {
        transfer->stop(critical(transfer->sink_.error()));
        return 0;
    }
    return length;
}

// Called once the connection stands (TLS included), right before the request goes out: from
// here on, the wait limit applies to each pause in which nothing arrives, and the rate counts.
int Transfer::onConnected(void *self, char *, char *, int, int)
{
    auto *transfer = static_cast<Transfer *>(self);
    transfer->connected_ = true;
    transfer->lastActivity_ = Clock::now();
    transfer->watch_.startRate(transfer->lastActivity_, transfer->received_);
    return CURL_PREREQFUNC_OK;
}

// libcurl calls this about once a second even while nothing arrives: the place to end a
// connection on which the server has gone quiet. Connecting has its own limit.
int Transfer::onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *transfer = static_cast<Transfer *>(self);
    if (transfer->options_.cancel != nullptr && transfer->options_.cancel->cancelled()) {
        transfer->cancelled_ = true;
        return 1;
    }
    if (transfer->connected_ &&
        Clock::now() - transfer->lastActivity_ > transfer->options_.waitLimit) {
        transfer->stalled_ = true;
        return 1;
    }
    return 0;
}

} // namespace

DownloadResult fetchInto(const QString &url, BodySink &sink, const DownloadOptions &options)
{
    Transfer transfer(sink, options);
    return transfer.run(url);
}

} // namespace menu::core
