#include "core/PartialFile.h"

#include "core/UpdateTexts.h"
#include "platform/Files.h"
#include "platform/UserCache.h"

#include <QCryptographicHash>

#include <utility>

namespace menu::core {

namespace {

// A validator is one header value; anything longer is not ours.
constexpr qint64 kMaxValidator = 1024;
// A part nobody went on with for a week belongs to a file that is no longer announced.
constexpr std::chrono::hours kStale{7 * 24};

} // namespace

QString keptDownloadsDir(const QString &cacheDir)
{
    return cacheDir.isEmpty() ? QString() : cacheDir + QStringLiteral("/downloads");
}

PartialFile::PartialFile(const QString &dir, const QString &key)
    : partPath_(dir + QLatin1Char('/') + key + QStringLiteral(".part")),
      validatorPath_(dir + QLatin1Char('/') + key + QStringLiteral(".validator"))
{
}

std::optional<PartialFile> PartialFile::of(const QString &url, const DownloadOptions &options)
{
    if (options.partialDir.isEmpty() || options.expectedSha256.isEmpty())
        return std::nullopt;
    platform::removeUnchangedFor(options.partialDir,
                                 {QStringLiteral(".part"), QStringLiteral(".validator")}, kStale);
    QCryptographicHash key(QCryptographicHash::Sha256);
    key.addData(url.toUtf8() + '\n' + options.expectedSha256.toLower().toLatin1() + '\n' +
                QByteArray::number(options.expectedLength.value_or(-1)));
    return PartialFile(options.partialDir, QString::fromLatin1(key.result().toHex().left(32)));
}

ResumePoint PartialFile::resumePoint() const
{
    const Result<QByteArray> validator = platform::readOwnFile(validatorPath_, kMaxValidator);
    const std::optional<qint64> kept = platform::regularFileSize(partPath_);
    if (!validator.ok() || validator->isEmpty() || !kept)
        return {};
    return {*kept, *validator};
}

bool PartialFile::begin(qint64 offset, const QByteArray &validator,
                        const std::function<bool(const char *, qint64)> &kept)
{
    if (offset == 0) {
        // A new answer: the old part goes first, so that no validator ever names bytes of
        // another version.
        discard();
        unnamed_ = validator.isEmpty();
        if (const Status written = platform::writeOwnFile(validatorPath_, validator);
            !written.ok()) {
            error_ = texts::downloadNotCreated(validatorPath_, written.failure());
            return false;
        }
    }
    // The rest of a kept file: what is kept goes through the checks first.
    Result<platform::GrowingFile> opened = platform::GrowingFile::open(partPath_, offset, kept);
    if (!opened.ok()) {
        // A stop of the checks has its own reason.
        if (!opened.failure().is(std::errc::operation_canceled))
            error_ = texts::downloadNotWritten(partPath_, opened.failure());
        return false;
    }
    file_.emplace(std::move(*opened));
    return true;
}

bool PartialFile::write(const char *data, qint64 length)
{
    if (const Status written = file_->write(data, length); !written.ok()) {
        error_ = texts::downloadNotWritten(partPath_, written.failure());
        return false;
    }
    return true;
}

void PartialFile::endTry(bool whole)
{
    file_.reset();
    if (std::exchange(unnamed_, false) && !whole)
        discard();
}

bool PartialFile::copyTo(BodySink &sink)
{
    const Status copied = platform::readBlocks(
        partPath_, [&](const char *data, qint64 length) { return sink.write(data, length); });
    if (copied.ok())
        return true;
    error_ = copied.failure().is(std::errc::operation_canceled)
                 ? sink.error()
                 : texts::downloadNotWritten(partPath_, copied.failure());
    return false;
}

void PartialFile::discard()
{
    file_.reset();
    (void)platform::removeFile(partPath_);
    (void)platform::removeFile(validatorPath_);
}

} // namespace menu::core
