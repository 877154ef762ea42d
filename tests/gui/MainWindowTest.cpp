#include "gui/MainWindow.h"

#include "gui/Faults.h"
#include "gui/StatusBarPanels.h"
#include "platform/Executables.h"
#include "platform/ProfileFiles.h"
#include "support/FakeServices.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using menu::gui::TfMenuMain;
using menu::platform::BoxKind;

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() : clock(QDateTime(QDate(2024, 3, 15), QTime(9, 30))), screen({1200, 900})
    {
        services = menu::test::installedLauncher(dir.path(), store, clock, screen, boxes, shell);
        menu::gui::setFaultBoxes(&boxes);
    }
    ~MainWindowTest() override { menu::gui::setFaultBoxes(nullptr); }

    QString ini() const { return dir.file(QStringLiteral("ORVAN/MENU/menu.ini")); }
    QString stored(const char *key) const
    {
        return store.read(ini(), QStringLiteral("OPTIONS"), QLatin1String(key)).value_or(QString());
    }
    void storeOptions(std::initializer_list<std::pair<const char *, const char *>> values)
    {
        for (const auto &[key, value] : values)
            store.real.write(ini(), QStringLiteral("OPTIONS"), QLatin1String(key),
                             QString::fromUtf8(value));
    }

    menu::test::TempDir dir;
    menu::test::FailingStore store;
    menu::test::RecordingBoxes boxes;
    menu::test::FixedClock clock;
    menu::test::FixedScreen screen;
    menu::test::RecordingShell shell;
    menu::platform::Services services;
};

TEST_F(MainWindowTest, OpensAtTheStoredPlacementAndSavesItOnClose)
{
    storeOptions({{"Left", "100"},
                  {"Width", "500"},
                  {"Top", "50"},
                  {"Height", "400"},
                  {"WindowState", "0"},
                  {"ButtonsView", "ver"},
                  {"LicKon", "300"},
                  {"LicKonLast", "15.03.2024 08:05"}});
    TfMenuMain window(services);
    ASSERT_TRUE(window.installationAccepted());
    window.show();
    EXPECT_EQ(window.frameGeometry(), QRect(100, 50, 500, 400));
    EXPECT_FALSE(window.ButtonsHorizontal);
    EXPECT_TRUE(window.MenuButtonsVer->isChecked());
    EXPECT_FALSE(window.MenuButtonsHor->isChecked());
    EXPECT_EQ(window.LicKon, 44);
    EXPECT_EQ(window.StatusBar->panelText(1),
              QStringLiteral("  Posledná kontrola aktualizácií: dnes o 08:05"));

    window.move(120, 60);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Ver"));
    EXPECT_EQ(stored("Left"), QStringLiteral("120"));
    EXPECT_EQ(stored("Top"), QStringLiteral("60"));
    EXPECT_EQ(stored("Width"), QStringLiteral("500"));
    EXPECT_EQ(stored("Height"), QStringLiteral("400"));
    EXPECT_EQ(stored("WindowState"), QStringLiteral("0"));
    EXPECT_EQ(stored("LicKon"), QStringLiteral("44"));
    EXPECT_EQ(stored("LicKonLast"), QStringLiteral("15.03.2024 08:05"));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MainWindowTest, MaximisedStaysMaximisedAcrossStarts)
{
    storeOptions({{"Left", "100"},
                  {"Width", "500"},
                  {"Top", "50"},
                  {"Height", "400"},
                  {"WindowState", "1"}});
    {
        TfMenuMain window(services);
        window.show();
        EXPECT_TRUE(window.isMaximized());
        EXPECT_TRUE(window.close());
    }
    EXPECT_EQ(stored("WindowState"), QStringLiteral("1"));
    TfMenuMain again(services);
    again.show();
    EXPECT_TRUE(again.isMaximized());
}

TEST_F(MainWindowTest, MissingBoundFallsBackToTheWholeScreen)
{
    storeOptions({{"Left", "100"}, {"Top", "50"}, {"Height", "400"}});
    TfMenuMain window(services);
    window.show();
    EXPECT_EQ(window.frameGeometry(), QRect(0, 0, 1200, 900));
    EXPECT_EQ(window.maximumSize(), QSize(1200, 900));
    EXPECT_TRUE(window.ButtonsHorizontal);
    EXPECT_TRUE(window.MenuButtonsHor->isChecked());
}

TEST_F(MainWindowTest, FailedSaveShowsTheErrorAndKeepsTheWindowOpen)
{
    TfMenuMain window(services);
    window.show();
    store.failWrites = true;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("ORVAN - Základná ponuka"));
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral("Unable to write to ") + ini() + QLatin1Char('.'));

    // A later close tries again.
    store.failWrites = false;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Hor"));
}

TEST_F(MainWindowTest, RefusesToRunOutsideItsInstallationDirectory)
{
    services.executablePath = dir.file(QStringLiteral("ORVAN/MENU2/menu"));
    TfMenuMain window(services);
    EXPECT_FALSE(window.installationAccepted());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Error);
    EXPECT_EQ(
        boxes.boxes[0].text,
        QStringLiteral("Program ORVAN-Základná ponuka v nie je spustený z povoleného adresára "
                       "!\r\rKoniec programu !"));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("ORVAN/MENU2/menu.ini"))));
}

