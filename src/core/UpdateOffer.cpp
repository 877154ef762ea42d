#include "core/UpdateOffer.h"

#include "core/VersionInfo.h"

namespace menu::core {

namespace {
// Shorter version texts cannot be a version the server or the program would give.
constexpr qsizetype kMinVersionLength = 7;
constexpr qsizetype kDatePairLength = 20;

QString dateKey(const QString &date)
{
    return date.mid(6, 4) + date.mid(3, 2) + date.mid(0, 2);
}
} // namespace

void versionDateKeys(const QString &installedDate, const QString &announcedDate,
                     QString &installedKey, QString &announcedKey)
{
    installedKey.clear();
    announcedKey.clear();
    if (installedDate.size() + announcedDate.size() != kDatePairLength)
        return;
    installedKey = dateKey(installedDate);
    announcedKey = dateKey(announcedDate);
}

UpdateCase updateCaseFor(const QString &installedVersion, const QString &installedDate,
                         const QString &announcedVersion, const QString &announcedDate)
{
    if (announcedVersion.isEmpty())
        return UpdateCase::A;
    if (installedVersion.size() < kMinVersionLength)
        return UpdateCase::B;
    if (announcedVersion.size() < kMinVersionLength)
        return UpdateCase::C;
    QString installedKey, announcedKey;
    versionDateKeys(installedDate, announcedDate, installedKey, announcedKey);
    installedKey.prepend(installedVersion);
    announcedKey.prepend(announcedVersion);
    if (isLaterVersion(announcedKey, installedKey))
        return UpdateCase::D;
    if (installedKey == announcedKey)
        return UpdateCase::E;
    return UpdateCase::F;
}

QString shownVersionText(const QString &version, const QString &date)
{
    QString text = version.isEmpty() ? QStringLiteral("žiadna") : QStringLiteral("v") + version;
    if (!date.isEmpty())
        text += QStringLiteral(" zo dňa ") + date;
    return text;
}

UpdateRecommendation updateRecommendation(UpdateCase updateCase, bool launcher)
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

QString fileSizeText(qint64 bytes)
{
    return QStringLiteral("Veľkosť súboru : ") + QString::number(bytes) + QStringLiteral(" b");
}

QString newVersionOfferText(const QString &version, const QString &date)
{
    return QStringLiteral("UPOZORNENIE!\r\nNa internete sa nachádza nová verzia programu\r\n"
                          "ORVAN-Základná ponuka v") +
           version + QStringLiteral(" zo dňa ") + date + QStringLiteral(".") +
           QStringLiteral("\r\n\r\n") + QStringLiteral("Stiahnuť a nainštalovať novú verziu ?");
}

QString updateCheckRunningText()
{
    return QStringLiteral("Chvíľu počkajte, prosím.\rPráve prebieha kontrola aktualizácií na "
                          "internete.\rSkúste to znova o niekoľko sekúnd.");
}

QString noInternetText()
{
    return QStringLiteral("Váš počítač nemá pripojenie na Internet !");
}

QString internetTestFailedText(const QString &text, const QString &hint)
{
    return text + QStringLiteral("\r\r") + hint;
}

} // namespace menu::core
