// The background update-information check without its window: the check itself as the worker
// runs it (internet test, then the document and its signature fetched and judged in memory),
// the reading of the document, and what the information label says.
#pragma once

#include "core/CancelToken.h"
#include "core/LauncherSettings.h"
#include "core/Notice.h"
#include "formats/Minisign.h"
#include "platform/Internet.h"

#include <QByteArray>
#include <QChar>
#include <QDateTime>
#include <QString>

#include <optional>
#include <span>

namespace menu::core {

// The announcements of the update-information document: [ORVAN] for the launcher, [TEA] for
// Team Viewer.
struct UpdateInfo {
    Announcement launcher;
    Announcement teamViewer;
};

// What the worker found out: whether the computer is connected, and if so whether the document
// arrived and was accepted (see fetchAnnouncement). text and hint are the internet test's when
// not connected, else the transfer's or the refusal's.
struct UpdateCheckOutcome {
    bool connected = false;
    bool accepted = false;
    bool cancelled = false;
    QString text;
    QString hint;
    bool refused = false;           // the document arrived and its signature was refused
    std::optional<UpdateInfo> info; // the accepted document's announcements, read on the worker
    // The accepted document as signed, to be kept where keys are trusted.
    QByteArray document;
    QByteArray signatureFile;
    qint64 signedAt = 0;
};

// The worker's whole run: the internet test, then (only when connected) the document at url
// with its signature when keys are trusted; read only when accepted.
UpdateCheckOutcome runUpdateCheck(const platform::InternetState &internet, const QString &url,
                                  std::span<const formats::MinisignKey> keys,
                                  CancelToken *cancel = nullptr);

// Reads the document's bytes as INI text: the system's ANSI code page (Windows-1250) unless
// it begins with a byte-order mark. Missing entries are empty.
UpdateInfo readUpdateInfo(const QByteArray &bytes);

// The time of a successful check as "DD.MM.YYYY hh:nn" with the given time separator.
QString lastCheckText(const QDateTime &now, QChar timeSeparator);

} // namespace menu::core
