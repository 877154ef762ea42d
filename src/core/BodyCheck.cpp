#include "core/BodyCheck.h"

#include "core/DownloadTexts.h"

#include <algorithm>

namespace menu::core {

namespace {

bool isSha256(const QString &text)
{
    if (text.size() != 64)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
    });
}

DownloadResult refused(const QString &text, bool tooLarge = false)
{
    DownloadResult result = DownloadResult::failure(FailureKind::Other, text);
    result.tooLarge = tooLarge;
    return result;
}

} // namespace

BodyCheck::BodyCheck(const DownloadOptions &options)
    : maxBytes_(options.maxBytes), expectedLength_(options.expectedLength),
      expectedSha256_(options.expectedSha256.trimmed().toLower()),
      emptyAllowed_(options.emptyBodyAllowed)
{
}

std::optional<DownloadResult> BodyCheck::refusalBefore() const
{
    if (expectedLength_ && *expectedLength_ < 1)
        return refused(texts::announcedLengthInvalid(*expectedLength_));
    if (expectedLength_ && *expectedLength_ > maxBytes_)
        return refused(texts::fileTooLarge(*expectedLength_, maxBytes_), true);
    if (!expectedSha256_.isEmpty() && !isSha256(expectedSha256_))
        return refused(texts::announcedHashInvalid(expectedSha256_));
    return std::nullopt;
}

std::optional<DownloadResult> BodyCheck::judgeAnnounced(qint64 contentLength) const
{
    if (contentLength > maxBytes_)
        return refused(texts::fileTooLarge(contentLength, maxBytes_), true);
    if (expectedLength_ && contentLength != *expectedLength_)
        return refused(texts::fileLengthWrong(contentLength, *expectedLength_));
    return std::nullopt;
}

std::optional<DownloadResult> BodyCheck::add(const char *data, qint64 length)
{
    received_ += length;
    if (received_ > maxBytes_)
        return refused(texts::fileTooLarge(maxBytes_), true);
    if (expectedLength_ && received_ > *expectedLength_)
        return refused(texts::fileLongerThanAnnounced(received_, *expectedLength_));
    // Hashing costs time only where a hash is expected.
    if (!expectedSha256_.isEmpty())
        hash_.addData(QByteArrayView(data, length));
    return std::nullopt;
}

std::optional<DownloadResult> BodyCheck::verdict()
{
    if (received_ == 0 && !emptyAllowed_)
        return refused(texts::emptyFile());
    if (expectedLength_ && received_ != *expectedLength_)
        return refused(texts::fileLengthWrong(received_, *expectedLength_));
    if (!expectedSha256_.isEmpty()) {
        const QString actual = QString::fromLatin1(hash_.result().toHex());
        if (actual != expectedSha256_)
            return refused(texts::fileHashWrong(actual, expectedSha256_));
    }
    return std::nullopt;
}

} // namespace menu::core
