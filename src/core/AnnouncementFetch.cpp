#include "core/AnnouncementFetch.h"

#include "core/TrustTexts.h"

namespace menu::core {

namespace {

void refuse(FetchedAnnouncement &fetched, SignatureState state, QString text, QString hint)
{
    fetched.signature = state;
    fetched.text = std::move(text);
    fetched.hint = std::move(hint);
}

void judge(FetchedAnnouncement &fetched, const MemoryDownload &signature, const QString &name,
           std::span<const formats::MinisignKey> keys)
{
    // A signature too long to be one is a bad one, not a missing one.
    if (!signature.result.ok && !signature.result.tooLarge) {
        const QString why =
            signature.result.hint.isEmpty() ? signature.result.text : signature.result.hint;
        refuse(fetched, SignatureState::Missing, texts::signatureMissing(),
               texts::signatureMissingHint(name, why));
        return;
    }
    const formats::MinisignCheck check =
        formats::verifyMinisign(fetched.document, signature.body, keys);
    fetched.keyId = check.keyId;
    if (check.verdict != formats::MinisignVerdict::Good) {
        refuse(fetched, SignatureState::Bad, texts::signatureRefused(check.verdict),
               texts::signatureRefusedHint(check));
        return;
    }
    // Without the time of signing an older announcement could not be told from a newer one.
    const std::optional<qint64> signedAt = formats::minisignTimestamp(check.trustedComment);
    if (!signedAt) {
        refuse(fetched, SignatureState::Bad, texts::signatureUndated(),
               texts::signatureUndatedHint());
        return;
    }
    fetched.signature = SignatureState::Good;
    fetched.signatureFile = signature.body;
    fetched.signedAt = *signedAt;
    fetched.accepted = true;
}

} // namespace

FetchedAnnouncement fetchAnnouncement(const QString &url,
                                      std::span<const formats::MinisignKey> keys,
                                      const DownloadOptions &options)
{
    FetchedAnnouncement fetched;
    MemoryDownload document = downloadToMemory(url, kAnnouncementMax, options);
    fetched.cancelled = document.result.cancelled;
    if (!document.result.ok) {
        fetched.text = document.result.text;
        fetched.hint = document.result.hint;
        return fetched;
    }
    fetched.arrived = true;
    fetched.document = std::move(document.body);
    if (keys.empty()) {
        fetched.accepted = true;
        return fetched;
    }
    const QString signatureUrl = url + QLatin1String(kSignatureSuffix);
    const MemoryDownload signature =
        downloadToMemory(signatureUrl, formats::kMinisignMaxSignatureFile, options);
    if (signature.result.cancelled) {
        fetched.cancelled = true;
        fetched.text = signature.result.text;
        return fetched;
    }
    judge(fetched, signature, signatureUrl.section(QLatin1Char('/'), -1), keys);
    return fetched;
}

} // namespace menu::core
