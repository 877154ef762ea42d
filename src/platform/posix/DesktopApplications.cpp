#include "platform/posix/DesktopApplications.h"

#include "platform/posix/Gio.h"

#include <QRegularExpression>

namespace menu::platform {

std::optional<bool> desktopOpens(const QString &path)
{
    const std::optional<QString> info =
        gioSays({QStringLiteral("info"), QStringLiteral("--attributes=standard::content-type"),
                 QStringLiteral("--"), path});
    if (!info)
        return std::nullopt;
    const QRegularExpressionMatch type =
        QRegularExpression(QStringLiteral("^\\s*standard::content-type: (\\S+)\\s*$"),
                           QRegularExpression::MultilineOption)
            .match(*info);
    if (!type.hasMatch())
        return std::nullopt;
    const std::optional<QString> apps =
        gioSays({QStringLiteral("mime"), QStringLiteral("--"), type.captured(1)});
    if (!apps)
        return std::nullopt;
    if (apps->startsWith(QLatin1String("Default application for")))
        return true;
    if (apps->startsWith(QLatin1String("No default applications for")))
        return false;
    return std::nullopt;
}

} // namespace menu::platform
