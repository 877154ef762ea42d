// Texts shared by the whole launcher.
#pragma once

#include <QString>

namespace menu::core {

// The application title; also the title of the box of errors no handler caught.
inline QString appTitle()
{
    return QStringLiteral("ORVAN - Základná ponuka");
}

// The text of such an error as the box shows it: a full stop is appended when the last
// character's code is above that of the full stop ("...menu.ini" gets one, "... !" does not).
QString faultMessage(const QString &text);

} // namespace menu::core
