#include "core/EntryTexts.h"

#include <QFileInfo>

namespace menu::core {

QString versionLine(unsigned result, const QString &version)
{
    switch (result) {
    case 0:
        return QStringLiteral("v") + version;
    case 1:
        return QStringLiteral("verzia nezistená");
    case 2:
        return QStringLiteral("verzia neznáma");
    default:
        return QStringLiteral("program neexistuje");
    }
}

QString buttonCaption(const QString &name, const QString &second, const QString &versionLine)
{
    const QChar cr(13);
    return name + cr + second + cr + versionLine + cr;
}

QString missingButtonCaption(const QString &name, const QString &second)
{
    return buttonCaption(name, second, QStringLiteral("(bez inštalácie)"));
}

EntryPicture entryPictureFor(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    // A name like "readme." or one without a dot has no extension to go by.
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return EntryPicture::None;
    if (suffix == QLatin1String("exe"))
        return EntryPicture::ProgramIcon;
    if (suffix == QLatin1String("pdf"))
        return EntryPicture::Pdf;
    if (suffix == QLatin1String("chm"))
        return EntryPicture::Chm;
    if (suffix == QLatin1String("url"))
        return EntryPicture::Url;
    if (suffix == QLatin1String("bat"))
        return EntryPicture::Bat;
    return EntryPicture::None;
}

QString entryNotFoundText(const QString &module, const QString &section)
{
    return QStringLiteral("POZOR ! V súbore orvan-") + module +
           QStringLiteral(".ini je chyba pri deklarácii sekcie ") + section + QStringLiteral(" !");
}

QString launchUndefinedText(const QString &name)
{
    return QStringLiteral("Pri aplikácii ") + name +
           QStringLiteral(" spúšťací súbor nie je definovaný !");
}

QString launchMissingText(const QString &name, const QString &path)
{
    return QStringLiteral("Aplikácia ") + name + QStringLiteral(" nie je inštalovaná !") +
           QChar(13) + QStringLiteral("Súbor ") + path + QStringLiteral(" neexistuje !");
}

namespace {
QString launchReason(int result)
{
    switch (result) {
    case 0:
        return QStringLiteral("Operačný systém má nedostatok pamäte alebo zdrojov !");
    case 2:
        return QStringLiteral("Súbor nebol nájdený !");
    case 3:
        return QStringLiteral("Cesta k súboru sa nenašla !");
    case 8:
        return QStringLiteral("Nebol dostatok pamäte na dokončenie operácie !");
    case 11:
        return QStringLiteral("Súbor je pravdepodobne poškodený !");
    case 26:
        return QStringLiteral("Došlo k porušeniu zdieľania !");
    case 27:
        return QStringLiteral("Názov súboru je neplatný alebo neúplný !");
    case 28:
        return QStringLiteral(
            "Transakcia DDE nemôže byť dokončená, pretože vypršal časový limit žiadosti !");
    case 29:
        return QStringLiteral("Transakcia DDE zlyhala !");
    case 30:
        return QStringLiteral("Transakcia DDE nemôže byť dokončená, pretože ostatní DDE transakcie "
                              "boli spracované !");
    case 31:
        return QStringLiteral("Neexistuje aplikácia, súvisiaca s danou príponou súboru !");
    case 32:
        return QStringLiteral("Špecifikovaná DLL sa nenašla !");
    default:
        return QStringLiteral("Neznáma chyba číslo ") + QString::number(result) +
               QStringLiteral(" !");
    }
}
} // namespace

QString launchFailedText(const QString &name, int result)
{
    if (result > 32 || result == 5)
        return {};
    const QChar cr(13);
    return QStringLiteral("Chyba pri spustení aplikácie ") + name + cr + cr + launchReason(result);
}

QString submenuCreateErrorText(const QString &section)
{
    return QStringLiteral("POZOR ! Chyba pri vytváraní podponuky pre ") + section +
           QStringLiteral(" !");
}

QString buttonCreateErrorText(int number)
{
    return QStringLiteral("POZOR ! Pravdepodobne chyba pri vytváraní tlačidla BitBtn") +
           QString::number(number) + QStringLiteral(" !");
}

} // namespace menu::core
