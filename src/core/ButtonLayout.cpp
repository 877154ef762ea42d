#include "core/ButtonLayout.h"

#include <algorithm>

namespace menu::core {

namespace {
int ceilDiv(int count, int per)
{
    per = std::max(1, per);
    return (count + per - 1) / per;
}
} // namespace

QPoint buttonPlace(int n, ButtonArrangement arrangement, int columns, int rows)
{
    const int k = n - 1;
    columns = std::max(1, columns);
    rows = std::max(1, rows);
    const bool rowsFirst = arrangement == ButtonArrangement::Rows;
    const int row = rowsFirst ? k / columns : k % rows;
    const int column = rowsFirst ? k % columns : k / rows;
    return {kButtonWidth * column, kButtonHeight * row};
}

int panelMinHeight(int buttonCount, int columns)
{
    return std::max(kPanelMinHeightFloor, ceilDiv(buttonCount, columns) * kButtonHeight);
}

int panelMinWidth(int buttonCount, int rows)
{
    return std::max(kPanelMinWidthFloor, ceilDiv(buttonCount, rows) * kButtonWidth);
}

} // namespace menu::core
