#include "core/Download.h"

#include "core/PartialFile.h"
#include "core/Texts.h"
#include "core/UpdateTexts.h"
#include "platform/AtomicFile.h"

#include <QStringList>
#include <algorithm>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace menu::core {

namespace {

// The body of a success response on its way to the target: a new file beside it, made when
// the first byte arrives, put in the target's place by commit(). Dropped without commit, it
// leaves no trace and the target as it was. A link at the target keeps naming the file it
// names, whose content is replaced, and a replaced file keeps its permissions. The data is not
// forced to disk before the rename: a download can be fetched again, a damaged package fails
// its checks when unpacked, and the wait for the disk would cost a large package a third of
// its speed.
class BodyFile final : public BodySink {
  public:
    explicit BodyFile(const QString &path) : path_(path) {}

    bool write(const char *data, qint64 length) override
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
            inUse_ = committed.failure().is(std::errc::device_or_resource_busy) ||
                     committed.failure().is(std::errc::text_file_busy);
            error_ = inUse_ ? texts::downloadTargetInUse(path_)
                            : texts::downloadNotSaved(path_, committed.failure());
            return false;
        }
        return true;
    }

    QString error() const override { return error_; }
    bool inUse() const { return inUse_; }

  private:
    bool open()
    {
        if (file_)
            return true;
        if (!error_.isEmpty())
            return false;
        Result<platform::AtomicFile> begun = platform::AtomicFile::begin(
            path_, {.followLink = true, .keepMode = true, .setAsideInUse = true});
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
    bool inUse_ = false;
};

// A document's body, kept in memory; the transfer holds it to its length.
class BodyBuffer final : public BodySink {
  public:
    bool write(const char *data, qint64 length) override
    {
        bytes_.append(data, static_cast<qsizetype>(length));
        return true;
    }
    QString error() const override { return {}; }
    QByteArray take() { return std::move(bytes_); }

  private:
    QByteArray bytes_;
};

// The slowest average pace a whole document may arrive at: today's announcement of a few hundred
// bytes takes no time at all, the largest allowed (1 MB) a minute over a slow line.
constexpr qint64 kDocumentBytesPerSecond = 16 * 1024;

} // namespace

MemoryDownload downloadToMemory(const QString &url, qint64 maxBytes, const DownloadOptions &options)
{
    DownloadOptions document = options;
    document.maxBytes = maxBytes;
    document.emptyBodyAllowed = true;
    document.deadline = std::min(
        options.deadline,
        options.waitLimit + std::chrono::milliseconds(maxBytes * 1000 / kDocumentBytesPerSecond));
    BodyBuffer body;
    MemoryDownload fetched;
    fetched.result = fetchInto(url, body, document);
    if (fetched.result.ok)
        fetched.body = body.take();
    return fetched;
}

namespace {

// The pause before another try: retryPause, twice that, ...; false when a cancel ended it.
bool pauseBeforeTry(const DownloadOptions &options, int tried)
{
    const auto pause = options.retryPause * (1LL << std::min(tried, 16));
    if (options.cancel == nullptr) {
        std::this_thread::sleep_for(pause);
        return true;
    }
    std::mutex mutex;
    std::condition_variable woken;
    bool cancelled = false;
    const CancelToken::WakerGuard waker(*options.cancel, [&] {
        const std::lock_guard lock(mutex);
        cancelled = true;
        woken.notify_all();
    });
    std::unique_lock lock(mutex);
    return !woken.wait_for(lock, pause, [&] { return cancelled; });
}

// One try into target: straight into the file beside it, or through the kept part, which
// goes on from an earlier try and is copied into place once whole.
DownloadResult tryOnce(const QString &url, const QString &target, const DownloadOptions &options,
                       PartialFile *partial, const ResumePoint &from)
{
    BodyFile body(target);
    DownloadResult result;
    if (partial == nullptr) {
        result = fetchInto(url, body, options);
    } else {
        result = fetchInto(url, *partial, options, from);
        partial->endTry(result.ok);
        if (result.ok && !partial->copyTo(body))
            return DownloadResult::critical(partial->error());
    }
    if (result.ok && !body.commit()) {
        result = DownloadResult::critical(body.error());
        result.targetInUse = body.inUse();
    }
    return result;
}

} // namespace

DownloadResult download(const QString &url, const QString &target, const DownloadOptions &options)
{
    std::optional<PartialFile> partial = PartialFile::of(url, options);
    PartialFile *kept = partial ? &*partial : nullptr;
    bool startedAgain = false;
    for (int tried = 0;; ++tried) {
        const ResumePoint from = kept != nullptr ? kept->resumePoint() : ResumePoint{};
        DownloadResult result = tryOnce(url, target, options, kept, from);
        if (result.ok || result.cancelled) {
            if (result.ok && kept != nullptr)
                kept->discard();
            return result;
        }
        if (result.kind != FailureKind::Cut && kept != nullptr) {
            // What was kept did not lead to the file (a refused range, a hash that the pieces
            // do not give, ...): it goes, and the file is fetched whole once more at once.
            kept->discard();
            if (from.offset > 0 && !startedAgain) {
                startedAgain = true;
                continue;
            }
        }
        if (!result.dropped || tried >= options.retries)
            return result;
        if (!pauseBeforeTry(options, tried))
            return DownloadResult::cancelledByUser();
    }
}

DownloadResult DownloadResult::failure(FailureKind kind, const QString &text, const QString &hint)
{
    DownloadResult result;
    result.kind = kind;
    result.text = text;
    result.hint = hint;
    return result;
}

DownloadResult DownloadResult::critical(const QString &what, FailureKind kind)
{
    return failure(kind, texts::downloadCritical(), texts::downloadCriticalHint(what));
}

DownloadResult DownloadResult::cancelledByUser()
{
    DownloadResult result = failure(FailureKind::Cancelled, texts::downloadCancelled());
    result.cancelled = true;
    return result;
}

Result<qint64> contentLengthOf(const QString &line)
{
    // Only the header itself counts: another header with the name inside its own (such as
    // "X-Content-Length: abc") must neither set the gauge nor end the download.
    if (!line.startsWith(QLatin1String("Content-Length:"), Qt::CaseSensitive))
        return -1;
    const QStringList pieces = line.split(QLatin1Char(':'));
    if (pieces.size() != 2)
        return -1;
    const QString text = pieces.at(1).trimmed();
    const auto refuse = [&text] {
        const QString shown = text.size() > 40 ? text.left(40) + QStringLiteral("...") : text;
        return Failure::of(std::errc::bad_message, {}, texts::badContentLength(shown));
    };
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    if (i == text.size())
        return refuse();
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return refuse();
        const int digit = c - u'0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return refuse();
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

} // namespace menu::core
