// Texts of downloads that cannot be abused: what the file must be, the bounds of a transfer,
// TLS.
// The texts are the users' own words: change them only together with their users. A CR
// (character 13) breaks a line in a box.
#pragma once

#include <QString>

#include <cstdint>

namespace menu::core::texts {

// ---- Downloads that cannot be abused: what the file must be, the bounds of a transfer ----

// A status other than 200 (204, 206, ...) where a file was expected.
QString statusNotAFile(std::int32_t code);
QString emptyFile();
// The expected length or hash cannot be met by any file.
QString announcedLengthInvalid(qint64 length);
QString announcedHashInvalid(const QString &hash);
// The body, or its announced length, above the cap.
QString fileTooLarge(qint64 length, qint64 limit);
QString fileTooLarge(qint64 limit);
// The body differs from what was announced; each names both values.
QString fileLengthWrong(qint64 length, qint64 announced);
QString fileLongerThanAnnounced(qint64 received, qint64 announced);
QString fileHashWrong(const QString &sha256, const QString &announced);
// The details of a transfer that was stopped.
QString headerTooLong(qint64 limit);
QString transferTooSlow(qint64 bytes, const QString &seconds, qint64 minRate);
QString transferTooLong(const QString &seconds);
// An HTTPS server whose certificate is not trusted, or with which no TLS connection came
// about: the label's text and the detail with libcurl's words.
QString certificateRejected();
QString certificateRejectedHint(const QString &reason);
QString secureConnectionFailed();
QString secureConnectionFailedHint(const QString &reason);
// A transfer that got no answer, by its cause; each hint ends with libcurl's words. A server
// that cannot be reached keeps the launcher's old "Server nenájdený (500)!".
QString nameNotResolved(const QString &host);
QString nameNotResolvedHint(const QString &host, const QString &reason);
QString serverUnreachableHint(const QString &reason);
// The proxy between the launcher and the server refused the request, or asks for credentials
// that it did not get or did not accept: the label's text and the detail with libcurl's words.
QString proxyRefused();
QString proxyRefusedHint(const QString &reason);
QString proxyWantsCredentials();
QString proxyWantsCredentialsHint(const QString &reason);

} // namespace menu::core::texts
