#include "core/Download.h"

#include "core/Texts.h"
#include "platform/AtomicFile.h"
#include "platform/Files.h"

#include <QStringList>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <curl/curl.h>
#include <exception>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

namespace menu::core {

namespace {

const char kUserAgent[] = "Mozilla/4.0 (compatible; ORVAN)";

struct CurlDeleter {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
struct CurlMultiDeleter {
    void operator()(CURLM *handle) const { curl_multi_cleanup(handle); }
};
using CurlMultiHandle = std::unique_ptr<CURLM, CurlMultiDeleter>;

// libcurl's global state must be set up once before the first handle, and not concurrently
// with other threads creating handles: a function-local static gives both.
bool curlReady()
{
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

bool isSuccess(long code)
{
    return code >= 100 && code <= 299;
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

// The body of a success response on its way to the target: a new file beside it, made when
// the first byte arrives, put in the target's place by commit(). Dropped without commit, it
// leaves no trace and the target as it was. A link at the target keeps naming the file it
// names, whose content is replaced, and a replaced file keeps its permissions. The data is not
// forced to disk before the rename: a download can be fetched again, a damaged package fails
// its checks when unpacked, and the wait for the disk would cost a large package a third of
// its speed.
class BodyFile {
  public:
    explicit BodyFile(const QString &path) : path_(path) {}

    bool write(const char *data, qint64 length)
    {
        if (!open())
            return false;
        if (Status written = file_->write(data, length); !written.ok()) {
            error_ = texts::downloadNotWritten(path_, written.failure());
            file_.reset();
            return false;
        }
        return true;
    }

    bool commit()
    {
        if (!open())
            return false;
        if (Status committed = file_->commit(); !committed.ok()) {
            error_ = texts::downloadNotSaved(path_, committed.failure());
            return false;
        }
        return true;
    }

    const QString &error() const { return error_; }

  private:
    bool open()
    {
        if (file_)
            return true;
        if (!error_.isEmpty())
            return false;
        Result<platform::AtomicFile> begun =
            platform::AtomicFile::begin(path_, {.followLink = true, .keepMode = true});
        if (!begun.ok()) {
            error_ = texts::downloadNotCreated(path_, begun.failure());
            return false;
        }
        file_.emplace(std::move(*begun));
        return true;
    }

    QString path_;
    std::optional<platform::AtomicFile> file_;
    QString error_;
};

} // namespace

// The HTTP client of one request, on libcurl: HTTP/1.0, the launcher's user agent, no proxy
// (not even one from the environment), no redirection, a limit on each wait on the connection.
// Its header lines are handed to the observer as they arrive; the observer also sees every
// block read, before the block is taken apart.
class HttpClient {
  public:
    class Observer {
      public:
        virtual ~Observer() = default;
        virtual void headerLine(const QString &line) = 0;
        virtual void blockRead(std::size_t length) = 0;
    };

    HttpClient(Observer *observer, CancelToken *cancel, std::chrono::milliseconds waitLimit)
        : observer_(observer), cancel_(cancel), waitLimit_(waitLimit)
    {
    }

    // Sends the request and reads the whole response, streaming a success body into body.
    // Returns the status code, 500 when no response came. failure() then holds the message of
    // an error raised during the transfer or while writing the file, and of a success response
    // that ended before its end. An exception outside the std::exception family raised by the
    // observer is carried out of libcurl and raised again here.
    long request(const QString &address, BodyFile &body);

    const QString &failure() const { return failure_; }
    bool cancelled() const { return cancelled_; }

  private:
    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    static int onConnected(void *self, char *, char *, int, int);
    static int onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    void configure(CURL *h, const QByteArray &url);
    CURLcode perform(CURL *easy);
    bool report(size_t length);
    long currentStatus() const;
    QString incompleteMessage(CURLcode result) const;

    Observer *observer_;
    CancelToken *cancel_;
    QString failure_;
    std::exception_ptr foreign_;
    CURL *curl_ = nullptr;
    BodyFile *body_ = nullptr;
    bool connected_ = false;
    bool stalled_ = false;
    bool cancelled_ = false;
    std::chrono::steady_clock::time_point lastActivity_;
    std::chrono::milliseconds waitLimit_{0};
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

long HttpClient::request(const QString &address, BodyFile &body)
{
    failure_.clear();
    connected_ = false;
    stalled_ = false;
    cancelled_ = false;
    if (!curlReady()) {
        failure_ = texts::httpNotReady();
        return 500;
    }
    CurlHandle handle(curl_easy_init());
    if (!handle) {
        failure_ = texts::httpNotReady();
        return 500;
    }
    curl_ = handle.get();
    body_ = &body;
    configure(handle.get(), requestUrl(address));

    const CURLcode result = perform(handle.get());
    const long code = currentStatus();
    QString incomplete;
    if (result != CURLE_OK && failure_.isEmpty() && !foreign_ && !cancelled_ && isSuccess(code))
        incomplete = incompleteMessage(result);
    curl_ = nullptr;
    body_ = nullptr;
    handle.reset();

    if (foreign_)
        std::rethrow_exception(std::exchange(foreign_, nullptr));
    if (failure_.isEmpty())
        failure_ = incomplete;
    return code == 0 ? 500 : code;
}

void HttpClient::configure(CURL *h, const QByteArray &url)
{
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_0});
    curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(waitLimit_.count()));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &HttpClient::onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &HttpClient::onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &HttpClient::onConnected);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &HttpClient::onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
}

// Runs the transfer in a multi handle, whose wait a cancel interrupts at once; the progress
// callback then ends the transfer.
CURLcode HttpClient::perform(CURL *easy)
{
    CurlMultiHandle multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK)
        return CURLE_OUT_OF_MEMORY;
    std::optional<CancelToken::WakerGuard> waker;
    if (cancel_ != nullptr)
        waker.emplace(*cancel_, [m = multi.get()] { curl_multi_wakeup(m); });
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
    curl_multi_remove_handle(multi.get(), easy);
    return result;
}

