#include "gui/MainWindow.h"

#include "core/Texts.h"
#include "core/UpdateChecker.h"
#include "gui/ButtonGrid.h"
#include "gui/ErrorBoundary.h"
#include "gui/StatusBarPanels.h"
#include "platform/FileLock.h"
#include "platform/Files.h"
#include "support/FakeServices.h"
#include "support/TempDir.h"
#include "InstalledLauncherTest.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QLabel>
#include <QDialog>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using menu::core::BoxKind;
using menu::gui::MainWindow;

namespace {

class MainWindowTest : public menu::test::InstalledLauncherTest<menu::test::FailingStore> {
  protected:
    MainWindowTest()
        : InstalledLauncherTest(QDateTime(QDate(2024, 3, 15), QTime(9, 30)), {1200, 900})
    {
    }

    QString ini() const { return dir.file(QStringLiteral("ORVAN/MENU/menu.ini")); }
    QString stored(const char *key) const
    {
        return store.read(ini(), QStringLiteral("OPTIONS"), QLatin1String(key)).value_or(QString());
    }
    void storeOptions(std::initializer_list<std::pair<const char *, const char *>> values)
    {
        for (const auto &[key, value] : values)
            ASSERT_TRUE(store.real
                            .write(ini(), QStringLiteral("OPTIONS"), QLatin1String(key),
                                   QString::fromUtf8(value))
                            .ok());
    }
    template <class T> static T *child(const QObject &window, const char *name)
    {
        T *found = window.findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

TEST_F(MainWindowTest, OpensAtTheStoredPlacementAndSavesItOnClose)
{
    storeOptions({{"Left", "100"},
                  {"Width", "1100"},
                  {"Top", "50"},
                  {"Height", "400"},
                  {"WindowState", "0"},
                  {"ButtonsView", "ver"},
                  {"LicKon", "300"},
                  {"LicKonLast", "15.03.2024 08:05"}});
    MainWindow window(services, boxes);
    ASSERT_TRUE(window.installationAccepted());
    window.show();
    EXPECT_EQ(window.frameGeometry(), QRect(100, 50, 1100, 400));
    EXPECT_EQ(child<menu::gui::ButtonGrid>(window, "buttonGrid")->arrangement(),
              menu::core::ButtonArrangement::Columns);
    EXPECT_TRUE(child<QAction>(window, "columnsAction")->isChecked());
    EXPECT_FALSE(child<QAction>(window, "rowsAction")->isChecked());
    EXPECT_EQ(child<menu::core::UpdateChecker>(window, "updateChecker")->checkFrequency(), 44);
    EXPECT_EQ(child<menu::gui::StatusBarPanels>(window, "statusBar")->panelText(1),
              QStringLiteral("  Posledná kontrola aktualizácií: dnes o 08:05"));

    window.move(120, 60);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Ver"));
    EXPECT_EQ(stored("Left"), QStringLiteral("120"));
    EXPECT_EQ(stored("Top"), QStringLiteral("60"));
    EXPECT_EQ(stored("Width"), QStringLiteral("1100"));
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
        MainWindow window(services, boxes);
        window.show();
        EXPECT_TRUE(window.isMaximized());
        EXPECT_TRUE(window.close());
    }
    EXPECT_EQ(stored("WindowState"), QStringLiteral("1"));
    MainWindow again(services, boxes);
    again.show();
    EXPECT_TRUE(again.isMaximized());
}

TEST_F(MainWindowTest, MissingBoundFallsBackToTheWholeScreen)
{
    storeOptions({{"Left", "100"}, {"Top", "50"}, {"Height", "400"}});
    MainWindow window(services, boxes);
    window.show();
    EXPECT_EQ(window.frameGeometry(), QRect(0, 0, 1200, 900));
    // The largest inside leaves room for the frame.
    EXPECT_EQ(window.maximumSize() + (window.frameGeometry().size() - window.size()),
              QSize(1200, 900));
    EXPECT_TRUE(child<QAction>(window, "rowsAction")->isChecked());
}

TEST_F(MainWindowTest, FailedSaveShowsTheFileAndTheReasonAndKeepsTheWindowOpen)
{
    MainWindow window(services, boxes);
    window.show();
    store.failWrites = true;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("ORVAN - Základná ponuka"));
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Unable to write to ") + ini() + QChar(13) +
                                       menu::core::texts::reason(
                                           std::make_error_code(std::errc::read_only_file_system)) +
                                       QLatin1Char('.'));

    // Told once: a second close with nothing changed closes without saving.
    EXPECT_TRUE(window.close());
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(ini()));

    // After a change, a close tries again.
    window.show();
    window.move(window.pos() + QPoint(10, 0));
    EXPECT_FALSE(window.close());
    EXPECT_EQ(boxes.boxes.size(), 2u);
    store.failWrites = false;
    window.move(window.pos() + QPoint(10, 0));
    EXPECT_TRUE(window.close());
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Hor"));
}

