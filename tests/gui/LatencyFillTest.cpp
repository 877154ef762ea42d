// The window on a slow drive: the package seen through the latency file system, every request
// 5 ms late. The window shows every caption before any target is looked at; the details fill
// the buttons afterwards, while clicks and refreshes work.
#include "WindowTestSupport.h"
#include "gui/ButtonGrid.h"
#include "gui/ErrorBoundary.h"
#include "gui/MainWindow.h"
#include "gui/ModuleButton.h"
#include "platform/ProfileFiles.h"
#include "support/FakeServices.h"
#include "support/LatencyMount.h"
#include "support/PeFixtures.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using menu::gui::ButtonGrid;
using menu::gui::MainWindow;
using menu::gui::ModuleButton;
using menu::test::child;
using menu::test::LatencyMount;

namespace {

constexpr int kFillTimeoutMs = 120'000;

class LatencyFillTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (const QString reason = LatencyMount::unavailableReason(); !reason.isEmpty())
            GTEST_SKIP() << reason.toStdString();
        package.write(QStringLiteral("ORVAN/MENU/menu.ini"),
                      "[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n");
        for (const char *code : {"Srv", "Tav", "Pem"})
            module(code, 3);
        mount = std::make_unique<LatencyMount>(package.path(), mounts.file(QStringLiteral("drive")),
                                               std::chrono::milliseconds(5));
        ASSERT_TRUE(mount->mounted()) << mount->error().toStdString();
        services = menu::test::installedLauncher(mount->path(), store, clock, screen, shell);
        menu::gui::setFaultBoxes(&boxes);
    }
    void TearDown() override { menu::gui::setFaultBoxes(nullptr); }

    // A module of buttons programs, each with two entries: a program and a document.
    void module(const char *code, int buttons)
    {
        const QString upper = QString::fromLatin1(code).toUpper();
        QByteArray text;
        for (int b = 1; b <= buttons; ++b) {
            const QByteArray n = QByteArray::number(b);
            text += "[Menu" + n + "]\nExe=\\ORVAN\\" + upper.toLatin1() + "\\p" + n +
                    ".exe\nNaz=" + code + n + "\nDop=druhy\n[Menu" + n + "1]\nExe=\\ORVAN\\" +
                    upper.toLatin1() + "\\t" + n + ".exe\nNaz=Nastroj\n[Menu" + n +
                    "2]\nExe=\\ORVAN\\" + upper.toLatin1() + "\\d" + n + ".pdf\nNaz=Pomoc\n";
            for (const QString &file : {QStringLiteral("/p%1.exe"), QStringLiteral("/t%1.exe")}) {
                package.write(QStringLiteral("ORVAN/") + upper + file.arg(b),
                              menu::test::readAll(menu::test::peFixture("slovak.exe")));
            }
            package.write(QStringLiteral("ORVAN/%1/d%2.pdf").arg(upper).arg(b), "%PDF");
        }
        package.write(QStringLiteral("ORVAN/orvan-%1.ini").arg(QLatin1String(code)), text);
    }
    std::unique_ptr<MainWindow> open()
    {
        auto window = std::make_unique<MainWindow>(services, boxes);
        window->show();
        return window;
    }
    static ButtonGrid &gridOf(const MainWindow &window)
    {
        return *child<ButtonGrid>(window, "buttonGrid");
    }
    static QStringList captionsOf(const ButtonGrid &grid)
    {
        QStringList captions;
        for (int n = 1; n <= grid.buttonCount(); ++n)
            captions << grid.button(n)->caption().replace(QChar(13), QLatin1Char('|'));
        return captions;
    }
    static bool waitForFill(const ButtonGrid &grid)
    {
        return QTest::qWaitFor([&] { return !grid.filling(); }, kFillTimeoutMs);
    }

    menu::test::TempDir package, mounts;
    std::unique_ptr<LatencyMount> mount;
    menu::platform::ProfileFiles store;
    menu::test::RecordingBoxes boxes;
    menu::test::FixedClock clock{QDateTime(QDate(2024, 3, 15), QTime(9, 30))};
    menu::test::FixedScreen screen{{1600, 1000}};
    menu::test::RecordingShell shell;
    menu::platform::Services services;
};

