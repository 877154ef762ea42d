// Shell link files (.lnk, the MS-SHLLINK format) written by the launcher's own encoder, so
// that the desktop shortcut is the same file on every system the package runs on.
//
// A link carries its target as the local base path of its LinkInfo, in the system code page
// (Windows-1250 for the package's Slovak users) and in UTF-16, and the working directory and
// icon location as UTF-16 strings. Paths are kept exactly as given: a link made here for a
// target on this system names that target as this system writes it.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace menu::core {

// What a shortcut says, plus what it records about its target.
struct ShellLinkData {
    QString target;       // full path of the target; required
    QString workingDir;   // empty: none
    QString iconLocation; // file holding the icon; empty: none
    int iconIndex = 0;
    QString description; // empty: none
    QString arguments;   // empty: none

    // The target's state when the link was made; left empty when the target is missing.
    quint32 fileAttributes = 0;
    quint32 fileSize = 0; // low 32 bits, as the format keeps it
    QDateTime created, accessed, written;
};

struct ShellLinkResult {
    QByteArray bytes; // the link file's bytes (encoded or written)
    QString error;    // the reason when it failed
    bool ok() const { return error.isEmpty(); }
};

// The attributes, size and times of the target at path; unchanged data when it is missing.
void shellLinkStatTarget(ShellLinkData &link);

// The bytes of a link file.
ShellLinkResult shellLinkEncode(const ShellLinkData &link);

// Writes a new link file at linkPath. An existing file (or anything else at that name) is
// never replaced, and a failed write leaves nothing behind.
ShellLinkResult shellLinkWrite(const QString &linkPath, const ShellLinkData &link);

// The launcher's shortcut: target, its first icon, no description and no arguments, and as
// working directory the part of workingDir up to and including its last separator (a slash
// or a backslash).
ShellLinkResult ShortcutCreate(const QString &workingDir, const QString &target,
                               const QString &linkPath);

} // namespace menu::core
