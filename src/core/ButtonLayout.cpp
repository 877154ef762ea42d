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

QPoint ButtonPlace(int n, bool horizontal, int columns, int rows)
{
    const int k = n - 1;
    columns = std::max(1, columns);
    rows = std::max(1, rows);
    const int row = horizontal ? k / columns : k % rows;
    const int column = horizontal ? k % columns : k / rows;
    return {ButtonWidth * column, ButtonHeight * row};
}

int panelMinHeight(int buttonCount, int columns)
{
    return std::max(kPanelMinHeightFloor, ceilDiv(buttonCount, columns) * ButtonHeight);
}

int panelMinWidth(int buttonCount, int rows)
{
    return std::max(kPanelMinWidthFloor, ceilDiv(buttonCount, rows) * ButtonWidth);
}

} // namespace menu::core