TEST_F(MainWindowTest, TerminationSavesWhatItCanAndGivesUpOpenDialogsWithoutABox)
{
    MainWindow window(services, boxes);
    window.show();
    store.failWrites = true;
    // The settings dialog stands open when the system asks the program to end.
    EXPECT_TRUE(menu::test::withModalDialog<QDialog>(
        "checkSettingsDialog",
        [&] { menu::test::child<QAction>(window, "checkSettingsAction")->trigger(); },
        [&](QDialog &) { window.terminate(); }));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(QFileInfo::exists(ini()));

    store.failWrites = false;
    window.terminate();
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Hor"));
}

// Another seat or user holds menu.ini: the window goes on answering while its writes wait, and
// closes when they are done, or, once the wait has run out, after saying so.
TEST_F(MainWindowTest, SettingsHeldElsewhereNeitherFreezeNorKeepTheWindow)
{
    using namespace std::chrono_literals;
    for (const bool released : {false, true}) {
        SCOPED_TRACE(released ? "released while waiting" : "held past the wait");
        boxes.boxes.clear();
        QFile::remove(ini());
        services.settingsLockWait = released ? 60s : 100ms;
        auto held = menu::platform::FileLock::acquire(ini(), {});
        ASSERT_TRUE(held.ok());
        std::optional<menu::platform::FileLock> holder(std::move(*held));
        MainWindow window(services, boxes);
        window.show();
        menu::test::child<QAction>(window, "columnsAction")->trigger();
        EXPECT_FALSE(window.close());
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(boxes.boxes.empty());
        if (released)
            holder.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 20000));
        if (released) {
            EXPECT_TRUE(boxes.boxes.empty());
            EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Ver"));
            EXPECT_EQ(stored("Left"), QString::number(window.frameGeometry().left()));
        } else {
            // The arrangement's round and the close's: each told that the settings are in use.
            ASSERT_EQ(boxes.boxes.size(), 2u);
            EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Error);
            EXPECT_EQ(boxes.boxes[1].kind, BoxKind::Warning);
            for (const auto &box : boxes.boxes) {
                EXPECT_EQ(box.text,
                          menu::core::texts::settingsInUse(menu::platform::nativePath(ini())));
            }
            EXPECT_FALSE(QFileInfo::exists(ini()));
        }
    }
}

TEST_F(MainWindowTest, RefusesToRunOutsideItsInstallationDirectory)
{
    services.executablePath = dir.file(QStringLiteral("ORVAN/MENU2/menu"));
    MainWindow window(services, boxes);
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
    ASSERT_TRUE(store.real
                    .write(ini(), QStringLiteral("ORVAN"), QStringLiteral("AktCis"),
                           QStringLiteral("1.1.0.9"))
                    .ok());
    ASSERT_TRUE(store.real
                    .write(ini(), QStringLiteral("TEA"), QStringLiteral("AktFil"),
                           QStringLiteral("tea.zip"))
                    .ok());
    MainWindow window(services, boxes);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ORVAN - Základná ponuka"));
    auto *checker = child<menu::core::UpdateChecker>(window, "updateChecker");
    EXPECT_EQ(checker->launcherAnnouncement().version, QStringLiteral("1.1.0.9"));
    EXPECT_EQ(checker->teamViewerAnnouncement().file, QStringLiteral("tea.zip"));
    EXPECT_EQ(child<menu::gui::ButtonGrid>(window, "buttonGrid")->notice(),
              QStringLiteral("Moduly programového balíka ORVAN nie sú inštalované ..."));
    EXPECT_EQ(child<QWidget>(window, "infoPanel")->width(), 218);
    EXPECT_EQ(child<QWidget>(window, "infoBox")->height(), 129);
    auto *label = child<QLabel>(window, "updateInfoLabel");
    EXPECT_EQ(label->geometry(), QRect(10, 81, 193, 40));
    // The announced 1.1.0.9 is above the unknown own version: the notice at once, and the check
    // still runs, so that an announcement the server withdrew does not stay.
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("UPOZORNENIE !")));
    EXPECT_EQ(child<QWidget>(window, "statusBar")->height(), 19);
    // Armed once the offer at start has been answered.
    EXPECT_TRUE(QTest::qWaitFor([&] { return checker->timer().isActive(); }));
    EXPECT_EQ(checker->timer().interval(), 1000);

    QStringList items;
    for (QAction *action : child<QMenu>(window, "contextMenu")->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(items, (QStringList{
                         QStringLiteral("&Obnoviť"), QStringLiteral("&Umiestnenie tlačidiel ..."),
                         QStringLiteral("-"), QStringLiteral("&Vytvoriť zástupcu ORVAN na ploche"),
                         QStringLiteral("&Nastavenie kontroly aktualizácií"), QStringLiteral("-"),
                         QStringLiteral("Aktualizácia &Team Viewer-ORVAN"),
                         QStringLiteral("Aktualizácia &ORVAN-Základná ponuka")}));
    for (QAction *action : child<QMenu>(window, "contextMenu")->actions())
        EXPECT_TRUE(action->isSeparator() || !action->icon().isNull())
            << action->text().toStdString();
    EXPECT_EQ(child<QMenu>(window, "arrangementMenu")->actions().size(), 2);
    const auto none = child<QMenu>(window, "noEntriesMenu")->actions();
    ASSERT_EQ(none.size(), 1);
    EXPECT_EQ(none[0]->text(), QStringLiteral("(žiadna ponuka)"));
    EXPECT_FALSE(none[0]->isEnabled());

    // The status bar: version placeholder, last check, package directory, the maker's notice.
    auto *status = child<menu::gui::StatusBarPanels>(window, "statusBar");
    EXPECT_EQ(status->panelText(1), QStringLiteral("  Posledná kontrola aktualizácií: nikdy"));
    EXPECT_EQ(status->panelText(2),
              QStringLiteral("  Adresár programu: ") + dir.path() + QStringLiteral("/ORVAN"));
    // The three panels, and what a build without keys says of itself (the tests' trust).
    EXPECT_EQ(status->toolTip().count(QLatin1Char('\r')), 3);
    EXPECT_TRUE(status->toolTip().endsWith(
        QStringLiteral("\rZostava bez kľúčov: aktualizácie sa neoverujú podpisom!")));
}

