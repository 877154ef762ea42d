// The catalogue's texts of installing a downloaded file (declared in Texts.h).
#include "core/InstallTexts.h"
#include "core/Texts.h"
#include "platform/Files.h"

namespace menu::core::texts {

QString nothingToDownload()
{
    return QStringLiteral("Na internete nie je zverejnený žiadny súbor na stiahnutie !");
}

QString fileNotVerifiable()
{
    return QStringLiteral("Súbor na internete nemá ohlásenú veľkosť a kontrolný súčet SHA-256, "
                          "preto ho nie je možné overiť ani nainštalovať !");
}

QString workDirNotCreated(const QString &dir, const Failure &failure)
{
    return QStringLiteral("Dočasný adresár v ") + platform::nativePath(dir) +
           QStringLiteral(" sa nepodarilo vytvoriť (") + reason(failure) + QStringLiteral(") !");
}

QString stopDownloadQuestion()
{
    return QStringLiteral("Prerušiť sťahovanie ?");
}

QString tooManyEntries(qint64 count, qint64 limit)
{
    return QStringLiteral("Archív obsahuje príliš veľa položiek (") + QString::number(count) +
           QStringLiteral(", najviac ") + QString::number(limit) + QStringLiteral(") !");
}

QString unpackedTooLarge(quint64 bytes, quint64 limit)
{
    return QStringLiteral("Rozbalený obsah archívu by bol príliš veľký (") +
           QString::number(bytes) + QStringLiteral(" b, najviac ") + QString::number(limit) +
           QStringLiteral(" b) !");
}

QString entryTooDeep(const QString &name, qsizetype limit)
{
    return QStringLiteral("Súbor ") + name +
           QStringLiteral(" v archíve je vnorený príliš hlboko (viac ako ") +
           QString::number(limit) + QStringLiteral(" úrovní) !");
}

} // namespace menu::core::texts
