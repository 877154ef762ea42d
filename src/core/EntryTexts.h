// What module buttons and submenu entries say and show, and the texts of launching them.
#pragma once

#include <QString>

namespace menu::core {

// The version line of a button from the result of reading the version: "v" + version,
// "verzia nezistená", "verzia neznáma" or "program neexistuje".
QString versionLine(unsigned result, const QString &version);

// The four-line caption of a button: name, second line, version line, empty line (CR between).
QString buttonCaption(const QString &name, const QString &second, const QString &versionLine);
// The caption of a button whose target is missing.
QString missingButtonCaption(const QString &name, const QString &second);

// The picture of a submenu entry by its target's kind (extension compared without case).
enum class EntryPicture { ProgramIcon, Pdf, Chm, Url, Bat, None };
EntryPicture entryPictureFor(const QString &path);

// Launch failures.
QString entryNotFoundText(const QString &module, const QString &section);
QString launchUndefinedText(const QString &name);
QString launchMissingText(const QString &name, const QString &path);
// The box of a shell result of 32 or below (5 says nothing and has no text).
QString launchFailedText(const QString &name, int result);

// The button and submenu errors while the menu is built.
QString submenuCreateErrorText(const QString &section);
QString buttonCreateErrorText(int number);
inline QString noModulesNotice()
{
    return QStringLiteral("Moduly programového balíka ORVAN nie sú inštalované ...");
}

} // namespace menu::core
