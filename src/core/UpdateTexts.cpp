#include "core/Texts.h"
#include "core/UpdateTexts.h"

#include "platform/Files.h"

namespace menu::core::texts {

namespace {
QString kNotice()
{
    return QStringLiteral("UPOZORNENIE !\r");
}
} // namespace

QString shownVersion(const QString &version, const QString &date)
{
    QString text = version.isEmpty() ? QStringLiteral("žiadna") : QStringLiteral("v") + version;
    if (!date.isEmpty())
        text += QStringLiteral(" zo dňa ") + date;
    return text;
}

UpdateRecommendation recommendation(UpdateCase updateCase, bool launcher)
{
    UpdateRecommendation r;
    r.updateCase = updateCase;
    const QString install = QStringLiteral("Stiahnuť a nainštalovať");
    const QString download = QStringLiteral("Stiahnuť");
    switch (updateCase) {
    case UpdateCase::A:
        r.note = QStringLiteral("Verzia na internete nenájdená !");
        r.noteRed = true;
        r.buttonCaption = (launcher ? install : download) + QStringLiteral(" (nie je možné)");
        break;
    case UpdateCase::B:
        r.note = launcher ? QStringLiteral("Doporučené je stiahnuť a nainštalovať program !")
                          : QStringLiteral("Doporučené je stiahnuť program !");
        r.noteRed = true;
        r.buttonCaption = launcher ? install : download;
        r.buttonEnabled = true;
        break;
    case UpdateCase::C:
        r.note = QStringLiteral("Verziu z internetu nie je možné identifikovať !");
        r.noteRed = true;
        r.buttonCaption = (launcher ? install : download) + QStringLiteral(" (nie je možné)");
        break;
    case UpdateCase::D:
        r.note =
            launcher
                ? QStringLiteral("Doporučené je stiahnuť a nainštalovať novú verziu programu !")
                : QStringLiteral("Doporučené je stiahnuť novú verziu programu !");
        r.noteRed = true;
        r.announcedRed = true;
        r.buttonCaption = launcher ? install : download;
        r.buttonEnabled = true;
        break;
    case UpdateCase::E:
        r.note = QStringLiteral("Používate aktuálnu verziu programu !");
        r.buttonCaption = launcher ? QStringLiteral("Stiahnuť a preinštalovať (nie je potrebné)")
                                   : QStringLiteral("Stiahnuť (nie je potrebné)");
        r.buttonEnabled = true;
        break;
    case UpdateCase::F:
        r.note =
            QStringLiteral("Používate novú verziu programu, ktorá zatiaľ nebola publikovaná !");
        r.buttonCaption = launcher ? QStringLiteral("Stiahnuť a preinštalovať (nie je možné)")
                                   : QStringLiteral("Stiahnuť (nie je možné)");
        break;
    }
    return r;
}

QString fileSize(qint64 bytes)
{
    return QStringLiteral("Veľkosť súboru : ") + QString::number(bytes) + QStringLiteral(" b");
}

QString newVersionOffer(const QString &version, const QString &date)
{
    return QStringLiteral("UPOZORNENIE!\r\nNa internete sa nachádza nová verzia programu\r\n"
                          "ORVAN-Základná ponuka v") +
           version + QStringLiteral(" zo dňa ") + date + QStringLiteral(".") +
           QStringLiteral("\r\n\r\n") + QStringLiteral("Stiahnuť a nainštalovať novú verziu ?");
}

QString updateCheckRunning()
{
    return QStringLiteral("Chvíľu počkajte, prosím.\rPráve prebieha kontrola aktualizácií na "
                          "internete.\rSkúste to znova o niekoľko sekúnd.");
}

LabelNotice newerVersionNotice()
{
    return {QStringLiteral("UPOZORNENIE !\r\nNainštalujte novú verziu programu\r\n"
                           "ORVAN-Základná ponuka !"),
            QStringLiteral("Ukončite program ORVAN a opäť spusťte ..."), true};
}

LabelNotice versionInstalledNotice(const QString &version)
{
    return {QStringLiteral("Nová verzia ") + version +
                QStringLiteral(" je nainštalovaná –\r\nreštartujte program !"),
            QStringLiteral("Ukončite program ORVAN a opäť spusťte ..."), true};
}

LabelNotice switchedOffNotice()
{
    return {QStringLiteral("Kontrola aktualizácií cez internet je vypnutá."),
            QStringLiteral("Nastavenie kontroly je možné pravým tlačidlom na ploche ORVAN ..."),
            false};
}

LabelNotice progressNotice()
{
    return {QStringLiteral("Prebieha kontrola aktualizácií cez internet ..."), QString(), false};
}

LabelNotice failedCheckNotice(const UpdateCheckOutcome &outcome)
{
    if (outcome.connected)
        return {kNotice() + outcome.text, outcome.hint, true};
    if (!outcome.text.isEmpty())
        return {outcome.text, outcome.hint, true};
    return {QStringLiteral("Váš počítač nemá pripojenie na internet !"), QString(), true};
}

LabelNotice storeFailedNotice(const QString &reason)
{
    return {kNotice() + QStringLiteral("Informácie o aktualizáciách nie je možné uložiť!"), reason,
            true};
}

QString badFileSize(qint64 bytes)
{
    return QStringLiteral("Neplatná veľkosť súboru ") + QString::number(bytes);
}

QString packageFileUnknown()
{
    return QStringLiteral("Súbor na internete nie je známy !");
}

QString working()
{
    return QStringLiteral("Čakajte, pracujem !");
}

QString downloading()
{
    return QStringLiteral("Stiahnutie novej verzie ...");
}

QString downloaded()
{
    return QStringLiteral("Súbor ÚSPEŠNE prijatý ...");
}

QString fileToDownload(const QString &path)
{
    return QStringLiteral("Súbor na stiahnutie ") + path;
}

QString httpResult(std::int32_t code)
{
    const QString number = QString::number(code);
    if (code >= 100 && code <= 299)
        return {};
    if (code >= 300 && code <= 399)
        return QStringLiteral("Súbor nenájdený (") + number + QStringLiteral(")!");
    if (code >= 400 && code <= 499)
        return QStringLiteral("Stiahnutie neúspešné (") + number + QStringLiteral(")!");
    if (code >= 500 && code <= 599)
        return QStringLiteral("Server nenájdený (") + number + QStringLiteral(")!");
    return QStringLiteral("Neznáma chyba (") + number + QStringLiteral(")!");
}

QString downloadCriticalHint(const QString &what)
{
    return downloadCritical() + QStringLiteral("\r\r") + what;
}

QString downloadCancelled()
{
    return QStringLiteral("Sťahovanie bolo prerušené.");
}

QString downloadNotCreated(const QString &path, const Failure &failure)
{
    return QStringLiteral("Súbor %1 nie je možné vytvoriť: %2")
        .arg(platform::nativePath(path), reason(failure));
}

QString downloadNotWritten(const QString &path, const Failure &failure)
{
    return QStringLiteral("Do súboru %1 nie je možné zapisovať: %2")
        .arg(platform::nativePath(path), reason(failure));
}

QString downloadNotSaved(const QString &path, const Failure &failure)
{
    return QStringLiteral("Súbor %1 nie je možné uložiť: %2")
        .arg(platform::nativePath(path), reason(failure));
}

QString downloadTargetInUse(const QString &path)
{
    return QStringLiteral("Program %1 sa práve používa na tomto alebo na inom počítači, a preto "
                          "ho nie je možné nahradiť. Ukončite ho všade, kde beží, a aktualizáciu "
                          "zopakujte. Doterajší program zostal nezmenený.")
        .arg(platform::nativePath(path));
}

QString httpNotReady()
{
    return QStringLiteral("Spojenie HTTP nie je možné pripraviť.");
}

QString serverSilent(const QString &seconds)
{
    return QStringLiteral("Zo servera neprišli počas %1 s žiadne údaje, sťahovanie sa prerušilo.")
        .arg(seconds);
}

QString connectionEndedEarly(qint64 received, qint64 announced)
{
    return QStringLiteral("Spojenie sa skončilo predčasne: prišlo %1 z %2 bajtov súboru.")
        .arg(received)
        .arg(announced);
}

QString connectionEndedEarly(const QString &reason)
{
    return QStringLiteral("Spojenie sa skončilo predčasne: %1").arg(reason);
}

QString transferFailed(const QString &reason)
{
    return QStringLiteral("Prenos zlyhal: %1").arg(reason);
}

QString rangeNotContinued(qint64 offset)
{
    return QStringLiteral("Server neposlal zvyšok súboru od bajtu %1.").arg(offset);
}

QString badContentLength(const QString &value)
{
    return QStringLiteral("Dĺžka súboru v hlavičke odpovede '%1' nie je platné celé číslo.")
        .arg(value);
}

} // namespace menu::core::texts