TEST_F(MainWindowTest, ComponentsAndContextMenu)
{
    store.real.write(ini(), QStringLiteral("ORVAN"), QStringLiteral("AktCis"),
                     QStringLiteral("1.1.0.9"));
    store.real.write(ini(), QStringLiteral("TEA"), QStringLiteral("AktFil"),
                     QStringLiteral("tea.zip"));
    TfMenuMain window(services);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ORVAN - Základná ponuka"));
    EXPECT_EQ(window.OrvanAktCis, QStringLiteral("1.1.0.9"));
    EXPECT_EQ(window.TeaAktFil, QStringLiteral("tea.zip"));
    EXPECT_EQ(window.Panel->caption(),
              QStringLiteral("Moduly programového balíka ORVAN nie sú inštalované ..."));
    EXPECT_EQ(window.PanelR->width(), 218);
    EXPECT_EQ(window.PanelR3->height(), 129);
    EXPECT_EQ(window.LabUpdateInfo->geometry(), QRect(10, 81, 193, 40));
    // The announced 1.1.0.9 is above the unknown own version: the notice instead of a check.
    EXPECT_TRUE(window.LabUpdateInfo->text().startsWith(QStringLiteral("UPOZORNENIE !")));
    EXPECT_EQ(window.StatusBar->height(), 19);
    EXPECT_FALSE(window.TimerDownload->isActive());
    EXPECT_EQ(window.TimerDownload->interval(), 1000);
    EXPECT_FALSE(window.BitBtnDefault->isVisible());
    EXPECT_EQ(window.BitBtnDefault->size(), QSize(150, 110));

    QStringList items;
    for (QAction *action : window.PopupMenu->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(items, (QStringList{
                         QStringLiteral("&Obnoviť"), QStringLiteral("&Umiestnenie tlačidiel ..."),
                         QStringLiteral("-"), QStringLiteral("&Vytvoriť zástupcu ORVAN na ploche"),
                         QStringLiteral("&Nastavenie kontroly aktualizácií"), QStringLiteral("-"),
                         QStringLiteral("Aktualizácia &Team Viewer-ORVAN"),
                         QStringLiteral("Aktualizácia &ORVAN-Základná ponuka")}));
    for (QAction *action : window.PopupMenu->actions())
        EXPECT_TRUE(action->isSeparator() || !action->icon().isNull())
            << action->text().toStdString();
    EXPECT_EQ(window.MenuButtons->actions().size(), 2);
    const auto bez = window.PopupMenuDefaultBez->actions();
    ASSERT_EQ(bez.size(), 1);
    EXPECT_EQ(bez[0]->text(), QStringLiteral("(žiadna ponuka)"));
    EXPECT_FALSE(bez[0]->isEnabled());
    EXPECT_EQ(window.PopupMenuDefaultNeexist->actions().size(), 5);

    // The status bar: version placeholder, last check, package directory, the maker's notice.
    EXPECT_EQ(window.StatusBar->panelText(1),
              QStringLiteral("  Posledná kontrola aktualizácií: nikdy"));
    EXPECT_EQ(window.StatusBar->panelText(2),
              QStringLiteral("  Adresár programu: ") + dir.path() + QStringLiteral("/ORVAN"));
    EXPECT_EQ(window.StatusBar->toolTip().count(QLatin1Char('\r')), 2);

    // Look at it: the picture goes with the test's artefacts.
    QDir().mkpath(QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts"));
    window.grab().save(QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts/main-window-empty.png"));
}

TEST_F(MainWindowTest, ArrangementSwitchIsWrittenAtOnce)
{
    TfMenuMain window(services);
    window.show();
    window.MenuButtonsVer->trigger();
    EXPECT_FALSE(window.ButtonsHorizontal);
    EXPECT_TRUE(window.MenuButtonsVer->isChecked());
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Ver"));
    window.MenuButtonsHor->trigger();
    EXPECT_TRUE(window.ButtonsHorizontal);
    EXPECT_FALSE(window.MenuButtonsVer->isChecked());
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Hor"));
}

TEST_F(MainWindowTest, PanelMinimumIsCarriedOverToTheWindow)
{
    TfMenuMain window(services);
    window.show();
    EXPECT_EQ(window.Panel->minimumWidth(), 218);
    EXPECT_EQ(window.Panel->minimumHeight(), 200);
    EXPECT_GE(window.minimumSizeHint().width(), 218 + 218);
    EXPECT_GE(window.minimumSizeHint().height(), 200 + 19);
}

TEST(GeneralErrorHandler, ShowsTheErrorAndGoesOn)
{
    menu::test::RecordingBoxes boxes;
    menu::gui::setFaultBoxes(&boxes);
    const bool finished = menu::gui::guarded(
        nullptr, [] { throw std::runtime_error("Unable to write to /x/menu.ini"); });
    menu::gui::setFaultBoxes(nullptr);
    EXPECT_FALSE(finished);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("ORVAN - Základná ponuka"));
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Unable to write to /x/menu.ini."));
}

TEST(CursorWait, EveryOffRestoresTheNormalCursor)
{
    menu::gui::CursorWait(true);
    menu::gui::CursorWait(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    menu::gui::CursorWait(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
