// Texts of signed announcements: why update information was refused, and unsigned builds.
// The texts are the users' own words: change them only together with their users. A CR
// (character 13) breaks a line in a box.
#pragma once

#include "formats/Minisign.h"

#include <QString>

namespace menu::core::texts {

// ---- Signed announcements and checked files ----

// Why the launcher refused the update information: short, for the label (the notice's first
// line is added by failedCheckNotice); the hint adds the detail and that nothing was stored.
QString signatureMissing();
QString signatureMissingHint(const QString &file, const QString &why);
QString signatureRefused(formats::MinisignVerdict verdict);
QString signatureRefusedHint(const formats::MinisignCheck &check);
// A good signature whose trusted comment has no time of signing.
QString signatureUndated();
QString signatureUndatedHint();
// A good signature made before the one of the announcement already accepted (seconds since
// 1970 of both).
QString olderAnnouncement();
QString olderAnnouncementHint(qint64 signedAt, qint64 acceptedAt);
// The announcement a download would follow is not the signed one kept in the user's storage.
QString announcementNotVerified();
// The launcher's package announced is not a later version than the running launcher.
QString notLaterThanRunning(const QString &announced, const QString &running);
// A build without keys that was not configured to update unsigned.
QString updatesNeedKeys();
// What an unsigned build says of itself (status bar tooltip, menu-doctor --version).
QString unsignedBuildNote(bool updatesAllowed);

} // namespace menu::core::texts
