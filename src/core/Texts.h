// Every Slovak text the launcher shows, in one place. The texts are the users' own words:
// change them only together with their users. A CR (character 13) breaks a line in a box.
#pragma once

#include "core/Notice.h"
#include "core/UpdateCheck.h"
#include "core/UpdateOffer.h"
#include "core/VersionInfo.h"
#include "formats/Minisign.h"
#include "formats/Result.h"
#include "platform/Shell.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>

#include <system_error>

namespace menu::core::texts {

// ---- The system's reasons ----

// Why the system refused, in Slovak where the launcher knows the error, else as the system
// words it, with its number.
QString reason(const std::error_code &code);
QString reason(const Failure &failure);

// ---- The application ----

// The application title; also the title of the box of errors no handler caught.
QString appTitle();
// Such an error as the box shows it: a full stop is appended when the last character's code is
// above that of the full stop ("...menu.ini" gets one, "... !" does not).
QString faultMessage(const QString &text);
QString unknownFault();
QString installationRefused(const QString &launcherVersion);
// menu.ini could not be written: "Unable to write to <file>", then why; another seat or user
// that kept its lock past the wait, or a file kept busy, is told as settingsInUse.
QString settingsNotWritten(const Failure &failure);
QString settingsInUse(const QString &file);

// The update check's settings could not be saved.
QString checkSettingsNotSaved(const Failure &failure);

// ---- The menu ----

QString noModules();
// The third caption line: "v" + version, or what kept the version from being read.
QString versionLine(const VersionText &version);
QString notInstalledLine();
// The four lines of a button's caption: name, second line, version line, empty (CR between).
QString buttonCaption(const QString &name, const QString &second, const QString &versionLine);
QString submenuNotCreated(const QString &section);
QString buttonNotCreated(int number);

// ---- Launching ----

QString entryNotFound(const QString &module, const QString &section);
QString launchUndefined(const QString &name);
QString launchMissing(const QString &name, const QString &path);
// The box of a failed start; empty when the shell's result needs none (started, or 5 without
// a reason: the user cancelled the system's question).
QString launchFailed(const QString &name, const platform::ShellResult &result);
// The box of an installer whose process did not come up: why, and that the launcher stays.
QString installerNotStarted(const platform::ShellResult &result);

// ---- The desktop shortcut ----

QString shortcutExists(const QString &file);
QString shortcutQuestion();
QString shortcutCreatedForAllUsers();
QString shortcutCreatedForCurrentUser();
QString shortcutNotCreated();

// ---- The status bar ----

QString statusVersion(const QString &version, const QString &date);
QString statusLastCheck(const QString &lastCheck, const QDate &today);
QString statusPackage(const QString &packageDir);
QString statusCopyright();

// ---- The internet ----

// The internet test itself failed.
QString internetTestFailed();
QString noInternet();
// A box for a failed internet test: its text, an empty line, the system's reason.
QString internetTestFailedBox(const QString &text, const QString &hint);

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

QString checkNotStarted();
// The short error text of an HTTP result code: empty for 100 to 299.
QString httpResult(std::int32_t code);
QString downloadCritical();
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
QString badContentLength(const QString &value);
QString documentNotRead(const Failure &failure);

// ---- Unpacking the launcher's package ----

QString unpackDirNotCreated(const QString &dir);
QString unpackDirNotOpened(const Failure &failure);
QString folderNotCreated(const Failure &failure);
QString folderAttributesNotSet(const Failure &failure);
QString fileNotCreated(const Failure &failure);
QString fileNotWritten(const Failure &failure);
QString fileAttributesNotSet(const Failure &failure);
QString filesNotFlushed(const Failure &failure);
QString entryOutsideUnpackDir(const QString &name);
QString entryWithoutName(const QString &name);
QString notEnoughSpace(quint64 needed, qint64 available);
QString unpackBox(const QString &text);  // "POZOR !" over the text
QString unpackNote(const QString &text); // "Prerušenie ! " before the text
QString archiveStillOpen();
QString unpackingStillOpen();
QString unpackFailed();
QString installerMissing();
QString unpacking();
QString unpacked();

// ---- Reading ZIP archives ----

QString notAnArchive(const QString &file);
QString archiveNotOpened(const QString &file, const QString &why);
QString archiveOnManyDisks(const QString &file);
QString archiveDamaged(const QString &file, const QString &why);
QString archiveInconsistent();
QString archiveNotOpen();
QString archiveEntryMissing(qint64 index);
QString archiveEntryNotRead(qint64 index, const QString &why);
QString entryEncrypted(const QString &name);
QString entryMethodUnsupported(const QString &name);
QString entryNotOpened(const QString &name, const QString &why);
QString entryNotOpen(const QString &name);
QString entrySizeWrong(const QString &name);
QString entryChecksumWrong(const QString &name);
QString entryDataBroken(const QString &name);
QString entryIncomplete(const QString &name);
QString entryDataNotRead(const QString &name, const QString &why);

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
QString proxyRefused();
QString proxyRefusedHint(const QString &reason);
QString proxyCredentials();
QString proxyCredentialsHint(const QString &reason);

// ---- Installing a downloaded file: its announcement, its private directory, the bounds of
// unpacking, and stopping a download ----

// The announcement names no file: there is nothing to download.
QString nothingToDownload();
// A build with trusted keys installs only a file whose length and SHA-256 were announced.
QString fileNotVerifiable();
// The private directory for the launcher's package could not be made in dir.
QString workDirNotCreated(const QString &dir, const Failure &failure);
// "Koniec" while a file downloads.
QString stopDownloadQuestion();
QString tooManyEntries(qint64 count, qint64 limit);
QString unpackedTooLarge(quint64 bytes, quint64 limit);
QString entryTooDeep(const QString &name, qsizetype limit);

// ---- What the user trips over: refused starts, a second launcher ----

// The system refused to run the file (5 with a reason): no run permission, or a disk that
// does not allow programs to be run from it.
QString launchNotAllowed(const Failure &failure);
// A failed start without a row of its own: the system's reason where there is one, else the
// number.
QString unknownLaunchFailure(int code, const std::optional<Failure> &reason);
// A second start found the launcher running, but the running one did not answer.
QString launcherNotAnswering();
// The single-instance claim itself failed, so this start cannot know whether it is the only one:
// why, and that it ends.
QString instanceClaimFailed(const Failure &failure);

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
