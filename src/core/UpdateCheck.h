// The background update-information check without its window: the check itself as the worker
// runs it (internet test and download), the reading of the downloaded document, and what the
// information label says.
#pragma once

#include "core/CancelToken.h"
#include "core/Notice.h"
#include "core/LauncherSettings.h"
#include "platform/Internet.h"

#include <QByteArray>
#include <QChar>
#include <QDateTime>
#include <QString>

namespace menu::core {

// The document's local name in the program directory; it exists only from the download until
// it has been read.
inline constexpr char kUpdateInfoFileName[] = "orvan_akt.$$$";

// What the worker found out: whether the computer is connected, and if so whether the download
// succeeded. text and hint are the internet test's when not connected, else the download's.
struct UpdateCheckOutcome {
    bool connected = false;
    bool downloaded = false;
    bool cancelled = false;
    QString text;
    QString hint;
};

// The worker's whole run: the internet test, then (only when connected) the download of url
// into localPath.
UpdateCheckOutcome runUpdateCheck(const platform::InternetState &internet, const QString &url,
                                  const QString &localPath, CancelToken *cancel = nullptr);

// The announcements of the update-information document: [ORVAN] for the launcher, [TEA] for
// Team Viewer.
struct UpdateInfo {
    Announcement launcher;
    Announcement teamViewer;
};

// Reads the document's bytes as INI text: the system's ANSI code page (Windows-1250) unless
// it begins with a byte-order mark. Missing entries are empty.
UpdateInfo readUpdateInfo(const QByteArray &bytes);

// The time of a successful check as "DD.MM.YYYY hh:nn" with the given time separator.
QString lastCheckText(const QDateTime &now, QChar timeSeparator);

} // namespace menu::core
