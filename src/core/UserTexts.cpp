#include "core/Texts.h"
#include "core/UserTexts.h"

#include "platform/Files.h"

namespace menu::core::texts {

namespace {
const QChar kCr(13);
} // namespace

QString launchNotAllowed(const Failure &failure)
{
    return QStringLiteral("Operačný systém nedovolil spustiť súbor ") +
           platform::nativePath(failure.path) + QStringLiteral(" (") + reason(failure) +
           QStringLiteral(") !") + kCr +
           QStringLiteral("Súbor nemá právo na spustenie alebo je na disku, z ktorého sa "
                          "programy nesmú spúšťať.");
}

QString unknownLaunchFailure(int code, const std::optional<Failure> &reason)
{
    if (reason)
        return QStringLiteral("Neznáma chyba (") + texts::reason(*reason) + QStringLiteral(") !");
    return QStringLiteral("Neznáma chyba číslo ") + QString::number(code) + QStringLiteral(" !");
}

QString launcherNotAnswering()
{
    return QStringLiteral("Program ORVAN - Základná ponuka je už spustený, ale neodpovedá !") +
           kCr +
           QStringLiteral("Počkajte, kým sa jeho okno zobrazí, alebo ho ukončite a spusťte "
                          "znova.");
}

QString instanceClaimFailed(const Failure &failure)
{
    QString text = QStringLiteral(
        "Nie je možné zistiť, či program ORVAN - Základná ponuka už nie je spustený !");
    text += kCr + reason(failure);
    if (!failure.path.isEmpty())
        text += QStringLiteral(": ") + platform::nativePath(failure.path);
    return text + kCr + kCr + QStringLiteral("Koniec programu !");
}

} // namespace menu::core::texts
