// Small documents (the update announcement and its signature) fetched into memory. The request
// is the one the file downloads send: HTTP/1.0, the launcher's user agent, the system's
// proxy, no redirection.
#include "core/Download.h"
#include "core/ProxySetup.h"

#include "core/Texts.h"
#include "core/TrustTexts.h"
#include "core/UpdateTexts.h"

#include <curl/curl.h>

#include <memory>
#include <optional>

namespace menu::core {

namespace {

const char kUserAgent[] = "Mozilla/4.0 (compatible; ORVAN)";
// The slowest average pace a whole document may arrive at: an announcement of today's few
// hundred bytes takes no time at all, and the largest allowed (1 MB) a minute over a slow line.
constexpr qint64 kMinimumBytesPerSecond = 16 * 1024;

// libcurl's global state, set up once (thread-safe in the libcurl the launcher is built with).
bool curlReady()
{
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

struct EasyDeleter {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter {
    void operator()(CURLM *handle) const { curl_multi_cleanup(handle); }
};

class MemoryTransfer {
  public:
    MemoryTransfer(qint64 maxBytes, const DownloadOptions &options)
        : maxBytes_(maxBytes), options_(options)
    {
    }

    MemoryDownload run(const QString &url);

  private:
    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    static int onConnected(void *self, char *, char *, int, int);
    static int onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    void configure(const QByteArray &url);
    CURLcode perform();
    long status() const;
    QString failureOf(CURLcode result) const;

    qint64 maxBytes_;
    const DownloadOptions &options_;
    CURL *easy_ = nullptr;
    QByteArray body_;
    bool tooLarge_ = false;
    bool cancelled_ = false;
    bool connected_ = false;
    bool stalled_ = false;
    std::chrono::steady_clock::time_point lastActivity_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

void MemoryTransfer::configure(const QByteArray &url)
{
    const long waitMs = static_cast<long>(options_.waitLimit.count());
    const long wholeMs = waitMs + static_cast<long>(maxBytes_ * 1000 / kMinimumBytesPerSecond);
    CURL *h = easy_;
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_DEFAULT_PROTOCOL, "http");
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_0});
    curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
    useProxy(h, url);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, waitMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, wholeMs);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes_));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &MemoryTransfer::onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &MemoryTransfer::onConnected);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &MemoryTransfer::onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &MemoryTransfer::onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
}

// As the file downloads do: a multi handle whose wait a cancel interrupts at once.
CURLcode MemoryTransfer::perform()
{
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy_) != CURLM_OK)
        return CURLE_OUT_OF_MEMORY;
    std::optional<CancelToken::WakerGuard> waker;
    if (options_.cancel != nullptr)
        waker.emplace(*options_.cancel, [m = multi.get()] { curl_multi_wakeup(m); });
    CURLcode result = CURLE_OK;
    for (int running = 1; running > 0;) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi.get(), &left)) {
            if (message->msg == CURLMSG_DONE)
                result = message->data.result;
        }
        if (running > 0 && curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
    }
    curl_multi_remove_handle(multi.get(), easy_);
    return result;
}

long MemoryTransfer::status() const
{
    long code = 0;
    return curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK ? code : 0;
}

size_t MemoryTransfer::onHeader(char *, size_t size, size_t count, void *self)
{
    static_cast<MemoryTransfer *>(self)->lastActivity_ = std::chrono::steady_clock::now();
    return size * count;
}

// From here on the wait limit applies to each pause in which nothing arrives.
int MemoryTransfer::onConnected(void *self, char *, char *, int, int)
{
    auto *transfer = static_cast<MemoryTransfer *>(self);
    transfer->connected_ = true;
    transfer->lastActivity_ = std::chrono::steady_clock::now();
    return CURL_PREREQFUNC_OK;
}

size_t MemoryTransfer::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *transfer = static_cast<MemoryTransfer *>(self);
    const size_t length = size * count;
    transfer->lastActivity_ = std::chrono::steady_clock::now();
    // Another answer's body is not wanted: the status says enough.
    if (transfer->status() != 200)
        return 0;
    if (transfer->body_.size() + static_cast<qint64>(length) > transfer->maxBytes_) {
        transfer->tooLarge_ = true;
        return 0;
    }
    transfer->body_.append(data, static_cast<qsizetype>(length));
    return length;
}

int MemoryTransfer::onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *transfer = static_cast<MemoryTransfer *>(self);
    const auto now = std::chrono::steady_clock::now();
    if (transfer->options_.cancel != nullptr && transfer->options_.cancel->cancelled()) {
        transfer->cancelled_ = true;
        return 1;
    }
    if (transfer->connected_ && now - transfer->lastActivity_ > transfer->options_.waitLimit) {
        transfer->stalled_ = true;
        return 1;
    }
    return 0;
}

// Why a transfer whose response said 200 did not succeed.
QString MemoryTransfer::failureOf(CURLcode result) const
{
    if (tooLarge_ || result == CURLE_FILESIZE_EXCEEDED)
        return texts::downloadTooLarge(maxBytes_);
    if (stalled_) {
        const auto ms = options_.waitLimit.count();
        return texts::serverSilent(ms % 1000 == 0 ? QString::number(ms / 1000)
                                                  : QString::number(double(ms) / 1000.0));
    }
    curl_off_t received = 0;
    curl_off_t announced = -1;
    curl_easy_getinfo(easy_, CURLINFO_SIZE_DOWNLOAD_T, &received);
    curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (result == CURLE_PARTIAL_FILE && announced >= 0)
        return texts::connectionEndedEarly(received, announced);
    const QString reason = errorBuffer_[0] != '\0' ? QString::fromUtf8(errorBuffer_)
                                                   : QString::fromUtf8(curl_easy_strerror(result));
    if (result == CURLE_OPERATION_TIMEDOUT)
        return texts::downloadTookTooLong(reason);
    if (result == CURLE_PARTIAL_FILE)
        return texts::connectionEndedEarly(reason);
    return texts::transferFailed(reason);
}

MemoryDownload MemoryTransfer::run(const QString &url)
{
    MemoryDownload out;
    const std::unique_ptr<CURL, EasyDeleter> easy(curlReady() ? curl_easy_init() : nullptr);
    if (!easy) {
        out.result.text = texts::downloadCritical();
        out.result.hint = texts::downloadCriticalHint(texts::httpNotReady());
        return out;
    }
    easy_ = easy.get();
    configure(url.toUtf8());
    const CURLcode result = perform();
    const long code = status();
    out.tooLarge = tooLarge_ || result == CURLE_FILESIZE_EXCEEDED;
    if (cancelled_) {
        out.result.cancelled = true;
        out.result.text = texts::downloadCancelled();
    } else if (auto refusal = proxyFailure(easy_, result)) {
        out.result = *refusal;
    } else if (code != 200) {
        // No answer at all is told as the file downloads tell it.
        const QString text = texts::httpResult(static_cast<std::int32_t>(code == 0 ? 500 : code));
        out.result.text = text.isEmpty() ? texts::unexpectedAnswer(code) : text;
    } else if (result != CURLE_OK || out.tooLarge) {
        out.result.text = texts::downloadCritical();
        out.result.hint = texts::downloadCriticalHint(failureOf(result));
    } else {
        out.result.ok = true;
        out.body = std::move(body_);
    }
    easy_ = nullptr;
    return out;
}

} // namespace

MemoryDownload downloadToMemory(const QString &url, qint64 maxBytes, const DownloadOptions &options)
{
    MemoryTransfer transfer(maxBytes, options);
    return transfer.run(url);
}

} // namespace menu::core
