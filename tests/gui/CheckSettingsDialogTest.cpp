// The settings dialog of the update check, alone and opened from the main window's context
// menu.
#include "gui/CheckSettingsDialog.h"

#include "core/LauncherSettings.h"
#include "core/Texts.h"
#include "core/UpdateChecker.h"
#include "gui/ErrorBoundary.h"
#include "gui/MainWindow.h"
#include "support/FakeServices.h"
#include "support/TempDir.h"
#include "InstalledLauncherTest.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using menu::core::BoxKind;
using menu::gui::CheckSettingsDialog;
using menu::gui::MainWindow;
using menu::test::child;

namespace {

// A click on the radio button's indicator.
void choose(QRadioButton *radio)
{
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

QRadioButton *everyStart(const CheckSettingsDialog &d)
{
    return child<QRadioButton>(d, "everyStartButton");
}
QRadioButton *never(const CheckSettingsDialog &d)
{
    return child<QRadioButton>(d, "neverButton");
}
QPushButton *saveButton(const CheckSettingsDialog &d)
{
    return child<QPushButton>(d, "saveButton");
}
QPushButton *exitButton(const CheckSettingsDialog &d)
{
    return child<QPushButton>(d, "exitButton");
}

class CheckSettingsDialogTest : public menu::test::InstalledLauncherTest<menu::test::FailingStore> {
  protected:
    CheckSettingsDialogTest()
        : InstalledLauncherTest(QDateTime(QDate(2024, 3, 15), QTime(9, 30)), {1200, 900})
    {
    }

    QString ini() const { return dir.file(QStringLiteral("ORVAN/MENU/menu.ini")); }
    QString storedLicKon() const
    {
        return store.real.read(ini(), QStringLiteral("OPTIONS"), QStringLiteral("LicKon"))
            .value_or(QStringLiteral("(missing)"));
    }
    void storeLicKon(const QString &value)
    {
        ASSERT_TRUE(
            store.real.write(ini(), QStringLiteral("OPTIONS"), QStringLiteral("LicKon"), value)
                .ok());
    }
    menu::core::LauncherSettings settings()
    {
        return menu::core::LauncherSettings(store, dir.file(QStringLiteral("ORVAN/MENU/")));
    }

    // A shown main window with no check armed, so that only the dialog can arm it.
    std::unique_ptr<MainWindow> mainWindow()
    {
        auto window = std::make_unique<MainWindow>(services, boxes);
        window->show();
        checker(*window).timer().stop();
        return window;
    }
    static menu::core::UpdateChecker &checker(const MainWindow &window)
    {
        return *child<menu::core::UpdateChecker>(window, "updateChecker");
    }

    // Opens the dialog from the context menu and runs steps while it is open modally. The
    // steps must close it.
    static void withDialog(const MainWindow &window,
                           const std::function<void(CheckSettingsDialog &)> &steps)
    {
        EXPECT_TRUE(menu::test::withModalDialog<CheckSettingsDialog>(
            "checkSettingsDialog",
            [&] { child<QAction>(window, "checkSettingsAction")->trigger(); }, steps));
    }
};

TEST_F(CheckSettingsDialogTest, OpensWithTheStoredChoiceAndSaveDisabled)
{
    const std::pair<std::optional<QString>, bool> cases[] = {
        {QStringLiteral("2"), true},
        {QStringLiteral("0"), false},
        {QString(), false},
        {QStringLiteral("1"), false},
        {QStringLiteral("22"), false},
        {QStringLiteral("x"), false},
        {std::nullopt, false},
        // As the check itself reads it: the low byte of a whole number.
        {QStringLiteral("258"), true},
    };
    for (const auto &[stored, isNever] : cases) {
        QFile::remove(ini());
        if (stored)
            storeLicKon(*stored);
        menu::core::LauncherSettings launcher = settings();
        CheckSettingsDialog dialog(launcher, boxes);
        dialog.show();
        const std::string label = stored.value_or(QStringLiteral("(missing)")).toStdString();
        EXPECT_EQ(never(dialog)->isChecked(), isNever) << label;
        EXPECT_EQ(everyStart(dialog)->isChecked(), !isNever) << label;
        EXPECT_FALSE(saveButton(dialog)->isEnabled()) << label;
        EXPECT_TRUE(exitButton(dialog)->isEnabled());
        dialog.close();
    }
    EXPECT_EQ(store.writes, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CheckSettingsDialogTest, ToolWindowCentredOnTheMainWindow)
{
    const auto window = mainWindow();
    window->setGeometry(200, 150, 700, 500);
    withDialog(*window, [&](CheckSettingsDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Nastavenie aktualizácie z internetu ..."));
        EXPECT_EQ(dialog.size(), QSize(335, 146));
        EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::Tool));
        EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_EQ(dialog.font().family(), QStringLiteral("Tahoma"));
        EXPECT_EQ(dialog.font().pixelSize(), 11);
        EXPECT_EQ(dialog.frameGeometry().center(), window->frameGeometry().center());

        // The buttons sit on the bottom panel, as the layout was drawn.
        EXPECT_EQ(exitButton(dialog)->mapTo(&dialog, QPoint()), QPoint(268, 112));
        EXPECT_EQ(everyStart(dialog)->x(), 24);
        EXPECT_GT(never(dialog)->y(), everyStart(dialog)->y());
        EXPECT_TRUE(child<QGroupBox>(dialog, "choiceBox")->font().bold());
        EXPECT_FALSE(everyStart(dialog)->font().bold());
        EXPECT_FALSE(never(dialog)->font().bold());
        exitButton(dialog)->click();
    });
}

TEST_F(CheckSettingsDialogTest, SaveWritesTheChoiceTakesItOverAndArmsTheCheck)
{
    storeLicKon(QStringLiteral("0"));
    const auto window = mainWindow();
    QTimer &timer = checker(*window).timer();
    ASSERT_EQ(checker(*window).checkFrequency(), 0);

    withDialog(*window, [](CheckSettingsDialog &dialog) {
        choose(never(dialog));
        EXPECT_TRUE(saveButton(dialog)->isEnabled());
        QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(storedLicKon(), QStringLiteral("2"));
    EXPECT_EQ(checker(*window).checkFrequency(), 2);
    EXPECT_TRUE(timer.isActive());

    timer.stop();
    withDialog(*window, [](CheckSettingsDialog &dialog) {
        EXPECT_TRUE(never(dialog)->isChecked());
        choose(everyStart(dialog));
        QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(storedLicKon(), QStringLiteral("0"));
    EXPECT_EQ(checker(*window).checkFrequency(), 0);
    EXPECT_TRUE(timer.isActive());

    // A change back to the stored value may be saved as well.
    timer.stop();
    withDialog(*window, [](CheckSettingsDialog &dialog) {
        choose(never(dialog));
        choose(everyStart(dialog));
        EXPECT_TRUE(saveButton(dialog)->isEnabled());
        QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(storedLicKon(), QStringLiteral("0"));
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CheckSettingsDialogTest, LeavingWithoutSaveWritesNothing)
{
    storeLicKon(QStringLiteral("2"));
    const auto window = mainWindow();
    const std::pair<const char *, std::function<void(CheckSettingsDialog &)>> leaves[] = {
        {"Koniec",
         [](CheckSettingsDialog &d) { QTest::mouseClick(exitButton(d), Qt::LeftButton); }},
        {"Esc", [](CheckSettingsDialog &d) { QTest::keyClick(everyStart(d), Qt::Key_Escape); }},
        {"close box", [](CheckSettingsDialog &d) { d.close(); }},
    };
    for (const auto &[how, leave] : leaves) {
        withDialog(*window, [&](CheckSettingsDialog &dialog) {
            choose(everyStart(dialog));
            ASSERT_TRUE(saveButton(dialog)->isEnabled());
            leave(dialog);
            EXPECT_FALSE(dialog.isVisible()) << how;
        });
        EXPECT_EQ(storedLicKon(), QStringLiteral("2")) << how;
        EXPECT_EQ(checker(*window).checkFrequency(), 2) << how;
        EXPECT_FALSE(checker(*window).timer().isActive()) << how;
    }
    EXPECT_EQ(store.writes, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CheckSettingsDialogTest, EnterOnARadioButtonMovesOnInsteadOfClosing)
{
    menu::core::LauncherSettings launcher = settings();
    CheckSettingsDialog dialog(launcher, boxes);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    choose(never(dialog)); // Save enabled: a default button is near
    for (QRadioButton *radio : {everyStart(dialog), never(dialog)}) {
        radio->setFocus();
        QTest::keyClick(radio, Qt::Key_Tab);
        QWidget *const next = QApplication::focusWidget();
        ASSERT_NE(next, radio);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            radio->setFocus();
            QTest::keyClick(radio, key);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(QApplication::focusWidget(), next) << radio->objectName().toStdString();
        }
    }
    never(dialog)->setFocus();
    QTest::keyClick(never(dialog), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), saveButton(dialog));
    EXPECT_TRUE(never(dialog)->isChecked());
    EXPECT_EQ(store.writes, 0);
    dialog.close();
}

TEST_F(CheckSettingsDialogTest, FailedWriteShowsTheErrorAndKeepsTheDialogOpen)
{
    storeLicKon(QStringLiteral("0"));
    const auto window = mainWindow();
    store.failWrites = true;
    withDialog(*window, [&](CheckSettingsDialog &dialog) {
        choose(never(dialog));
        QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Error);
        EXPECT_EQ(
            boxes.boxes[0].text,
            QStringLiteral("POZOR! Chyba pri ukladaní údajov !\r\rUnable to write to ") + ini() +
                QLatin1Char('\r') +
                menu::core::texts::reason(std::make_error_code(std::errc::read_only_file_system)));
        // A close request after the failed one is not taken for a save.
        store.failWrites = false;
        dialog.close();
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(storedLicKon(), QStringLiteral("0"));
    EXPECT_EQ(checker(*window).checkFrequency(), 0);
    EXPECT_FALSE(checker(*window).timer().isActive());

    // The user may try again once the disk takes writes.
    store.failWrites = true;
    withDialog(*window, [&](CheckSettingsDialog &dialog) {
        choose(never(dialog));
        QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        store.failWrites = false;
        QTest::mouseClick(saveButton(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(storedLicKon(), QStringLiteral("2"));
    EXPECT_EQ(checker(*window).checkFrequency(), 2);
    EXPECT_TRUE(checker(*window).timer().isActive());
}

} // namespace
