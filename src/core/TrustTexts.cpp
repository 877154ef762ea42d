// The texts of signed update information and of checked files (see Texts.h).
#include "core/TrustTexts.h"

#include <QDateTime>

namespace menu::core::texts {

namespace {

QString nothingStored()
{
    return QStringLiteral("Informácie o aktualizáciách sa neuložili, platia posledné overené.");
}

QString refusalHint(const QString &text, const QString &detail)
{
    return text + QStringLiteral("\r\r") + detail + QLatin1Char('\r') + nothingStored();
}

} // namespace

QString signatureMissing()
{
    return QStringLiteral("Informácie o aktualizáciách nie sú podpísané!");
}

QString signatureMissingHint(const QString &file, const QString &why)
{
    return refusalHint(signatureMissing(),
                       QStringLiteral("Podpis %1 nie je možné stiahnuť: %2").arg(file, why));
}

QString signatureRefused(formats::MinisignVerdict verdict)
{
    if (verdict == formats::MinisignVerdict::UnknownKey)
        return QStringLiteral("Informácie o aktualizáciách podpísal neznámy kľúč!");
    return QStringLiteral("Podpis informácií o aktualizáciách je neplatný!");
}

QString signatureRefusedHint(const formats::MinisignCheck &check)
{
    using enum formats::MinisignVerdict;
    QString detail;
    switch (check.verdict) {
    case Good:
        return {};
    case Malformed:
        detail = QStringLiteral("Súbor podpisu nemá tvar, v akom ho zapisuje program minisign.");
        break;
    case Legacy:
        detail = QStringLiteral("Podpis kľúčom %1 je v starom formáte programu minisign, ktorý "
                                "sa neprijíma.");
        break;
    case UnknownKey:
        detail = QStringLiteral("Kľúč %1 nie je medzi kľúčmi, ktorým tento program dôveruje.");
        break;
    case BadSignature:
        detail = QStringLiteral("Informácie o aktualizáciách sa od podpísania kľúčom %1 zmenili.");
        break;
    case BadTrustedComment:
        detail = QStringLiteral("Dôveryhodný komentár podpisu kľúčom %1 bol zmenený.");
        break;
    case Unchecked:
        detail = QStringLiteral("Podpis nie je možné overiť: kryptografickú knižnicu nie je možné "
                                "spustiť.");
        break;
    }
    if (detail.contains(QLatin1String("%1")))
        detail = detail.arg(check.keyId);
    return refusalHint(signatureRefused(check.verdict), detail);
}

QString signatureUndated()
{
    return QStringLiteral("Podpis informácií o aktualizáciách nemá čas podpisu!");
}

QString signatureUndatedHint()
{
    return refusalHint(signatureUndated(),
                       QStringLiteral("Dôveryhodný komentár podpisu musí obsahovať „timestamp:“, "
                                      "ako ho program minisign zapisuje sám."));
}

QString olderAnnouncement()
{
    return QStringLiteral("Informácie o aktualizáciách sú staršie ako už prijaté!");
}

QString olderAnnouncementHint(qint64 signedAt, qint64 acceptedAt)
{
    const auto when = [](qint64 seconds) {
        return QDateTime::fromSecsSinceEpoch(seconds).toString(
            QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    };
    return refusalHint(olderAnnouncement(),
                       QStringLiteral("Server poslal informácie podpísané %1, prijaté sú už "
                                      "informácie podpísané %2. Staršie informácie sa neprijímajú, "
                                      "aby sa nedala podstrčiť staršia verzia.")
                           .arg(when(signedAt), when(acceptedAt)));
}

QString announcementNotVerified()
{
    return QStringLiteral("Ohlásená verzia nie je overená podpisom výrobcu, nič sa nestiahne.\r\n"
                          "Obnovte ponuku, aby sa informácie o aktualizáciách stiahli znova.");
}

QString notLaterThanRunning(const QString &announced, const QString &running)
{
    return QStringLiteral("Ohlásená verzia %1 nie je novšia ako spustená verzia %2, inštalácia "
                          "sa nespustí.")
        .arg(announced, running);
}

QString updatesNeedKeys()
{
    return QStringLiteral("Tento program nemá kľúče na overenie aktualizácií, preto nič "
                          "nesťahuje ani neinštaluje.");
}

QString unsignedBuildNote(bool updatesAllowed)
{
    return updatesAllowed
               ? QStringLiteral("Zostava bez kľúčov: aktualizácie sa neoverujú podpisom!")
               : QStringLiteral("Zostava bez kľúčov: aktualizácie sú vypnuté.");
}

} // namespace menu::core::texts
