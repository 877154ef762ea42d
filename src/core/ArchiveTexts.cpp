// The catalogue's texts of reading ZIP archives (declared in Texts.h).
#include "core/ArchiveTexts.h"

namespace menu::core::texts {

namespace {
QString entry(const QString &name, const char *what)
{
    return QStringLiteral("Súbor ") + name + QString::fromUtf8(what);
}
} // namespace

QString notAnArchive(const QString &file)
{
    return entry(file, " nie je archív ZIP !");
}

QString archiveNotOpened(const QString &file, const QString &why)
{
    return QStringLiteral("Archív ") + file + QStringLiteral(" sa nepodarilo otvoriť (") + why +
           QStringLiteral(") !");
}

QString archiveOnManyDisks(const QString &file)
{
    return QStringLiteral("Archív ") + file +
           QStringLiteral(" je rozdelený na viac častí, čo nie je podporované !");
}

QString archiveDamaged(const QString &file, const QString &why)
{
    return QStringLiteral("Archív ") + file + QStringLiteral(" je poškodený (") + why +
           QStringLiteral(") !");
}

QString archiveInconsistent()
{
    return QStringLiteral("obsah archívu si odporuje");
}

QString archiveNotOpen()
{
    return QStringLiteral("Archív nie je otvorený !");
}

QString archiveEntryMissing(qint64 index)
{
    return QStringLiteral("Položka archívu ") + QString::number(index) +
           QStringLiteral(" neexistuje !");
}

QString archiveEntryNotRead(qint64 index, const QString &why)
{
    return QStringLiteral("Položku archívu ") + QString::number(index) +
           QStringLiteral(" sa nepodarilo prečítať (") + why + QStringLiteral(") !");
}

QString entryEncrypted(const QString &name)
{
    return entry(name, " v archíve je zašifrovaný !");
}

QString entryMethodUnsupported(const QString &name)
{
    return entry(name, " v archíve je komprimovaný nepodporovanou metódou !");
}

QString entryNotOpened(const QString &name, const QString &why)
{
    return entry(name, " z archívu sa nepodarilo otvoriť (") + why + QStringLiteral(") !");
}

QString entryNotOpen(const QString &name)
{
    return entry(name, " z archívu nie je otvorený !");
}

QString entrySizeWrong(const QString &name)
{
    return entry(name, " v archíve je poškodený (nesúhlasí veľkosť) !");
}

QString entryChecksumWrong(const QString &name)
{
    return entry(name, " v archíve je poškodený (nesúhlasí kontrolný súčet) !");
}

QString entryDataBroken(const QString &name)
{
    return entry(name, " v archíve je poškodený (chybné komprimované údaje) !");
}

QString entryIncomplete(const QString &name)
{
    return entry(name, " v archíve je neúplný !");
}

QString entryDataNotRead(const QString &name, const QString &why)
{
    return entry(name, " z archívu sa nepodarilo prečítať (") + why + QStringLiteral(") !");
}

QString archiveStillOpen()
{
    return QStringLiteral("Archív je práve otvorený !");
}

QString unpackingStillOpen()
{
    return QStringLiteral("Dekomprimácia je práve otvorená !");
}

QString unpackFailed()
{
    return QStringLiteral("Chyba pri dekomprimácii !");
}

QString installerMissing()
{
    return QStringLiteral("Rozpakovaný súbor setup.exe nenájdený !");
}

QString unpacking()
{
    return QStringLiteral("Dekomprimácia súborov ...");
}

QString unpacked()
{
    return QStringLiteral("Dekomprimácia súborov úspešná ...");
}

} // namespace menu::core::texts
