// Shell link files (.lnk, the MS-SHLLINK format) made by the launcher's own encoder.
//
// A link carries its target as the local base path of its LinkInfo, in the system code page
// (Windows-1250 for the package's Slovak users) and in UTF-16, and the working directory and
// icon location as UTF-16 strings. Paths are kept exactly as given: a link made here for a
// target on this system names that target as this system writes it.
#pragma once

#include "formats/Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace menu::formats {

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

// The bytes of a link file; refuses what the format cannot hold (no target, a null
// character, a text longer than 65535 characters) with invalid_argument.
Result<QByteArray> shellLinkEncode(const ShellLinkData &link);

} // namespace menu::formats
