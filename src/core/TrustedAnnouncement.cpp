#include "core/TrustedAnnouncement.h"

#include "core/AnnouncementFetch.h"
#include "core/TrustTexts.h"
#include "core/Trust.h"
#include "platform/AtomicFile.h"
#include "platform/Files.h"

namespace menu::core {

namespace {

TrustPolicy &policyInForce()
{
    static TrustPolicy policy = compiledTrustPolicy();
    return policy;
}

QString keptPath(const TrustPolicy &policy, const char *name)
{
    return policy.storeDir + QLatin1Char('/') + QLatin1String(name);
}

} // namespace

TrustPolicy compiledTrustPolicy()
{
#ifdef MENU_ALLOW_UNSIGNED_UPDATES
    constexpr bool allowUnsigned = true;
#else
    constexpr bool allowUnsigned = false;
#endif
    return {compiledKeys(), allowUnsigned, platform::userDataDirectory()};
}

const TrustPolicy &trustPolicy()
{
    return policyInForce();
}

void setTrustPolicy(TrustPolicy policy)
{
    policyInForce() = std::move(policy);
}

QString buildNote(const TrustPolicy &policy)
{
    return policy.signedOnly() ? QString() : texts::unsignedBuildNote(policy.updatesAllowed());
}

std::optional<SignedAnnouncement> keptAnnouncement(const TrustPolicy &policy)
{
    if (!policy.signedOnly() || policy.storeDir.isEmpty())
        return std::nullopt;
    Result<QByteArray> document =
        platform::readWholeFile(keptPath(policy, kKeptDocumentName), kAnnouncementMax);
    Result<QByteArray> signature = platform::readWholeFile(keptPath(policy, kKeptSignatureName),
                                                           formats::kMinisignMaxSignatureFile);
    if (!document.ok() || !signature.ok())
        return std::nullopt;
    const formats::MinisignCheck check =
        formats::verifyMinisign(*document, *signature, policy.keys);
    if (check.verdict != formats::MinisignVerdict::Good)
        return std::nullopt;
    const std::optional<qint64> signedAt = formats::minisignTimestamp(check.trustedComment);
    if (!signedAt)
        return std::nullopt;
    return SignedAnnouncement{std::move(*document), std::move(*signature), *signedAt};
}

Status keepAnnouncement(const TrustPolicy &policy, const SignedAnnouncement &announcement)
{
    if (Status made = platform::makeDirectories(policy.storeDir); !made.ok())
        return made;
    const platform::AtomicFile::Options options{false, false, true};
    if (Status written = platform::replaceFileContent(keptPath(policy, kKeptSignatureName),
                                                      announcement.signature, options);
        !written.ok())
        return written;
    return platform::replaceFileContent(keptPath(policy, kKeptDocumentName), announcement.document,
                                        options);
}

std::optional<UpdateInfo> trustedUpdateInfo(const TrustPolicy &policy,
                                            const LauncherSettings &settings)
{
    if (policy.signedOnly()) {
        const std::optional<SignedAnnouncement> kept = keptAnnouncement(policy);
        if (!kept)
            return std::nullopt;
        return readUpdateInfo(kept->document);
    }
    if (!policy.allowUnsigned)
        return std::nullopt;
    return UpdateInfo{settings.launcherAnnouncement(), settings.teamViewerAnnouncement()};
}

} // namespace menu::core
