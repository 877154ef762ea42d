// The grid of module buttons.
#include "core/ButtonLayout.h"

#include <gtest/gtest.h>

using namespace menu::core;

namespace {

TEST(ButtonLayout, PlacesByArrangement)
{
    const struct {
        int n;
        ButtonArrangement arrangement;
        int columns, rows;
        QPoint place;
    } cases[] = {
        {1, ButtonArrangement::Rows, 4, 4, {0, 0}},
        {5, ButtonArrangement::Rows, 4, 4, {0, 100}},
        {10, ButtonArrangement::Rows, 4, 4, {190, 200}},
        {5, ButtonArrangement::Columns, 4, 4, {190, 0}},
        {10, ButtonArrangement::Columns, 4, 4, {380, 100}},
        // A window restored smaller than one button: one column, one row, no division by zero.
        {3, ButtonArrangement::Rows, 0, 0, {0, 200}},
        {3, ButtonArrangement::Columns, 0, 0, {380, 0}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(buttonPlace(c.n, c.arrangement, c.columns, c.rows), c.place)
            << c.n << " " << static_cast<int>(c.arrangement) << " " << c.columns << "x" << c.rows;
    }
}

TEST(ButtonLayout, GridAndMinimums)
{
    // Panel 800 x 461: four columns, four rows.
    EXPECT_EQ(buttonColumnsFor(800), 4);
    EXPECT_EQ(buttonRowsFor(461), 4);
    EXPECT_EQ(buttonColumnsFor(759), 3);
    EXPECT_EQ(buttonColumnsFor(760), 4);
    EXPECT_EQ(panelMinHeight(10, 4), 300);
    EXPECT_EQ(panelMinWidth(10, 4), 570);
    EXPECT_EQ(panelMinHeight(0, 4), 200);
    EXPECT_EQ(panelMinWidth(0, 4), 218);
    EXPECT_EQ(panelMinHeight(1, 4), 200);
    EXPECT_EQ(panelMinWidth(1, 4), 218);
    EXPECT_EQ(panelMinHeight(3, 0), 300);
}

} // namespace