TEST_F(MainWindowTest, ArrangementSwitchIsWrittenAtOnce)
{
    MainWindow window(services, boxes);
    window.show();
    auto *grid = child<menu::gui::ButtonGrid>(window, "buttonGrid");
    child<QAction>(window, "columnsAction")->trigger();
    EXPECT_EQ(grid->arrangement(), menu::core::ButtonArrangement::Columns);
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Ver"));
    child<QAction>(window, "rowsAction")->trigger();
    EXPECT_EQ(grid->arrangement(), menu::core::ButtonArrangement::Rows);
    EXPECT_FALSE(child<QAction>(window, "columnsAction")->isChecked());
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Hor"));
    // A write that fails: the general error handler's box, and the buttons as they were.
    store.failWrites = true;
    child<QAction>(window, "columnsAction")->trigger();
    EXPECT_EQ(grid->arrangement(), menu::core::ButtonArrangement::Rows);
    EXPECT_TRUE(child<QAction>(window, "rowsAction")->isChecked());
    EXPECT_EQ(stored("ButtonsView"), QStringLiteral("Hor"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("ORVAN - Základná ponuka"));
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(QStringLiteral("Unable to write to ")));
}

TEST_F(MainWindowTest, PanelMinimumIsCarriedOverToTheWindow)
{
    MainWindow window(services, boxes);
    window.show();
    auto *grid = child<menu::gui::ButtonGrid>(window, "buttonGrid");
    EXPECT_EQ(grid->minimumWidth(), 218);
    EXPECT_EQ(grid->minimumHeight(), 200);
    EXPECT_GE(window.minimumSizeHint().width(), 218 + 218);
    EXPECT_GE(window.minimumSizeHint().height(), 200 + 19);
}

TEST_F(MainWindowTest, StatusPanelsShowTheirTextsWholeFromTheLeastWidthOn)
{
    storeOptions({{"LicKonLast", "01.12.2023 08:05"},
                  {"Left", "0"},
                  {"Top", "0"},
                  {"Width", "300"},
                  {"Height", "400"}});
    MainWindow window(services, boxes);
    window.show();
    auto *status = child<menu::gui::StatusBarPanels>(window, "statusBar");
    // The stored width is below the least one: the window takes the least.
    const int least = window.minimumWidth();
    EXPECT_EQ(window.width(), least);
    EXPECT_EQ(status->width(), least);
    for (int width = least; width < least + 40; ++width) {
        window.resize(width, window.height());
        QCoreApplication::processEvents();
        for (int i = 0; i < status->panelCount(); ++i) {
            EXPECT_LE(status->fontMetrics().horizontalAdvance(status->panelText(i)) +
                          menu::gui::StatusBarPanels::kTextMargins,
                      status->panelWidth(i))
                << "panel " << i << " at " << width;
        }
    }
    // One pixel less would cut a text short.
    EXPECT_EQ(status->minimumSizeHint().width(), least);
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
