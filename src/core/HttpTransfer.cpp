// fetchInto: one GET on libcurl under the download's rules.
#include "core/BodyCheck.h"
#include "core/Download.h"
#include "core/DownloadTexts.h"
#include "core/HttpWire.h"
#include "core/ProxySetup.h"
#include "core/TransferFailure.h"
#include "core/UpdateTexts.h"
#include "core/TransferWatch.h"

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
struct CurlListDeleter {
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

// libcurl's global state must be set up once before the first handle, and not concurrently
// with other threads creating handles: a function-local static gives both. (The C library's
// locale for its texts is set by the program's start, before any thread: see LibraryText.h.)
bool curlReady()
{
    static const bool ready = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    return ready;
}

// One request: HTTP/1.0, the launcher's user agent, the system's proxy, no redirection,
// certificates verified, and the limits of DownloadOptions.
class Transfer {
  public:
    Transfer(BodySink &sink, const DownloadOptions &options, const ResumePoint &from)
        : sink_(sink), options_(options), from_(from), check_(options),
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
    void readHeaderLine(const QByteArray &line);
    bool headerEnded();
    bool beginBody();
    QByteArray validator() const;
    bool stop(DownloadResult why);
    long status() const;
    DownloadResult verdict(CURLcode result);
    DownloadResult incomplete(CURLcode result) const;
    DownloadResult noAnswer(CURLcode result, long code) const;
    QString curlReason(CURLcode result) const { return core::curlReason(errorBuffer_, result); }

    BodySink &sink_;
    const DownloadOptions &options_;
    const ResumePoint &from_;
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
    CurlList requestHeaders_;
    // Of the latest response header: its validators and the part of the file it carries.
    QByteArray etag_;
    QByteArray lastModified_;
    QByteArray contentRange_;
    qint64 bodyOffset_ = 0;  // where the body begins in the file: past the kept bytes for a 206
    bool continues_ = false; // a 206 that goes on from the kept bytes
    bool begun_ = false;     // the sink has been told where the body begins
    Clock::time_point lastActivity_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

DownloadResult Transfer::run(const QString &address)
{
    if (auto refusal = check_.refusalBefore())
        return *refusal;
    if (!curlReady())
        return DownloadResult::critical(texts::httpNotReady());
    CurlHandle handle(curl_easy_init());
    CurlMultiHandle multi(curl_multi_init());
    if (!handle || !multi)
        return DownloadResult::critical(texts::httpNotReady());
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
    if (from_.offset > 0 && !from_.validator.isEmpty()) {
        // If-Range: the rest only of the very file the kept bytes came from, else all of it.
        curl_slist *list =
            curl_slist_append(nullptr, "Range: bytes=" + QByteArray::number(from_.offset) + '-');
        if (list != nullptr)
            list = curl_slist_append(list, "If-Range: " + from_.validator);
        requestHeaders_.reset(list);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, requestHeaders_.get());
    }
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
        return stop(DownloadResult::critical(
            texts::transferTooSlow(watch_.lastWindowBytes(),
                                   secondsText(watch_.lastWindow().count()), watch_.minRate()),
            FailureKind::Cut));
    case TransferWatch::Verdict::TooLong:
        return stop(DownloadResult::critical(
            texts::transferTooLong(secondsText(watch_.allowed().count())), FailureKind::Cut));
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
        return DownloadResult::cancelledByUser();
    }
    if (stopped_)
        return *stopped_;
    const long code = status();
    // A proxy's 407 is no answer of the server's.
    if (code == 0 || code == 407)
        return noAnswer(result, code);
    if (code != 200 && !continues_) {
        if (code >= 100 && code <= 299)
            return DownloadResult::failure(FailureKind::HttpStatus,
                                           texts::statusNotAFile(static_cast<std::int32_t>(code)));
        return DownloadResult::failure(FailureKind::HttpStatus,
                                       texts::httpResult(static_cast<std::int32_t>(std::min<long>(
                                           code, std::numeric_limits<std::int32_t>::max()))));
    }
    if (result != CURLE_OK)
        return incomplete(result);
    if (auto refusal = check_.verdict())
        return *refusal;
    if (!beginBody())
        return *stopped_;
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
    if (stalled_) {
        DownloadResult silent = DownloadResult::critical(
            texts::serverSilent(secondsText(options_.waitLimit.count())), FailureKind::Cut);
        silent.dropped = true;
        return silent;
    }
    curl_off_t received = 0;
    curl_off_t announced = -1;
    curl_easy_getinfo(curl_, CURLINFO_SIZE_DOWNLOAD_T, &received);
    curl_easy_getinfo(curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    DownloadResult cut;
    if (result == CURLE_PARTIAL_FILE && announced >= 0)
        cut = DownloadResult::critical(
            texts::connectionEndedEarly(bodyOffset_ + received, bodyOffset_ + announced),
            FailureKind::Cut);
    else if (result == CURLE_PARTIAL_FILE)
        cut = DownloadResult::critical(texts::connectionEndedEarly(curlReason(result)),
                                       FailureKind::Cut);
    else if (result == CURLE_RECV_ERROR || result == CURLE_SEND_ERROR ||
             result == CURLE_OPERATION_TIMEDOUT)
        // A connection reset or broken in the body is cut too; what libcurl refuses in the
        // answer (an unreadable length, ...) is not.
        cut = DownloadResult::critical(texts::transferFailed(curlReason(result)), FailureKind::Cut);
    else
        return DownloadResult::critical(texts::transferFailed(curlReason(result)));
    cut.dropped = true;
    return cut;
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
        const Status learnt =
            headerLine != nullptr ? learnLength(progress_, *headerLine) : Status();
        return learnt.ok() || stop(DownloadResult::critical(learnt.failure().detail));
    } catch (const std::exception &error) {
        return stop(DownloadResult::critical(QString::fromUtf8(error.what())));
    } catch (...) {
        foreign_ = std::current_exception();
    }
    return stop(DownloadResult::critical(QString()));
}

