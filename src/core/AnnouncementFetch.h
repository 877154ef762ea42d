// The update information as the launcher takes it in: the document fetched into memory, its
// minisign signature fetched from beside it, and the verdict on both against the trusted keys.
// It runs on the check's background job, and stores nothing: what is accepted is stored later,
// on the user-interface thread.
#pragma once

#include "core/CancelToken.h"
#include "core/Download.h"
#include "formats/Minisign.h"

#include <QByteArray>
#include <QString>

#include <span>

namespace menu::core {

// Today's document has a few hundred bytes; a larger one is refused before it is read.
inline constexpr qint64 kAnnouncementMax = 1024 * 1024;
// The signature's address is the document's with this added ("orvan_akt.ini.minisig").
inline constexpr char kSignatureSuffix[] = ".minisig";

enum class SignatureState {
    NotRequired, // a build without keys trusts its network: no signature is fetched
    Good,
    Missing, // not to be had from the server
    Bad,     // malformed, legacy, unknown key, or not matching the document
};

struct FetchedAnnouncement {
    bool arrived = false; // the document arrived whole (and within the limit)
    bool cancelled = false;
    QByteArray document;
    SignatureState signature = SignatureState::NotRequired;
    QString keyId;            // the signing key's id, whenever the signature could be read
    QByteArray signatureFile; // as fetched, kept with the document once accepted
    qint64 signedAt = 0;      // the time of signing of an accepted signature (seconds since 1970)
    // Arrived and, where keys are trusted, signed well by one of them with a time of signing.
    bool accepted = false;
    // Why not accepted: the transfer's texts, or the refusal's (label text and tooltip).
    QString text;
    QString hint;
};

// Fetches the document at url and, when keys are given, url + ".minisig", and judges them.
// options carry the transfer's cancel, wait limit and authorities; the sizes are the documents'.
FetchedAnnouncement fetchAnnouncement(const QString &url,
                                      std::span<const formats::MinisignKey> keys,
                                      const DownloadOptions &options = {});

} // namespace menu::core
