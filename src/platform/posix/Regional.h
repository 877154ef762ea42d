// Regional settings on this system: taken from the locale the user runs under
// (LC_ALL, LC_NUMERIC, LANG ... as Qt reads them).
#pragma once

#include "platform/Regional.h"

#include <QLocale>

namespace menu::platform::posix {

// The settings of locale, in the form the rest of the program expects: one date separator
// character and a short date format without blanks ("d. M. yyyy" becomes "d.M.yyyy", which is
// how a Slovak user types and reads dates), and a long time format without the time zone.
RegionalFormats formatsFromLocale(const QLocale &locale);

} // namespace menu::platform::posix
