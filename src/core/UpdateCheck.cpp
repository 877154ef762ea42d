#include "core/UpdateCheck.h"

#include "core/AnnouncementFetch.h"
#include "core/InternetConnection.h"
#include "formats/ProfileText.h"
#include "formats/TextCodec.h"

namespace menu::core {

namespace {

bool startsWithByteOrderMark(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
           bytes.startsWith("\xFE\xFF");
}

} // namespace

UpdateCheckOutcome runUpdateCheck(const platform::InternetState &internet, const QString &url,
                                  std::span<const formats::MinisignKey> keys, CancelToken *cancel)
{
    UpdateCheckOutcome outcome;
    const ConnectionTest test = testConnection(internet);
    outcome.connected = test.connected;
    outcome.text = test.text;
    outcome.hint = test.hint;
    if (!outcome.connected)
        return outcome;
    DownloadOptions options;
    options.cancel = cancel;
    const FetchedAnnouncement fetched = fetchAnnouncement(url, keys, options);
    outcome.accepted = fetched.accepted;
    outcome.cancelled = fetched.cancelled;
    outcome.text = fetched.text;
    outcome.hint = fetched.hint;
    outcome.refused = fetched.arrived && !fetched.accepted && !fetched.cancelled;
    if (fetched.accepted) {
        outcome.info = readUpdateInfo(fetched.document);
        outcome.document = fetched.document;
        outcome.signatureFile = fetched.signatureFile;
        outcome.signedAt = fetched.signedAt;
    }
    return outcome;
}

UpdateInfo readUpdateInfo(const QByteArray &bytes)
{
    // The profile engine would take valid UTF-8 for UTF-8; this document is ANSI unless marked.
    QByteArray marked = bytes;
    if (!startsWithByteOrderMark(bytes)) {
        marked = QByteArrayLiteral("\xEF\xBB\xBF") +
                 formats::decodeCodePage(formats::CodePage::Windows1250, bytes).toUtf8();
    }
    const auto value = [&marked](const char *section, const char *key) {
        return formats::profileLookup(marked, QLatin1String(section), QLatin1String(key))
            .value_or(QString());
    };
    return {announcementFrom([&](const char *key) { return value("ORVAN", key); }, true),
            announcementFrom([&](const char *key) { return value("TEA", key); }, false)};
}

QString lastCheckText(const QDateTime &now, QChar timeSeparator)
{
    const QTime time = now.time();
    return now.date().toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char(' ') +
           QStringLiteral("%1").arg(time.hour(), 2, 10, QLatin1Char('0')) + timeSeparator +
           QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0'));
}

} // namespace menu::core
