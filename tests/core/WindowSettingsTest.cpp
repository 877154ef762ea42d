#include "core/WindowSettings.h"

#include <gtest/gtest.h>

using namespace menu::core;

namespace {
const menu::platform::ScreenLimits kScreen{1280, 1000};

struct PlacementCase {
    const char *name;
    const char *left, *width, *top, *height, *state;
    WindowPlacement expected;
};

class PlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, FollowsTheStoredValuesOrFallsBackToTheWholeScreen)
{
    const PlacementCase &c = GetParam();
    const WindowPlacement got =
        WindowPlacementRead(QString::fromUtf8(c.left), QString::fromUtf8(c.width),
                            QString::fromUtf8(c.top), QString::fromUtf8(c.height),
                            QString::fromUtf8(c.state), kScreen);
    EXPECT_EQ(got.left, c.expected.left);
    EXPECT_EQ(got.top, c.expected.top);
    EXPECT_EQ(got.width, c.expected.width);
    EXPECT_EQ(got.height, c.expected.height);
    EXPECT_EQ(got.maximized, c.expected.maximized);
}

const WindowPlacement kWhole{0, 0, 1280, 1000, false};

INSTANTIATE_TEST_SUITE_P(
    Rules, PlacementTest,
    ::testing::Values(
        PlacementCase{"AsStored", "100", "500", "50", "400", "0", {100, 50, 500, 400, false}},
        PlacementCase{"Maximised", "100", "500", "50", "400", "1", {100, 50, 500, 400, true}},
        PlacementCase{"WidthMissing", "100", "", "50", "400", "0", kWhole},
        PlacementCase{"HeightBlank", "100", "500", "50", "  ", "0", kWhole},
        PlacementCase{"NegativeLeftIsZero", "-20", "500", "50", "400", "0", {0, 50, 500, 400, false}},
        PlacementCase{"UnparsableLeftIsZero", "abc", "500", "50", "400", "", {0, 50, 500, 400, false}},
        PlacementCase{"EndsExactlyAtTheScreen", "780", "500", "600", "400", "0", {780, 600, 500, 400, false}},
        PlacementCase{"OnePixelTooWide", "781", "500", "50", "400", "0", kWhole},
        PlacementCase{"OnePixelTooHigh", "0", "500", "601", "400", "0", kWhole},
        PlacementCase{"HugeValuesDoNotWrap", "2147483647", "2147483647", "0", "10", "0", kWhole},
        PlacementCase{"StateWithLeadingZeroIsNormal", "1", "2", "3", "4", "01", {1, 3, 2, 4, false}},
        PlacementCase{"StateWithTrailingTextIsNormal", "1", "2", "3", "4", "1x", {1, 3, 2, 4, false}}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(WindowSettings, ArrangementAndFrequencyValues)
{
    EXPECT_FALSE(buttonsHorizontalFrom(QStringLiteral("ver")));
    EXPECT_FALSE(buttonsHorizontalFrom(QStringLiteral("VER")));
    EXPECT_TRUE(buttonsHorizontalFrom(QStringLiteral("Vertical")));
    EXPECT_TRUE(buttonsHorizontalFrom(QString()));
    EXPECT_EQ(buttonsViewText(true), QStringLiteral("Hor"));
    EXPECT_EQ(buttonsViewText(false), QStringLiteral("Ver"));

    EXPECT_EQ(licKonFrom(QStringLiteral("300")), 44);
    EXPECT_EQ(licKonFrom(QStringLiteral("2")), 2);
    EXPECT_EQ(licKonFrom(QStringLiteral("-1")), 255);
    EXPECT_EQ(licKonFrom(QStringLiteral("x2")), 0);
    EXPECT_EQ(licKonFrom(QString()), 0);
    EXPECT_EQ(parseWholeNumber(QStringLiteral("99999999999")), 0);
}

TEST(WindowSettings, InstallationDirectory)
{
    EXPECT_TRUE(installationAccepted(QStringLiteral("/media/D/ORVAN/MENU/menu")));
    EXPECT_TRUE(installationAccepted(QStringLiteral("/media/d/orvan/menu/tools/menu")));
    EXPECT_TRUE(installationAccepted(QStringLiteral("/ORVAN/MENU/menu")));
    EXPECT_FALSE(installationAccepted(QStringLiteral("/media/D/ORVAN/MENU2/menu")));
    EXPECT_FALSE(installationAccepted(QStringLiteral("/media/D/ORVAN/menu")));
    EXPECT_FALSE(installationAccepted(QStringLiteral("/opt/menu/menu")));
    EXPECT_EQ(installationRefusedText(QStringLiteral("1.1.0.7")),
              QStringLiteral("Program ORVAN-Základná ponuka v1.1.0.7 nie je spustený z povoleného "
                             "adresára !\r\rKoniec programu !"));
}
} // namespace
