// The launcher's general texts: the system's reasons, the application, the menu, starting
// programs, the desktop shortcut, the status bar and the internet test.
// The texts are the users' own words: change them only together with their users. A CR
// (character 13) breaks a line in a box.
#pragma once

#include "core/VersionInfo.h"
#include "formats/Result.h"
#include "platform/Shell.h"

#include <QDate>
#include <QString>

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

// ---- The update dialog ----

QString checkNotStarted();
QString downloadCritical();
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

} // namespace menu::core::texts
