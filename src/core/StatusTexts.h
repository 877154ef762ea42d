// Texts and panel widths of the main window's status bar.
#pragma once

#include <QDate>
#include <QString>

#include <array>

namespace menu::core {

inline constexpr int kStatusPanels = 4;

// Panel 0: the launcher's version and build date.
QString statusVersionText(const QString &fileVersion, const QString &fileDatum);
// Panel 1: when the update information was last fetched ("DD.MM.YYYY hh:nn", or empty).
QString statusLastCheckText(const QString &licKonLast, const QDate &today);
// Panel 2: the package directory.
QString statusPackageText(const QString &packageDir);
// Panel 3: the maker's notice.
QString statusCopyrightText();

// Widths of panels 0 to 2 in proportion to the texts' lengths in UTF-16 code units, halves
// rounded to even; the last panel takes the rest of the bar and has no width of its own.
std::array<int, kStatusPanels - 1> statusPanelWidths(const std::array<QString, kStatusPanels> &texts,
                                                     int barWidth);

// The tool-tip: the texts of panels 0, 1 and 2 joined by CR.
QString statusToolTip(const std::array<QString, kStatusPanels> &texts);

} // namespace menu::core
