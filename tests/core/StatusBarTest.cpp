// The status bar: its panels' texts, their widths and the tool-tip.
#include "core/PackagePaths.h"
#include "core/StatusBar.h"
#include "core/Texts.h"

#include <gtest/gtest.h>

using namespace menu::core;

namespace {

TEST(StatusBar, VersionPanelShowsQuestionMarksWithoutAVersion)
{
    EXPECT_EQ(texts::statusVersion(QStringLiteral("1.1.0.7"), QStringLiteral("04.12.2023")),
              QStringLiteral("  ORVAN - Základná ponuka v1.1.0.7 zo dňa 04.12.2023"));
    EXPECT_EQ(texts::statusVersion(QString(), QStringLiteral("04.12.2023")),
              QStringLiteral("  ORVAN - Základná ponuka v?.?.?.? zo dňa ??.??.????"));
    EXPECT_EQ(texts::statusVersion(QStringLiteral("1.0"), QString()),
              QStringLiteral("  ORVAN - Základná ponuka v1.0 zo dňa "));
}

TEST(StatusBar, LastCheckSaysNeverOrTodayOrTheDay)
{
    const QDate today(2024, 3, 15);
    const struct {
        const char *stored;
        const char *shown;
    } cases[] = {
        {"", "nikdy"},
        {"15.03.2024 10:15", "dnes o 10:15"},
        {"01.12.2023 08:05", "01.12.2023 o 08:05"},
        {"15.03.2023 10:15", "15.03.2023 o 10:15"}, // the same day a year before
        {"01.12", "01.12 o "},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(texts::statusLastCheck(QString::fromLatin1(c.stored), today),
                  QStringLiteral("  Posledná kontrola aktualizácií: ") + QString::fromUtf8(c.shown))
            << c.stored;
    }
    // The package directory as the system writes paths.
#ifdef Q_OS_WIN
    EXPECT_EQ(texts::statusPackage(packageDirOf(QStringLiteral("D:/ORVAN/MENU/menu.exe"))),
              QStringLiteral("  Adresár programu: D:\\ORVAN"));
#else
    EXPECT_EQ(texts::statusPackage(packageDirOf(QStringLiteral("/media/D/ORVAN/MENU/menu"))),
              QStringLiteral("  Adresár programu: /media/D/ORVAN"));
#endif
    EXPECT_TRUE(texts::statusCopyright().startsWith(QStringLiteral("  ")));
}

TEST(StatusBar, WidthsInProportionHalvesToEven)
{
    std::array<QString, 4> texts{QString(40, QLatin1Char('a')), QString(50, QLatin1Char('b')),
                                 QString(30, QLatin1Char('c')), QString(40, QLatin1Char('d'))};
    EXPECT_EQ(statusPanelWidths(texts, 640), (std::array<int, 3>{160, 200, 120}));
    // 1/4 of 10 is 2.5 (to 2), 7/20 of 10 is 3.5 (to 4).
    texts = {QString(5, QLatin1Char('a')), QString(7, QLatin1Char('b')),
             QString(4, QLatin1Char('c')), QString(4, QLatin1Char('d'))};
    EXPECT_EQ(statusPanelWidths(texts, 10), (std::array<int, 3>{2, 4, 2}));
    EXPECT_EQ(statusPanelWidths({}, 500), (std::array<int, 3>{0, 0, 0}));
    // Lengths in UTF-16 code units: "č" counts one, like "c".
    texts = {QStringLiteral("čč"), QStringLiteral("cc"), QString(), QString()};
    EXPECT_EQ(statusPanelWidths(texts, 100), (std::array<int, 3>{50, 50, 0}));
}

TEST(StatusBar, ToolTipJoinsTheFirstThreePanelsByCarriageReturns)
{
    EXPECT_EQ(statusToolTip({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                             QStringLiteral("d")}),
              QStringLiteral("a\rb\rc"));
}

} // namespace
