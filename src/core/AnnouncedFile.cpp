#include "core/AnnouncedFile.h"

#include "core/InstallTexts.h"
#include "core/TrustTexts.h"
#include "core/TrustedAnnouncement.h"
#include "core/VersionInfo.h"

namespace menu::core {

namespace {

bool isSha256(const QString &text)
{
    if (text.size() != 64)
        return false;
    for (const QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')))
            return false;
    }
    return true;
}

} // namespace

bool checksRequired()
{
    return trustPolicy().signedOnly();
}

std::optional<Notice> fetchRefusal(const Announcement &announced, bool requireChecks)
{
    if (announced.file.trimmed().isEmpty())
        return Notice{BoxKind::Information, texts::nothingToDownload()};
    // An empty file is never an installable program, so a length of 0 checks nothing.
    if (requireChecks &&
        (!announced.length || *announced.length <= 0 || !isSha256(announced.sha256)))
        return Notice{BoxKind::Error, texts::fileNotVerifiable()};
    return std::nullopt;
}

std::optional<Notice> trustRefusal(const Announcement &announced,
                                   const std::optional<Announcement> &trusted, bool updatesAllowed)
{
    if (!updatesAllowed)
        return Notice{BoxKind::Error, texts::updatesNeedKeys()};
    if (!trusted || !(*trusted == announced))
        return Notice{BoxKind::Error, texts::announcementNotVerified()};
    return std::nullopt;
}

std::optional<Notice> releaseRefusal(const Announcement &announced, const QString &running)
{
    if (isNewerRelease(announced.version, running))
        return std::nullopt;
    return Notice{BoxKind::Error, texts::notLaterThanRunning(announced.version, running)};
}

void expectAnnounced(DownloadOptions &options, const Announcement &announced)
{
    options.expectedLength = announced.length;
    options.expectedSha256 = announced.sha256;
}

} // namespace menu::core
