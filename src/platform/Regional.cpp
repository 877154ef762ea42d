#include "platform/Regional.h"

namespace menu::platform {

RegionalFormats slovakFormats()
{
    return RegionalFormats{QLatin1Char(','), QLatin1Char('.'), QStringLiteral("d.M.yyyy"),
                           QStringLiteral("H:mm:ss"), QStringLiteral("€")};
}

} // namespace menu::platform
