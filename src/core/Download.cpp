#include "core/Download.h"

#include "core/Texts.h"
#include "core/UpdateTexts.h"
#include "platform/AtomicFile.h"

#include <QStringList>
#include <algorithm>
#include <limits>
#include <optional>
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

DownloadResult download(const QString &url, const QString &target, const DownloadOptions &options)
{
    BodyFile body(target);
    DownloadResult result = fetchInto(url, body, options);
    if (result.ok && !body.commit()) {
        result.ok = false;
        result.kind = FailureKind::Other;
        result.text = texts::downloadCritical();
        result.hint = texts::downloadCriticalHint(body.error());
        result.targetInUse = body.inUse();
    }
    return result;
}

qint64 contentLengthOf(const QString &line)
{
    // Only the header itself counts: another header with the name inside its own (such as
    // "X-Content-Length: abc") must neither set the gauge nor end the download.
    if (!line.startsWith(QLatin1String("Content-Length:"), Qt::CaseSensitive))
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
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            throw refuse();
        const int digit = c - u'0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            throw refuse();
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

} // namespace menu::core