long HttpClient::currentStatus() const
{
    long code = 0;
    if (curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK)
        return 0;
    return code;
}

QString HttpClient::incompleteMessage(CURLcode result) const
{
    if (stalled_)
        return texts::serverSilent(secondsText(waitLimit_.count()));
    curl_off_t received = 0;
    curl_off_t announced = -1;
    curl_easy_getinfo(curl_, CURLINFO_SIZE_DOWNLOAD_T, &received);
    curl_easy_getinfo(curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (result == CURLE_PARTIAL_FILE && announced >= 0)
        return texts::connectionEndedEarly(received, announced);
    const QString reason = errorBuffer_[0] != '\0' ? QString::fromUtf8(errorBuffer_)
                                                   : QString::fromUtf8(curl_easy_strerror(result));
    if (result == CURLE_PARTIAL_FILE)
        return texts::connectionEndedEarly(reason);
    return texts::transferFailed(reason);
}

bool HttpClient::report(size_t length)
{
    lastActivity_ = std::chrono::steady_clock::now();
    if (observer_ == nullptr)
        return true;
    try {
        observer_->blockRead(length);
        return true;
    } catch (const std::exception &error) {
        failure_ = QString::fromUtf8(error.what());
    } catch (...) {
        foreign_ = std::current_exception();
    }
    return false;
}

size_t HttpClient::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *client = static_cast<HttpClient *>(self);
    const size_t length = size * count;
    if (!client->report(length))
        return 0;
    QByteArray line(data, static_cast<qsizetype>(length));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (client->observer_ == nullptr)
        return length;
    try {
        client->observer_->headerLine(QString::fromLatin1(line));
    } catch (const std::exception &error) {
        client->failure_ = QString::fromUtf8(error.what());
        return 0;
    } catch (...) {
        client->foreign_ = std::current_exception();
        return 0;
    }
    return length;
}

