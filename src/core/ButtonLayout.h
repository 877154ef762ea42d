// The grid of module buttons: rows filled first (horizontal) or columns first (vertical).
#pragma once

#include "core/LauncherSettings.h"

#include <QPoint>

namespace menu::core {

inline constexpr int kButtonWidth = 190;
inline constexpr int kButtonHeight = 100;
// The panel never gets lower than two buttons nor narrower than the information panel.
inline constexpr int kPanelMinHeightFloor = 200;
inline constexpr int kPanelMinWidthFloor = 218;

// Whole buttons that fit into a panel dimension.
inline int buttonColumnsFor(int panelWidth)
{
    return panelWidth / kButtonWidth;
}
inline int buttonRowsFor(int panelHeight)
{
    return panelHeight / kButtonHeight;
}

// Top-left corner of button number n (from 1). A panel too small for one button still counts
// one column and one row, so the grid never divides by zero.
QPoint buttonPlace(int n, ButtonArrangement arrangement, int columns, int rows);

// The panel's minimum height: the rows the horizontal arrangement needs at this width.
int panelMinHeight(int buttonCount, int columns);
// The panel's minimum width: the columns the vertical arrangement needs at this height.
int panelMinWidth(int buttonCount, int rows);

} // namespace menu::core
