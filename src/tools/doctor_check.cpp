// menu-doctor check HOST and fetch HOST ORVAN|TEA FILE: the update information as the launcher
// takes it from HOST (which replaces the compiled-in address's host), and the
// announced file as a launcher would accept it. Exit status 0 when the launcher would accept,
// 1 when it would refuse, 2 on a wrong command line.
#include "core/AnnouncedFile.h"
#include "core/AnnouncementFetch.h"
#include "core/Download.h"
#include "core/PartialFile.h"
#include "core/Trust.h"
#include "core/TrustTexts.h"
#include "core/TrustedAnnouncement.h"
#include "core/UpdateAddress.h"
#include "core/UpdateCheck.h"
#include "platform/UserCache.h"
#include "tools/Doctor.h"

#include <optional>
#include <vector>

namespace menu::doctor {

namespace {

using Keys = std::vector<formats::MinisignKey>;

// Takes each "--public-key KEY" out of args; the keys given replace the compiled-in ones.
// Nothing when a key is missing or is no minisign public key.
std::optional<Keys> takeKeys(QStringList &args)
{
    Keys given;
    for (qsizetype i = args.indexOf(QStringLiteral("--public-key")); i >= 0;
         i = args.indexOf(QStringLiteral("--public-key"))) {
        if (i + 1 >= args.size())
            return std::nullopt;
        const auto key = formats::parseMinisignKey(args.at(i + 1).toUtf8());
        if (!key) {
            err(QStringLiteral("not a minisign public key: ") + args.at(i + 1) + QLatin1Char('\n'));
            return std::nullopt;
        }
        given.push_back(*key);
        args.remove(i, 2);
    }
    return given.empty() ? core::compiledKeys() : given;
}

// One line whatever the text holds: each CR as \r, each LF as \n.
QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

void printError(const QString &text)
{
    out(QStringLiteral("error: ") + oneLine(text) + QLatin1Char('\n'));
}

QString signatureLine(const core::FetchedAnnouncement &fetched)
{
    switch (fetched.signature) {
    case core::SignatureState::NotRequired:
        return QStringLiteral("not required");
    case core::SignatureState::Good:
        return QStringLiteral("good ") + fetched.keyId;
    case core::SignatureState::Missing:
        return QStringLiteral("missing");
    case core::SignatureState::Bad:
        break;
    }
    return QStringLiteral("bad");
}

void printValues(const char *section, const core::Announcement &announced, bool withDate)
{
    const auto line = [section](const char *key, const QString &value) {
        if (!value.isEmpty())
            out(QStringLiteral("%1 %2=%3\n")
                    .arg(QLatin1String(section), QLatin1String(key), value));
    };
    line("AktCis", announced.version);
    if (withDate)
        line("AktDat", announced.date);
    line("AktFil", announced.file);
    line("AktLen", announced.length ? QString::number(*announced.length) : QString());
    line("AktSha256", announced.sha256);
}

// The update address on HOST, as the launcher would use it there.
QString addressOn(const QString &host)
{
    return core::withUpdateHost(core::compiledUpdateAddress(), host);
}

// Prints what the launcher would make of the document at address; its announcements when
// accepted. Without keys, given or compiled in, a build that may not update unsigned asks
// nothing, as the launcher does not.
std::optional<core::UpdateInfo> checkAt(const QString &address, const Keys &keys)
{
    if (keys.empty() && !core::trustPolicy().allowUnsigned) {
        out(QStringLiteral("accepted: false\n"));
        printError(core::texts::updatesNeedKeys());
        return std::nullopt;
    }
    const core::FetchedAnnouncement fetched =
        core::fetchAnnouncement(core::updateInfoUrl(address), keys);
    if (fetched.arrived) {
        out(QStringLiteral("signature: ") + signatureLine(fetched) + QLatin1Char('\n'));
        const core::UpdateInfo shown = core::readUpdateInfo(fetched.document);
        printValues("ORVAN", shown.launcher, true);
        printValues("TEA", shown.teamViewer, false);
    }
    out(QStringLiteral("accepted: ") +
        (fetched.accepted ? QStringLiteral("true") : QStringLiteral("false")) + QLatin1Char('\n'));
    if (!fetched.accepted) {
        printError(fetched.hint.isEmpty() ? fetched.text : fetched.hint);
        return std::nullopt;
    }
    return core::readUpdateInfo(fetched.document);
}

int check(const QStringList &arguments)
{
    QStringList args = arguments;
    const std::optional<Keys> keys = takeKeys(args);
    if (!keys || args.size() != 1)
        return usage(QStringLiteral("check"));
    return checkAt(addressOn(args.at(0)), *keys) ? 0 : 1;
}

// Why the announced file was not fetched as announced; empty when it was. The download holds it
// to the announced length and hash and leaves FILE as it was when either differs.
QString fetchAnnounced(const QString &address, const core::Announcement &announced,
                       const Keys &keys, const QString &file)
{
    if (const std::optional<core::Notice> refusal = core::fetchRefusal(announced, !keys.empty()))
        return refusal->text;
    core::DownloadOptions options;
    core::expectAnnounced(options, announced);
    options.partialDir = core::keptDownloadsDir(platform::userCacheDirectory());
    const core::DownloadResult result =
        core::download(core::packageFilesUrl(address) + announced.file, file, options);
    if (!result.ok)
        return result.hint.isEmpty() ? result.text : result.hint;
    return {};
}

int fetch(const QStringList &arguments)
{
    QStringList args = arguments;
    const std::optional<Keys> keys = takeKeys(args);
    if (!keys || args.size() != 3 ||
        (args.at(1) != QLatin1String("ORVAN") && args.at(1) != QLatin1String("TEA")))
        return usage(QStringLiteral("fetch"));
    const QString address = addressOn(args.at(0));
    const std::optional<core::UpdateInfo> info = checkAt(address, *keys);
    if (!info)
        return 1;
    const bool launcher = args.at(1) == QLatin1String("ORVAN");
    const QString why =
        fetchAnnounced(address, launcher ? info->launcher : info->teamViewer, *keys, args.at(2));
    out(QStringLiteral("verified: ") +
        (why.isEmpty() ? QStringLiteral("true") : QStringLiteral("false")) + QLatin1Char('\n'));
    if (!why.isEmpty())
        printError(why);
    return why.isEmpty() ? 0 : 1;
}

const Registration checkRegistration{
    {QStringLiteral("check"),
     QStringLiteral("check HOST [--public-key KEY]...   (HOST: host[:port], or with http:// "
                    "or https://)"),
     check}};
const Registration fetchRegistration{
    {QStringLiteral("fetch"), QStringLiteral("fetch HOST ORVAN|TEA FILE [--public-key KEY]..."),
     fetch}};

} // namespace

} // namespace menu::doctor
