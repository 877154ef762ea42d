// Desktop entry files (.desktop) as freedesktop desktops start them: the shortcut a free
// desktop shows and runs, as the shell link is on Windows.
#pragma once

#include "formats/Result.h"

#include <QByteArray>
#include <QString>

namespace menu::formats {

struct DesktopEntryData {
    QString name;       // as the desktop shows it
    QString program;    // full path of the started program; required
    QString workingDir; // empty: none
    QString icon;       // a full path of an image, or an icon theme's name; empty: none
};

// The bytes of a desktop entry starting the program without arguments, in UTF-8 with the
// format's escapes; refuses what the format cannot hold (no program, a null character) with
// invalid_argument.
Result<QByteArray> desktopEntryEncode(const DesktopEntryData &entry);

} // namespace menu::formats
