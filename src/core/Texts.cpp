#include "core/Texts.h"

#include "platform/Files.h"

#include <cerrno>

namespace menu::core::texts {

namespace {

QString shown(const Failure &failure)
{
    return platform::nativePath(failure.path);
}

// " (reason) !" after a file's failure.
QString because(const Failure &failure)
{
    return QStringLiteral(" (") + reason(failure) + QStringLiteral(") !");
}

} // namespace

QString reason(const std::error_code &code)
{
    if (code.category() == std::generic_category()) {
        switch (code.value()) {
        case ENOENT:
            return QStringLiteral("súbor alebo adresár neexistuje");
        case ENOTDIR:
            return QStringLiteral("časť cesty nie je adresár");
        case EISDIR:
            return QStringLiteral("je to adresár");
        case EACCES:
            return QStringLiteral("prístup bol odmietnutý");
        case EPERM:
            return QStringLiteral("operácia nie je povolená");
        case EROFS:
            return QStringLiteral("disk je iba na čítanie");
        case ENOSPC:
            return QStringLiteral("na disku nie je dosť miesta");
        case EDQUOT:
            return QStringLiteral("bola prekročená kvóta disku");
        case EEXIST:
            return QStringLiteral("súbor už existuje");
        case EFBIG:
            return QStringLiteral("súbor je príliš veľký");
        case EIO:
            return QStringLiteral("chyba pri čítaní alebo zápise na disk");
        case ENAMETOOLONG:
            return QStringLiteral("meno súboru je príliš dlhé");
        case ELOOP:
            return QStringLiteral("príliš veľa symbolických odkazov za sebou");
        case ETXTBSY:
            return QStringLiteral("súbor je práve spustený");
        case EBUSY:
            return QStringLiteral("súbor alebo zariadenie je obsadené");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("je otvorených príliš veľa súborov");
        case ENOMEM:
            return QStringLiteral("nedostatok pamäte");
        case EINVAL:
            return QStringLiteral("hodnotu nie je možné uložiť");
        case EILSEQ:
            return QStringLiteral("text obsahuje znaky, ktoré kódovanie súboru neobsahuje");
        case EXDEV:
            return QStringLiteral("súbor nie je možné presunúť na iný disk");
        case ENOEXEC:
            return QStringLiteral("súbor nie je spustiteľný program");
        case EAGAIN:
            return QStringLiteral("prostriedok je dočasne nedostupný");
        case EBADF:
            return QStringLiteral("súbor nie je otvorený");
        case ENOTEMPTY:
            return QStringLiteral("adresár nie je prázdny");
        case ETIMEDOUT:
            return QStringLiteral("vypršal časový limit");
        case ECONNREFUSED:
            return QStringLiteral("spojenie bolo odmietnuté");
        case ENETUNREACH:
            return QStringLiteral("sieť je nedostupná");
        case EHOSTUNREACH:
            return QStringLiteral("počítač je nedostupný");
        default:
            break;
        }
    }
    return QStringLiteral("chyba systému %1: %2")
        .arg(code.value())
        .arg(QString::fromLocal8Bit(code.message()));
}

QString reason(const Failure &failure)
{
    return reason(failure.code);
}

QString internetTestFailed()
{
    return QStringLiteral("POZOR ! Chyba pri zisťovaní pripojenia na internet !");
}

QString unpackDirNotCreated(const QString &dir)
{
    return QStringLiteral("Dočasný adresár ") + dir + QStringLiteral(" sa nepodarilo vytvoriť !");
}

QString unpackDirNotOpened(const Failure &failure)
{
    if (failure.is(std::errc::not_a_directory))
        return QStringLiteral("Adresár ") + shown(failure) + QStringLiteral(" nie je adresár !");
    return QStringLiteral("Adresár ") + shown(failure) + QStringLiteral(" sa nepodarilo otvoriť") +
           because(failure);
}

QString folderNotCreated(const Failure &failure)
{
    if (failure.is(std::errc::not_a_directory))
        return QStringLiteral("Adresár ") + shown(failure) + QStringLiteral(" nie je adresár !");
    return QStringLiteral("Adresár ") + shown(failure) + QStringLiteral(" sa nepodarilo vytvoriť") +
           because(failure);
}

QString folderAttributesNotSet(const Failure &failure)
{
    if (failure.is(std::errc::not_a_directory))
        return QStringLiteral("Adresár ") + shown(failure) + QStringLiteral(" nie je adresár !");
    return QStringLiteral("Atribúty adresára ") + shown(failure) +
           QStringLiteral(" sa nepodarilo nastaviť") + because(failure);
}

QString fileNotCreated(const Failure &failure)
{
    if (failure.is(std::errc::not_a_directory))
        return QStringLiteral("Adresár ") + shown(failure) + QStringLiteral(" nie je adresár !");
    if (failure.is(std::errc::is_a_directory))
        return QStringLiteral("Súbor ") + shown(failure) +
               QStringLiteral(" nie je možné zapísať, je to adresár !");
    return QStringLiteral("Súbor ") + shown(failure) + QStringLiteral(" sa nepodarilo vytvoriť") +
           because(failure);
}

QString fileNotWritten(const Failure &failure)
{
    return QStringLiteral("Súbor ") + shown(failure) + QStringLiteral(" sa nepodarilo zapísať") +
           because(failure);
}

QString fileAttributesNotSet(const Failure &failure)
{
    return QStringLiteral("Súbor ") + shown(failure) +
           QStringLiteral(" - atribúty sa nepodarilo nastaviť") + because(failure);
}

QString filesNotFlushed(const Failure &failure)
{
    return QStringLiteral("Súbory v adresári ") + shown(failure) +
           QStringLiteral(" sa nepodarilo zapísať na disk") + because(failure);
}

QString entryOutsideUnpackDir(const QString &name)
{
    return QStringLiteral("Súbor ") + name +
           QStringLiteral(" z archívu by sa zapísal mimo adresára rozbalenia !");
}

QString entryWithoutName(const QString &name)
{
    return QStringLiteral("Súbor ") + name + QStringLiteral(" v archíve nemá platné meno !");
}

QString notEnoughSpace(quint64 needed, qint64 available)
{
    return QStringLiteral("Na disku nie je dosť miesta na rozbalenie archívu (potrebných ") +
           QString::number(needed) + QStringLiteral(" b, voľných ") + QString::number(available) +
           QStringLiteral(" b) !");
}

} // namespace menu::core::texts
