#include "platform/Regional.h"

namespace menu::platform {

RegionalFormats slovakFormats()
{
    return RegionalFormats{QLatin1Char(','), QLatin1Char('.'), QStringLiteral("d.M.yyyy"),
                           QStringLiteral("H:mm:ss"), QStringLiteral("€")};
}

QChar RegionalFormats::timeSeparator() const
{
    bool quoted = false;
    for (const QChar c : longTimeFormat) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return QLatin1Char(':');
}

} // namespace menu::platform
