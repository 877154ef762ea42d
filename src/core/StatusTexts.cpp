#include "core/StatusTexts.h"

#include <cmath>

namespace menu::core {

QString statusVersionText(const QString &fileVersion, const QString &fileDatum)
{
    if (fileVersion.isEmpty())
        return QStringLiteral("  ORVAN - Základná ponuka v?.?.?.? zo dňa ??.??.????");
    return QStringLiteral("  ORVAN - Základná ponuka v") + fileVersion + QStringLiteral(" zo dňa ") +
           fileDatum;
}

QString statusLastCheckText(const QString &licKonLast, const QDate &today)
{
    QString when;
    if (licKonLast.isEmpty()) {
        when = QStringLiteral("nikdy");
    } else {
        QString day = licKonLast.left(10);
        if (day == today.toString(QStringLiteral("dd.MM.yyyy")))
            day = QStringLiteral("dnes");
        when = day + QStringLiteral(" o ") + licKonLast.mid(11, 5);
    }
    return QStringLiteral("  Posledná kontrola aktualizácií: ") + when;
}

QString statusPackageText(const QString &packageDir)
{
    return QStringLiteral("  Adresár programu: ") + packageDir;
}

QString statusCopyrightText()
{
    return QStringLiteral("  © ORVAN spol. s r. o., všetky práva vyhradené");
}

std::array<int, kStatusPanels - 1> statusPanelWidths(const std::array<QString, kStatusPanels> &texts,
                                                     int barWidth)
{
    qsizetype sum = 0;
    for (const QString &text : texts)
        sum += text.size();
    std::array<int, kStatusPanels - 1> widths{};
    if (sum == 0)
        return widths;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const double share = static_cast<double>(texts[i].size()) / static_cast<double>(sum);
        // nearbyint rounds halves to even in the default rounding mode.
        widths[i] = static_cast<int>(std::nearbyint(share * barWidth));
    }
    return widths;
}

QString statusToolTip(const std::array<QString, kStatusPanels> &texts)
{
    return texts[0] + QLatin1Char('\r') + texts[1] + QLatin1Char('\r') + texts[2];
}

} // namespace menu::core
