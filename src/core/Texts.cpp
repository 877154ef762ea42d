#include "core/Texts.h"
#include "core/UserTexts.h"

#include "platform/Files.h"

#include <cerrno>

namespace menu::core::texts {

namespace {

const QChar kCr(13);

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

namespace {

// The errors of files and processes in the user's words; empty for any other.
QString fileReason(int error)
{
    switch (error) {
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
#ifdef EDQUOT // Windows has no errno for it; its own code comes with its own words
    case EDQUOT:
        return QStringLiteral("bola prekročená kvóta disku");
#endif
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
        return QStringLiteral("súbor je práve používaný");
    case EBUSY:
        return QStringLiteral("súbor alebo zariadenie je obsadené");
    case ENOTEMPTY:
        return QStringLiteral("adresár nie je prázdny");
    case EXDEV:
        return QStringLiteral("súbor nie je možné presunúť na iný disk");
    case ENOEXEC:
        return QStringLiteral("súbor nie je spustiteľný program");
    case EBADF:
        return QStringLiteral("súbor nie je otvorený");
    default:
        return {};
    }
}

// The other errors the launcher meets: resources, values and the network.
QString otherReason(int error)
{
    switch (error) {
    case EMFILE:
    case ENFILE:
        return QStringLiteral("je otvorených príliš veľa súborov");
    case ENOMEM:
        return QStringLiteral("nedostatok pamäte");
    case EINVAL:
        return QStringLiteral("hodnotu nie je možné uložiť");
    case EILSEQ:
        return QStringLiteral("text obsahuje znaky, ktoré kódovanie súboru neobsahuje");
    case EAGAIN:
        return QStringLiteral("prostriedok je dočasne nedostupný");
    case ETIMEDOUT:
        return QStringLiteral("vypršal časový limit");
    case ECONNREFUSED:
        return QStringLiteral("spojenie bolo odmietnuté");
    case ENETUNREACH:
        return QStringLiteral("sieť je nedostupná");
    case EHOSTUNREACH:
        return QStringLiteral("počítač je nedostupný");
    default:
        return {};
    }
}

} // namespace

QString reason(const std::error_code &code)
{
    if (code.category() == std::generic_category()) {
        QString text = fileReason(code.value());
        if (text.isEmpty())
            text = otherReason(code.value());
        if (!text.isEmpty())
            return text;
    }
    return QStringLiteral("chyba systému %1: %2")
        .arg(code.value())
        .arg(QString::fromLocal8Bit(code.message()));
}

// A Windows error without an errno twin keeps its number; the system's own words that came
// with it (in the language of the user's Windows) say more than the runtime's message for it.
QString reason(const Failure &failure)
{
    if (failure.code.category() != std::generic_category() && !failure.detail.isEmpty())
        return QStringLiteral("chyba systému %1: %2").arg(failure.code.value()).arg(failure.detail);
    return reason(failure.code);
}

QString appTitle()
{
    return QStringLiteral("ORVAN - Základná ponuka");
}

QString faultMessage(const QString &text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

QString unknownFault()
{
    return QStringLiteral("Neznáma chyba");
}

QString installationRefused(const QString &launcherVersion)
{
    return QStringLiteral("Program ORVAN-Základná ponuka v") + launcherVersion +
           QStringLiteral(" nie je spustený z povoleného adresára !") + QStringLiteral("\r\r") +
           QStringLiteral("Koniec programu !");
}

QString settingsInUse(const QString &file)
{
    return QStringLiteral("Nastavenia v súbore ") + file +
           QStringLiteral(" práve používa iný počítač alebo používateľ.") + kCr + kCr +
           QStringLiteral("Zmeny sa neuložili.");
}

QString settingsNotWritten(const Failure &failure)
{
    if (failure.is(std::errc::device_or_resource_busy))
        return settingsInUse(shown(failure));
    return QStringLiteral("Unable to write to ") + shown(failure) + kCr + reason(failure);
}

QString checkSettingsNotSaved(const Failure &failure)
{
    return QStringLiteral("POZOR! Chyba pri ukladaní údajov !") + kCr + kCr +
           settingsNotWritten(failure);
}

QString noModules()
{
    return QStringLiteral("Moduly programového balíka ORVAN nie sú inštalované ...");
}

QString versionLine(const VersionText &version)
{
    switch (version.result) {
    case VersionResult::Found:
        return QStringLiteral("v") + version.text;
    case VersionResult::NoValue:
        return QStringLiteral("verzia nezistená");
    case VersionResult::NoVersionInfo:
        return QStringLiteral("verzia neznáma");
    case VersionResult::NoFile:
        break;
    }
    return QStringLiteral("program neexistuje");
}

QString notInstalledLine()
{
    return QStringLiteral("(bez inštalácie)");
}

QString buttonCaption(const QString &name, const QString &second, const QString &versionLine)
{
    return name + kCr + second + kCr + versionLine + kCr;
}

QString submenuNotCreated(const QString &section)
{
    return QStringLiteral("POZOR ! Chyba pri vytváraní podponuky pre ") + section +
           QStringLiteral(" !");
}

QString buttonNotCreated(int number)
{
    return QStringLiteral("POZOR ! Pravdepodobne chyba pri vytváraní tlačidla BitBtn") +
           QString::number(number) + QStringLiteral(" !");
}

QString entryNotFound(const QString &module, const QString &section)
{
    return QStringLiteral("POZOR ! V súbore orvan-") + module +
           QStringLiteral(".ini je chyba pri deklarácii sekcie ") + section + QStringLiteral(" !");
}

QString launchUndefined(const QString &name)
{
    return QStringLiteral("Pri aplikácii ") + name +
           QStringLiteral(" spúšťací súbor nie je definovaný !");
}

QString launchMissing(const QString &name, const QString &path)
{
    return QStringLiteral("Aplikácia ") + name + QStringLiteral(" nie je inštalovaná !") + kCr +
           QStringLiteral("Súbor ") + path + QStringLiteral(" neexistuje !");
}

namespace {
QString launchReason(platform::ShellCode code)
{
    using platform::ShellCode;
    switch (code) {
    case ShellCode::OutOfResources:
        return QStringLiteral("Operačný systém má nedostatok pamäte alebo zdrojov !");
    case ShellCode::FileNotFound:
        return QStringLiteral("Súbor nebol nájdený !");
    case ShellCode::PathNotFound:
        return QStringLiteral("Cesta k súboru sa nenašla !");
    case ShellCode::OutOfMemory:
        return QStringLiteral("Nebol dostatok pamäte na dokončenie operácie !");
    case ShellCode::BadFormat:
        return QStringLiteral("Súbor je pravdepodobne poškodený !");
    case ShellCode::SharingViolation:
        return QStringLiteral("Došlo k porušeniu zdieľania !");
    case ShellCode::IncompleteAssociation:
        return QStringLiteral("Názov súboru je neplatný alebo neúplný !");
    case ShellCode::DdeTimeout:
        return QStringLiteral(
            "Transakcia DDE nemôže byť dokončená, pretože vypršal časový limit žiadosti !");
    case ShellCode::DdeFailed:
        return QStringLiteral("Transakcia DDE zlyhala !");
    case ShellCode::DdeBusy:
        return QStringLiteral("Transakcia DDE nemôže byť dokončená, pretože ostatní DDE transakcie "
                              "boli spracované !");
    case ShellCode::NoAssociation:
        return QStringLiteral("Neexistuje aplikácia, súvisiaca s danou príponou súboru !");
    case ShellCode::DllNotFound:
        return QStringLiteral("Špecifikovaná DLL sa nenašla !");
    default:
        return {};
    }
}
} // namespace

namespace {
QString launchWhy(const platform::ShellResult &result)
{
    QString why = result.code == platform::ShellCode::AccessDenied
                      ? launchNotAllowed(*result.reason)
                      : launchReason(result.code);
    return why.isEmpty() ? unknownLaunchFailure(static_cast<int>(result.code), result.reason) : why;
}
} // namespace

QString launchFailed(const QString &name, const platform::ShellResult &result)
{
    if (result.started() || result.declined())
        return {};
    return QStringLiteral("Chyba pri spustení aplikácie ") + name + kCr + kCr + launchWhy(result);
}

QString installerNotStarted(const platform::ShellResult &result)
{
    const QString why =
        result.declined() ? QStringLiteral("Spustenie bolo zrušené.") : launchWhy(result);
    return QStringLiteral("Inštalácia novej verzie sa nespustila.") + kCr + kCr + why + kCr + kCr +
           QStringLiteral("Program ORVAN-Základná ponuka zostáva spustený a túto verziu pri "
                          "štarte znova neponúkne. Ak počítač nepovoľuje spúšťať programy "
                          "z dočasného adresára, obráťte sa na správcu počítača.");
}

QString shortcutExists(const QString &file)
{
    return QStringLiteral("Zástupca ORVAN už existuje na pracovnej ploche !\r(") + file +
           QLatin1Char(')');
}

QString shortcutQuestion()
{
    return QStringLiteral("Vytvoriť zástupcu ORVAN na pracovnej ploche ?");
}

QString shortcutCreatedForAllUsers()
{
    return QStringLiteral("Úspešne vytvorený zástupca ORVAN na pracovnej ploche pre "
                          "všetkých používateľov !");
}

QString shortcutCreatedForCurrentUser()
{
    return QStringLiteral("Úspešne vytvorený zástupca ORVAN na pracovnej ploche pre "
                          "aktuálneho používateľa !");
}

QString shortcutNotCreated()
{
    return QStringLiteral("Zástupcu ORVAN sa nepodarilo vytvoriť na pracovnej ploche!");
}

QString statusVersion(const QString &version, const QString &date)
{
    if (version.isEmpty())
        return QStringLiteral("  ORVAN - Základná ponuka v?.?.?.? zo dňa ??.??.????");
    return QStringLiteral("  ORVAN - Základná ponuka v") + version + QStringLiteral(" zo dňa ") +
           date;
}

QString statusLastCheck(const QString &lastCheck, const QDate &today)
{
    QString when;
    if (lastCheck.isEmpty()) {
        when = QStringLiteral("nikdy");
    } else {
        QString day = lastCheck.left(10);
        if (day == today.toString(QStringLiteral("dd.MM.yyyy")))
            day = QStringLiteral("dnes");
        when = day + QStringLiteral(" o ") + lastCheck.mid(11, 5);
    }
    return QStringLiteral("  Posledná kontrola aktualizácií: ") + when;
}

QString statusPackage(const QString &packageDir)
{
    return QStringLiteral("  Adresár programu: ") + platform::nativePath(packageDir);
}

QString statusCopyright()
{
    // Short: every character here widens the least window that shows all four panels whole.
    return QStringLiteral("  © ORVAN spol. s r. o.");
}

QString internetTestFailed()
{
    return QStringLiteral("POZOR ! Chyba pri zisťovaní pripojenia na internet !");
}

QString noInternet()
{
    return QStringLiteral("Váš počítač nemá pripojenie na Internet !");
}

QString internetTestFailedBox(const QString &text, const QString &hint)
{
    return text + kCr + kCr + hint;
}

QString checkNotStarted()
{
    return QStringLiteral("POZOR ! Kontrolu aktualizácií nie je možné spustiť !");
}

QString downloadCritical()
{
    return QStringLiteral("Kritická chyba pri sťahovaní!");
}

QString documentNotRead(const Failure &failure)
{
    return QStringLiteral("Súbor %1 nie je možné čítať: %2").arg(shown(failure), reason(failure));
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

QString unpackBox(const QString &text)
{
    return QStringLiteral("POZOR !") + kCr + text;
}

QString unpackNote(const QString &text)
{
    return QStringLiteral("Prerušenie ! ") + text;
}

} // namespace menu::core::texts