void Transfer::readHeaderLine(const QByteArray &line)
{
    // A new status line begins a new response (after a proxy's or an interim one).
    if (line.startsWith("HTTP/")) {
        etag_.clear();
        lastModified_.clear();
        contentRange_.clear();
    } else if (auto etag = headerValue(line, "ETag")) {
        etag_ = *etag;
    } else if (auto modified = headerValue(line, "Last-Modified")) {
        lastModified_ = *modified;
    } else if (auto range = headerValue(line, "Content-Range")) {
        contentRange_ = *range;
    }
}

// What names this version of the file for If-Range: a strong ETag, else the modification time.
QByteArray Transfer::validator() const
{
    return !etag_.isEmpty() && !etag_.startsWith("W/") ? etag_ : lastModified_;
}

// The header of the response has ended, before its body: the length it announces for a file
// is judged now, so that a body that could not be taken is not waited for.
bool Transfer::headerEnded()
{
    const long code = status();
    if (code == 206 && from_.offset > 0) {
        // Only the rest from exactly the kept bytes on continues them.
        if (rangeStart(contentRange_) != from_.offset)
            return stop(DownloadResult::critical(texts::rangeNotContinued(from_.offset)));
        continues_ = true;
        bodyOffset_ = from_.offset;
    } else if (code != 200) {
        return true;
    }
    curl_off_t announced = -1;
    if (curl_easy_getinfo(curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) != CURLE_OK ||
        announced < 0)
        return true;
    if (auto refusal = check_.judgeAnnounced(bodyOffset_ + announced))
        return stop(std::move(*refusal));
    if (!options_.expectedLength)
        watch_.setAnnouncedLength(announced);
    if (continues_) {
        // The gauge shows the whole file, kept bytes included.
        countBlock(progress_, static_cast<std::size_t>(bodyOffset_));
        progress_.total = static_cast<std::int32_t>(
            std::min<qint64>(bodyOffset_ + announced, std::numeric_limits<std::int32_t>::max()));
    }
    return true;
}

// Tells the sink where the body begins, once, and runs the kept bytes through the checks.
bool Transfer::beginBody()
{
    if (begun_)
        return !stopped_;
    begun_ = true;
    std::optional<DownloadResult> refusal;
    const bool begun = sink_.begin(bodyOffset_, validator(), [&](const char *data, qint64 length) {
        refusal = check_.add(data, length);
        return !refusal;
    });
    if (refusal)
        return stop(std::move(*refusal));
    if (!begun)
        return stop(DownloadResult::critical(sink_.error()));
    return true;
}

size_t Transfer::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *transfer = static_cast<Transfer *>(self);
    const size_t length = size * count;
    transfer->headerBytes_ += static_cast<qint64>(length);
    if (transfer->headerBytes_ > kMaxHeaderBytes) {
        transfer->stop(DownloadResult::critical(texts::headerTooLong(kMaxHeaderBytes)));
        return 0;
    }
    QByteArray line(data, static_cast<qsizetype>(length));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const QString text = QString::fromLatin1(line);
    if (!transfer->arrived(length, &text))
        return 0;
    transfer->readHeaderLine(line);
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
    // Only the body of a 200 is a file, or of a 206 that goes on from the kept bytes. Any
    // other is not read on: its status says enough.
    if (transfer->status() != 200 && !transfer->continues_)
        return 0;
    if (!transfer->beginBody())
        return 0;
    if (auto refusal = transfer->check_.add(data, static_cast<qint64>(length))) {
        transfer->stop(std::move(*refusal));
        return 0;
    }
    if (!transfer->sink_.write(data, static_cast<qint64>(length))) {
        transfer->stop(DownloadResult::critical(transfer->sink_.error()));
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

DownloadResult fetchInto(const QString &url, BodySink &sink, const DownloadOptions &options,
                         const ResumePoint &from)
{
    Transfer transfer(sink, options, from);
    return transfer.run(url);
}

} // namespace menu::core
