// The panels of the main window's status bar: their widths and the tool-tip. Their texts are
// in the catalogue (Texts.h).
#pragma once

#include <QString>

#include <array>

namespace menu::core {

inline constexpr int kStatusPanels = 4;

// Widths of panels 0 to 2 in proportion to the texts' lengths in UTF-16 code units, halves
// rounded to even; the last panel takes the rest of the bar and has no width of its own.
std::array<int, kStatusPanels - 1>
statusPanelWidths(const std::array<QString, kStatusPanels> &texts, int barWidth);

// The tool-tip: the texts of panels 0, 1 and 2 joined by CR.
QString statusToolTip(const std::array<QString, kStatusPanels> &texts);

} // namespace menu::core
