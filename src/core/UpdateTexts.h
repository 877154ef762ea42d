// Texts of the update check, the offer, the update dialog and the transfer's failures.
// The texts are the users' own words: change them only together with their users. A CR
// (character 13) breaks a line in a box.
#pragma once

#include "core/Notice.h"
#include "core/UpdateCheck.h"
#include "core/UpdateOffer.h"
#include "formats/Result.h"

#include <QString>

#include <cstdint>

namespace menu::core::texts {

// ---- The update check and downloads ----

LabelNotice newerVersionNotice();
// Another seat installed a newer version on the drive while this launcher ran.
LabelNotice versionInstalledNotice(const QString &version);
LabelNotice switchedOffNotice();
LabelNotice progressNotice();
// The label after a check that did not succeed (connected and accepted is the success, which
// empties the label instead).
LabelNotice failedCheckNotice(const UpdateCheckOutcome &outcome);
// The label when a downloaded document could not be applied; reason is the detail.
LabelNotice storeFailedNotice(const QString &reason);
// An update command while the update information is being fetched.
QString updateCheckRunning();
// The offer at start when a later launcher is announced.
QString newVersionOffer(const QString &version, const QString &date);

// ---- The update dialog ----

// A version as the dialog shows it: "v" + version + " zo dňa " + date; "žiadna" stands for
// a missing version and the date part is left out when the date is empty.
QString shownVersion(const QString &version, const QString &date);
// What the dialog shows for a case; launcher: the launcher's own package (downloaded and
// installed), otherwise Team Viewer (downloaded only).
UpdateRecommendation recommendation(UpdateCase updateCase, bool launcher);
// The gauge's size label: "Veľkosť súboru : " + bytes + " b".
QString fileSize(qint64 bytes);
QString badFileSize(qint64 bytes);
QString packageFileUnknown();
QString working();
QString downloading();
QString downloaded();
QString fileToDownload(const QString &path);
// The short error text of an HTTP result code: empty for 100 to 299.
QString httpResult(std::int32_t code);
// The tooltip of a critical error: the short text, an empty line, what happened.
QString downloadCriticalHint(const QString &what);
QString downloadCancelled();
QString downloadNotCreated(const QString &path, const Failure &failure);
QString downloadNotWritten(const QString &path, const Failure &failure);
QString downloadNotSaved(const QString &path, const Failure &failure);
QString downloadTargetInUse(const QString &path);
QString httpNotReady();
QString serverSilent(const QString &seconds);
QString connectionEndedEarly(qint64 received, qint64 announced);
QString connectionEndedEarly(const QString &reason);
QString transferFailed(const QString &reason);
QString rangeNotContinued(qint64 offset);
QString badContentLength(const QString &value);

} // namespace menu::core::texts
