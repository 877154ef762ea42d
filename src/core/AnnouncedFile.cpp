#include "core/AnnouncedFile.h"

#include "core/Texts.h"
#include "core/Trust.h"

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
    return !compiledKeys().empty();
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

void expectAnnounced(DownloadOptions &options, const Announcement &announced)
{
    options.expectedLength = announced.length;
    options.expectedSha256 = announced.sha256;
}

} // namespace menu::core