TEST_F(LatencyFillTest, EveryCaptionFirstTheVersionsAfter)
{
    auto window = open();
    const ButtonGrid &grid = gridOf(*window);
    ASSERT_EQ(grid.buttonCount(), 9);
    EXPECT_TRUE(grid.filling());
    // Clickable, without version yet, and as large as they will be.
    for (int n = 1; n <= 9; ++n) {
        const ModuleButton *button = grid.button(n);
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(button->iconSize(), QSize(32, 32));
    }
    EXPECT_EQ(captionsOf(grid).first(), QStringLiteral("Srv1|druhy||"));
    EXPECT_EQ(captionsOf(grid).last(), QStringLiteral("Pem3|druhy||"));
    const QList<QRect> before = [&] {
        QList<QRect> places;
        for (int n = 1; n <= 9; ++n)
            places << grid.button(n)->geometry();
        return places;
    }();

    ASSERT_TRUE(waitForFill(grid));
    EXPECT_EQ(captionsOf(grid).first(), QStringLiteral("Srv1|druhy|v2.0.1.15|"));
    EXPECT_EQ(captionsOf(grid).last(), QStringLiteral("Pem3|druhy|v2.0.1.15|"));
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(grid.button(n)->geometry(), before[n - 1]) << n; // filled in place
        const QList<QAction *> items = grid.button(n)->submenu()->actions();
        ASSERT_EQ(items.size(), 2);
        EXPECT_TRUE(items[0]->isEnabled() && items[1]->isEnabled());
        EXPECT_FALSE(items[0]->icon().isNull());
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LatencyFillTest, AClickDuringTheFillStartsItsProgram)
{
    auto window = open();
    ButtonGrid &grid = gridOf(*window);
    ASSERT_TRUE(grid.filling());
    QTest::mouseClick(grid.button(5), Qt::LeftButton);
    grid.button(8)->submenu()->actions().at(0)->trigger();
    ASSERT_EQ(shell.opened.size(), 2U);
    EXPECT_EQ(shell.opened[0].first, mount->path() + QStringLiteral("/ORVAN/TAV/p2.exe"));
    EXPECT_EQ(shell.opened[1].first, mount->path() + QStringLiteral("/ORVAN/PEM/t2.exe"));
    EXPECT_TRUE(waitForFill(grid));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LatencyFillTest, ARefreshDuringTheFillLeavesNoStaleButton)
{
    auto window = open();
    ButtonGrid &grid = gridOf(*window);
    ASSERT_TRUE(grid.filling());
    QFile::remove(package.file(QStringLiteral("ORVAN/orvan-Tav.ini")));
    module("Pem", 1);
    child<QAction>(*window, "refreshAction")->trigger();
    ASSERT_TRUE(waitForFill(grid));
    // Let anything the cancelled fill might still deliver arrive.
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(captionsOf(grid),
              (QStringList{QStringLiteral("Srv1|druhy|v2.0.1.15|"),
                           // Team Viewer's version is in the English table, which this one lacks.
                           QStringLiteral("Srv2|druhy|verzia nezistená|"),
                           QStringLiteral("Srv3|druhy|v2.0.1.15|"),
                           QStringLiteral("Pem1|druhy|v2.0.1.15|")}));
    EXPECT_EQ(grid.findChildren<ModuleButton *>().size(), 4);
    EXPECT_EQ(grid.menu().size(), 4U);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LatencyFillTest, ClosingTheWindowDuringTheFillEndsIt)
{
    auto window = open();
    ASSERT_TRUE(gridOf(*window).filling());
    // The workers stop before the model they use goes with the window.
    window.reset();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(boxes.boxes.empty());
}

} // namespace
