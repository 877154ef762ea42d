// Signatures made with the minisign tool (Ed25519), checked as minisign itself checks them: the
// signature over the message and the global signature over that signature and its trusted
// comment. The vendor signs the update announcement this way; the launcher trusts a short list
// of compiled-in public keys, so that a key can be replaced without breaking older launchers.
//
// A signature file is four lines, LF or CRLF, the last newline optional (blank lines may follow,
// as minisign ignores them):
//   untrusted comment: <anything>
//   <base64 of: algorithm (2) | key id (8) | Ed25519 signature (64)>
//   trusted comment: <text>
//   <base64 of: Ed25519 signature over (the 64 signature bytes | the trusted comment)>
// Algorithm "ED" signs the BLAKE2b-512 hash of the message. The legacy algorithm "Ed" signs the
// message itself and is refused with its own verdict: minisign has signed hashed by default for
// years, so a legacy file in place of the announcement's signature means someone downgraded it.
//
// Everything here is public data, so nothing needs constant-time handling.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>
#include <span>

namespace menu::formats {

using MinisignKeyId = std::array<unsigned char, 8>;

// A trusted public key: its id (as stored, 8 bytes) and its Ed25519 key.
struct MinisignKey {
    MinisignKeyId id{};
    std::array<unsigned char, 32> key{};

    friend bool operator==(const MinisignKey &, const MinisignKey &) = default;
};

// Longer signature files and key texts are refused before they are read: minisign writes a
// signature file of about 300 bytes plus its comments, and a .pub file of about 100 bytes. The
// vendor's comments are short; a trusted comment of more than about 3.7 KB does not fit.
inline constexpr qsizetype kMinisignMaxSignatureFile = 4096;
inline constexpr qsizetype kMinisignMaxKeyText = 1024;

// A public key in minisign's text form: the base64 line of a .pub file, or the whole file (an
// "untrusted comment: " line, then that line). Blanks and newlines around it are allowed.
// Nothing when the base64 is not canonical, the length is not 42 bytes or the algorithm is not
// "Ed".
std::optional<MinisignKey> parseMinisignKey(QByteArrayView text);

// The key id as minisign prints it: the stored bytes read as a little-endian number, in
// upper-case hex without leading zeros ("3D560E6B504BD18").
QString minisignKeyIdText(const MinisignKeyId &id);

enum class MinisignVerdict {
    Good,
    Malformed,         // not as minisign writes it, an unknown algorithm, or too long
    Legacy,            // algorithm "Ed" (unhashed): refused, see above
    UnknownKey,        // signed by a key that is not in the trusted list
    BadSignature,      // the message is not the one signed
    BadTrustedComment, // the trusted comment or its global signature was changed
    Unchecked,         // libsodium could not start: nothing can be checked, so nothing is good
};

struct MinisignCheck {
    MinisignVerdict verdict = MinisignVerdict::Malformed;
    // The signing key's id (minisignKeyIdText) whenever the signature line could be read.
    QString keyId;
    // The trusted comment as UTF-8 text; empty unless the verdict is Good, since it is only
    // trustworthy then.
    QString trustedComment;
};

// Checks a signature file against the message with the key of the list whose id it names.
// Thread-safe; never throws.
MinisignCheck verifyMinisign(QByteArrayView message, QByteArrayView signatureFile,
                             std::span<const MinisignKey> trustedKeys);

// The time of signing that minisign writes into the trusted comment by default
// ("timestamp:1700000000\tfile:orvan_akt.ini\thashed"), in seconds since 1970; nothing when the
// comment has no such field or its value is no whole number.
std::optional<qint64> minisignTimestamp(const QString &trustedComment);

} // namespace menu::formats
