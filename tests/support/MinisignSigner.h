// Signatures in minisign's format for the tests of the signed update road, made in the test
// process with libsodium, so that they run wherever the tests run (under Wine too). The keys
// are fixed pairs made once by the minisign program (minisign -G -W); a test proves on Linux
// that minisign accepts what is signed here.
#pragma once

#include <QByteArray>
#include <QString>

namespace menu::test {

enum class MinisignFormat {
    Prehashed, // "ED": the message's BLAKE2b-512 is signed, minisign's default
    Legacy,    // "Ed": the message itself (minisign -l)
};

// The minisign program, or empty when it is not installed.
QString minisignProgram();

// The public key's line ("RW...") of the fixed pair name ("a" or "b"); empty for another.
QByteArray minisignPublicKey(const QString &name);
// The secret key file of the fixed pair, unencrypted, as minisign -S reads it.
QByteArray minisignSecretKeyFile(const QString &name);

// A signature file of message by the fixed pair name, with the trusted comment (null:
// minisign's own, with the time of signing now).
QByteArray minisignSignature(const QString &name, const QByteArray &message,
                             const QString &trustedComment = QString(),
                             MinisignFormat format = MinisignFormat::Prehashed);

} // namespace menu::test
