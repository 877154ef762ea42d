#include "core/AppTexts.h"
#include "core/ButtonLayout.h"
#include "core/PackagePaths.h"
#include "core/StatusTexts.h"

#include <gtest/gtest.h>

using namespace menu::core;

TEST(StatusTexts, PanelTexts)
{
    EXPECT_EQ(statusVersionText(QStringLiteral("1.1.0.7"), QStringLiteral("04.12.2023")),
              QStringLiteral("  ORVAN - Základná ponuka v1.1.0.7 zo dňa 04.12.2023"));
    EXPECT_EQ(statusVersionText(QString(), QStringLiteral("04.12.2023")),
              QStringLiteral("  ORVAN - Základná ponuka v?.?.?.? zo dňa ??.??.????"));
    EXPECT_EQ(statusVersionText(QStringLiteral("1.0"), QString()),
              QStringLiteral("  ORVAN - Základná ponuka v1.0 zo dňa "));

    const QDate today(2024, 3, 15);
    EXPECT_EQ(statusLastCheckText(QString(), today), QStringLiteral("  Posledná kontrola aktualizácií: nikdy"));
    EXPECT_EQ(statusLastCheckText(QStringLiteral("15.03.2024 10:15"), today),
              QStringLiteral("  Posledná kontrola aktualizácií: dnes o 10:15"));
    EXPECT_EQ(statusLastCheckText(QStringLiteral("01.12.2023 08:05"), today),
              QStringLiteral("  Posledná kontrola aktualizácií: 01.12.2023 o 08:05"));
    EXPECT_EQ(statusLastCheckText(QStringLiteral("01.12"), today),
              QStringLiteral("  Posledná kontrola aktualizácií: 01.12 o "));
    EXPECT_EQ(statusPackageText(packageDir(QStringLiteral("/media/D"))),
              QStringLiteral("  Adresár programu: /media/D/ORVAN"));
    EXPECT_TRUE(statusCopyrightText().startsWith(QStringLiteral("  ")));
}

TEST(StatusTexts, WidthsInProportionHalvesToEven)
{
    std::array<QString, 4> texts{QString(40, QLatin1Char('a')), QString(50, QLatin1Char('b')),
                                 QString(30, QLatin1Char('c')), QString(40, QLatin1Char('d'))};
    EXPECT_EQ(statusPanelWidths(texts, 640), (std::array<int, 3>{160, 200, 120}));
    // 1/4 of 10 is 2.5 (to 2), 7/20 of 10 is 3.5 (to 4).
    texts = {QString(5, QLatin1Char('a')), QString(7, QLatin1Char('b')), QString(4, QLatin1Char('c')),
             QString(4, QLatin1Char('d'))};
    EXPECT_EQ(statusPanelWidths(texts, 10), (std::array<int, 3>{2, 4, 2}));
    EXPECT_EQ(statusPanelWidths({}, 500), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(statusToolTip({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}),
              QStringLiteral("a\rb\rc"));
}

TEST(ButtonLayout, GridAndMinimums)
{
    // Panel 800 x 461: four columns, four rows.
    EXPECT_EQ(buttonColumnsFor(800), 4);
    EXPECT_EQ(buttonRowsFor(461), 4);
    EXPECT_EQ(ButtonPlace(5, true, 4, 4), QPoint(0, 100));
    EXPECT_EQ(ButtonPlace(10, true, 4, 4), QPoint(190, 200));
    EXPECT_EQ(ButtonPlace(5, false, 4, 4), QPoint(190, 0));
    EXPECT_EQ(ButtonPlace(10, false, 4, 4), QPoint(380, 100));
    EXPECT_EQ(panelMinHeight(10, 4), 300);
    EXPECT_EQ(panelMinWidth(10, 4), 570);
    EXPECT_EQ(panelMinHeight(0, 4), 200);
    EXPECT_EQ(panelMinWidth(0, 4), 218);
    EXPECT_EQ(panelMinHeight(1, 4), 200);
    EXPECT_EQ(panelMinWidth(1, 4), 218);
    EXPECT_EQ(buttonColumnsFor(759), 3);
    EXPECT_EQ(buttonColumnsFor(760), 4);
    // A window restored narrower than one button: no division by zero.
    EXPECT_EQ(ButtonPlace(3, true, 0, 0), QPoint(0, 200));
    EXPECT_EQ(panelMinHeight(3, 0), 300);
}

TEST(AppTexts, FaultMessageFullStop)
{
    EXPECT_EQ(faultMessage(QStringLiteral("Unable to write to /x/menu.ini")),
              QStringLiteral("Unable to write to /x/menu.ini."));
    EXPECT_EQ(faultMessage(QStringLiteral("POZOR ! Chyba !")), QStringLiteral("POZOR ! Chyba !"));
    EXPECT_EQ(faultMessage(QStringLiteral("Koniec.")), QStringLiteral("Koniec."));
    EXPECT_EQ(faultMessage(QString()), QString());
}
