// The texts of signed update information and of checked files (see Texts.h).
#include "core/Texts.h"

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

QString downloadTooLarge(qint64 limit)
{
    return QStringLiteral("Súbor na internete je väčší ako povolených %1 bajtov, sťahovanie sa "
                          "prerušilo.")
        .arg(limit);
}

QString downloadTookTooLong(const QString &reason)
{
    return QStringLiteral("Sťahovanie trvalo príliš dlho a prerušilo sa: %1").arg(reason);
}

QString unexpectedAnswer(long code)
{
    return QStringLiteral("Neočakávaná odpoveď servera (%1)!").arg(code);
}

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

} // namespace menu::core::texts