size_t HttpClient::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *client = static_cast<HttpClient *>(self);
    const size_t length = size * count;
    if (!client->report(length))
        return 0;
    // Only the body of a success response is kept; any other is read and dropped.
    if (!isSuccess(client->currentStatus()))
        return length;
    if (!client->body_->write(data, static_cast<qint64>(length))) {
        client->failure_ = client->body_->error();
        return 0;
    }
    return length;
}

// Called once the connection stands (TLS included), right before the request goes out: from
// here on, the limit applies to each pause in which nothing arrives.
int HttpClient::onConnected(void *self, char *, char *, int, int)
{
    auto *client = static_cast<HttpClient *>(self);
    client->connected_ = true;
    client->lastActivity_ = std::chrono::steady_clock::now();
    return CURL_PREREQFUNC_OK;
}

// libcurl calls this about once a second even while nothing arrives: the place to end a
// connection on which the server has gone quiet. Connecting has its own limit.
int HttpClient::onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *client = static_cast<HttpClient *>(self);
    if (client->cancel_ != nullptr && client->cancel_->cancelled()) {
        client->cancelled_ = true;
        return 1;
    }
    if (client->connected_ &&
        std::chrono::steady_clock::now() - client->lastActivity_ > client->waitLimit_) {
        client->stalled_ = true;
        return 1;
    }
    return 0;
}

namespace {

// Counts the blocks of one download and learns the body's length from its header line.
class ProgressCounter final : public HttpClient::Observer {
  public:
    explicit ProgressCounter(const ProgressCallback &callback) : callback_(callback) {}

    void headerLine(const QString &line) override
    {
        // Each line is looked at once, when it arrives: a long header costs no more than its
        // length.
        if (progress_.total != -1)
            return;
        progress_.total = contentLengthOf(line);
        // A size below nothing is no size: the gauge could not show it.
        if (progress_.total < -1)
            throw ContentLengthError(texts::badFileSize(progress_.total).toStdString());
    }

    void blockRead(std::size_t length) override
    {
        const long long sum = static_cast<long long>(progress_.received) +
                              static_cast<long long>(length);
        progress_.received = static_cast<std::int32_t>(
            std::min<long long>(sum, std::numeric_limits<std::int32_t>::max()));
        if (callback_)
            callback_(progress_);
    }

  private:
    const ProgressCallback &callback_;
    DownloadProgress progress_;
};

} // namespace

DownloadResult download(const QString &url, const QString &target, const DownloadOptions &options)
{
    ProgressCounter counter(options.progress);
    HttpClient client(&counter, options.cancel, options.waitLimit);
    BodyFile body(target);
    DownloadResult result;
    const long code = client.request(url, body);
    if (client.cancelled()) {
        result.cancelled = true;
        result.text = texts::downloadCancelled();
        return result;
    }
    QString failure = client.failure();
    if (failure.isEmpty() && !isSuccess(code)) {
        result.text = texts::httpResult(static_cast<std::int32_t>(code));
        return result;
    }
    if (failure.isEmpty() && !body.commit())
        failure = body.error();
    if (!failure.isEmpty()) {
        result.text = texts::downloadCritical();
        result.hint = texts::downloadCriticalHint(failure);
        return result;
    }
    result.ok = true;
    return result;
}

std::int32_t contentLengthOf(const QString &line)
{
    if (!line.contains(QLatin1String("Content-Length:"), Qt::CaseSensitive))
        return -1;
    const QStringList pieces = line.split(QLatin1Char(':'));
    if (pieces.size() != 2)
        return -1;
    const QString text = pieces.at(1).trimmed();
    const auto refuse = [&text]() -> ContentLengthError {
        const QString shown = text.size() > 40 ? text.left(40) + QStringLiteral("...") : text;
        return ContentLengthError(texts::badContentLength(shown).toStdString());
    };
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    if (i == text.size())
        throw refuse();
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            throw refuse();
        value = value * 10 + (c - u'0');
        if (value > std::numeric_limits<std::int32_t>::max() + (negative ? 1LL : 0LL))
            throw refuse();
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace menu::core
