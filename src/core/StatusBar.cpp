#include "core/StatusBar.h"

#include <cmath>

namespace menu::core {

std::array<int, kStatusPanels - 1>
statusPanelWidths(const std::array<QString, kStatusPanels> &texts, int barWidth)
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
