#include "core/UpdateAddress.h"

namespace menu::core {

QString withUpdateHost(const QString &address, const QString &newHost)
{
    QString host = newHost.trimmed();
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    if (host.isEmpty())
        return address;
    const qsizetype schemeEnd = address.indexOf(QLatin1String("://"));
    const qsizetype hostStart = schemeEnd < 0 ? 0 : schemeEnd + 3;
    qsizetype pathStart = address.indexOf(QLatin1Char('/'), hostStart);
    if (pathStart < 0)
        pathStart = address.size();
    // A host given with its own scheme ("https://...") takes the place of the address's scheme.
    if (host.contains(QLatin1String("://")))
        return host + address.mid(pathStart);
    return address.left(hostStart) + host + address.mid(pathStart);
}

QString compiledUpdateAddress()
{
    return QString::fromUtf8(MENU_UPDATE_ADDRESS);
}

QString updateInfoUrl(const QString &updateAddress)
{
    return updateAddress + QStringLiteral("/orvan_akt.ini");
}

QString packageFilesUrl(const QString &updateAddress)
{
    return updateAddress + QStringLiteral("/FILES/");
}

} // namespace menu::core
