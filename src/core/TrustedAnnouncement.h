// Whom and what the launcher trusts for its updates. The vendor's keys decide whether an
// announcement is genuine; the last one accepted is kept, with its signature, in the user's own
// storage, because menu.ini is shared by every seat on the drive and anyone who uses the drive
// can write into it. menu.ini only shows announcements: an offer or a download follows the kept
// document, checked again each time. A document signed earlier than the kept one is refused,
// so that an old announcement replayed by a server cannot bring back an older package or hide
// a newer one.
#pragma once

#include "core/LauncherSettings.h"
#include "core/UpdateCheck.h"
#include "formats/Minisign.h"
#include "formats/Result.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace menu::core {

struct TrustPolicy {
    std::vector<formats::MinisignKey> keys; // none: a build without keys
    // A build without keys updates only when configured to (MENU_ALLOW_UNSIGNED_UPDATES).
    bool allowUnsigned = false;
    QString storeDir; // the user's own directory for the kept document

    bool signedOnly() const { return !keys.empty(); }
    bool updatesAllowed() const { return signedOnly() || allowUnsigned; }
};

// As the build was configured, with the user's own storage of this system.
TrustPolicy compiledTrustPolicy();
// The policy in force: the compiled one unless the program chose another at start.
const TrustPolicy &trustPolicy();
void setTrustPolicy(TrustPolicy policy);

// What a build without keys says of itself; empty for a build with keys.
QString buildNote(const TrustPolicy &policy);

// The kept document's file names in the store directory.
inline constexpr char kKeptDocumentName[] = "orvan_akt.ini";
inline constexpr char kKeptSignatureName[] = "orvan_akt.ini.minisig";

// A signed announcement that verified against the policy's keys, with its time of signing.
struct SignedAnnouncement {
    QByteArray document;
    QByteArray signature;
    qint64 signedAt = 0; // seconds since 1970, from the trusted comment
};

// The kept document, verified again now; nothing when there is none or it does not verify.
std::optional<SignedAnnouncement> keptAnnouncement(const TrustPolicy &policy);
// Keeps an accepted document (signature first, so that a crash between leaves a pair that
// does not verify rather than an old signature over a new document).
Status keepAnnouncement(const TrustPolicy &policy, const SignedAnnouncement &announcement);

// The announcements the launcher may act on (offer, update commands, downloads): the kept
// signed document's where keys are trusted; menu.ini's in a build configured to update
// unsigned; nothing in a build that may not update.
std::optional<UpdateInfo> trustedUpdateInfo(const TrustPolicy &policy,
                                            const LauncherSettings &settings);

} // namespace menu::core
