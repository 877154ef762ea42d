#include "gui/MenuInternet2.h"

#include "core/MenuSettings.h"
#include "gui/Faults.h"
#include "gui/MainWindow.h"
#include "platform/Executables.h"
#include "platform/ProfileFiles.h"
#include "support/FakeServices.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using menu::gui::TfMenuInternet2;
using menu::gui::TfMenuMain;
using menu::platform::BoxKind;

namespace {

// A click on the radio button's indicator.
void choose(QRadioButton *radio)
{
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

class MenuOptionsTest : public ::testing::Test {
  protected:
    MenuOptionsTest() : clock(QDateTime(QDate(2024, 3, 15), QTime(9, 30))), screen({1200, 900})
    {
        services = menu::test::installedLauncher(dir.path(), store, clock, screen, boxes, shell);
        menu::gui::setFaultBoxes(&boxes);
    }
    ~MenuOptionsTest() override { menu::gui::setFaultBoxes(nullptr); }

    QString ini() const { return dir.file(QStringLiteral("ORVAN/MENU/menu.ini")); }
    QString storedLicKon() const
    {
        return store.real.read(ini(), QStringLiteral("OPTIONS"), QStringLiteral("LicKon"))
            .value_or(QStringLiteral("(missing)"));
    }
    void storeLicKon(const QString &value)
    {
        store.real.write(ini(), QStringLiteral("OPTIONS"), QStringLiteral("LicKon"), value);
    }

    // A shown main window with no check armed, so that only the dialog can arm it.
    std::unique_ptr<TfMenuMain> mainWindow()
    {
        auto window = std::make_unique<TfMenuMain>(services);
        window->show();
        window->TimerDownload->stop();
        return window;
    }

    // Opens the dialog from the context menu and runs steps while it is open modally. The
    // steps must close it.
    void withDialog(TfMenuMain &window, const std::function<void(TfMenuInternet2 &)> &steps)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<TfMenuInternet2 *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ran = true;
            steps(*dialog);
        });
        window.MenuOptions->trigger();
        EXPECT_TRUE(ran);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }

    menu::test::TempDir dir;
    menu::test::FailingStore store;
    menu::test::RecordingBoxes boxes;
    menu::test::FixedClock clock;
    menu::test::FixedScreen screen;
    menu::test::RecordingShell shell;
    menu::platform::Services services;
};

TEST_F(MenuOptionsTest, OpensWithTheStoredChoiceAndSaveDisabled)
{
    const std::pair<std::optional<QString>, bool> cases[] = {
        {QStringLiteral("2"), true},  {QStringLiteral("0"), false},  {QString(), false},
        {QStringLiteral("1"), false}, {QStringLiteral("22"), false}, {QStringLiteral("x"), false},
        {std::nullopt, false},
    };
    for (const auto &[stored, never] : cases) {
        QFile::remove(ini());
        if (stored)
            storeLicKon(*stored);
        menu::core::MenuIni settings(store, dir.file(QStringLiteral("ORVAN/MENU/")));
        TfMenuInternet2 dialog(settings, boxes);
        dialog.show();
        const QString label = stored.value_or(QStringLiteral("(missing)"));
        EXPECT_EQ(dialog.fLicKon2->isChecked(), never) << label.toStdString();
        EXPECT_EQ(dialog.fLicKon0->isChecked(), !never) << label.toStdString();
        EXPECT_FALSE(dialog.bbUlozit->isEnabled()) << label.toStdString();
        EXPECT_TRUE(dialog.bbKoniec->isEnabled());
        dialog.close();
    }
    EXPECT_EQ(store.writes, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MenuOptionsTest, ToolWindowCentredOnTheMainWindow)
{
    const auto window = mainWindow();
    window->setGeometry(200, 150, 700, 500);
    withDialog(*window, [&](TfMenuInternet2 &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Nastavenie aktualizácie z internetu ..."));
        EXPECT_EQ(dialog.size(), QSize(335, 146));
        EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::Tool));
        EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_EQ(dialog.font().family(), QStringLiteral("Tahoma"));
        EXPECT_EQ(dialog.font().pixelSize(), 11);
        EXPECT_EQ(dialog.frameGeometry().center(), window->frameGeometry().center());

        // The buttons sit on the bottom panel, as the layout was drawn.
        EXPECT_EQ(dialog.bbKoniec->mapTo(&dialog, QPoint()), QPoint(268, 112));
        EXPECT_EQ(dialog.fLicKon0->x(), 24);
        EXPECT_GT(dialog.fLicKon2->y(), dialog.fLicKon0->y());
        EXPECT_TRUE(dialog.PanelLicKon->font().bold());
        EXPECT_FALSE(dialog.fLicKon0->font().bold());
        EXPECT_FALSE(dialog.fLicKon2->font().bold());

        QDir().mkpath(QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts"));
        dialog.grab().save(QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts/options-dialog.png"));
        dialog.bbKoniec->click();
    });
}

TEST_F(MenuOptionsTest, SaveWritesTheChoiceTakesItOverAndArmsTheCheck)
{
    storeLicKon(QStringLiteral("0"));
    const auto window = mainWindow();
    ASSERT_EQ(window->LicKon, 0);

    withDialog(*window, [](TfMenuInternet2 &dialog) {
        choose(dialog.fLicKon2);
        EXPECT_TRUE(dialog.bbUlozit->isEnabled());
        QTest::mouseClick(dialog.bbUlozit, Qt::LeftButton);
    });
    EXPECT_EQ(storedLicKon(), QStringLiteral("2"));
    EXPECT_EQ(window->LicKon, 2);
    EXPECT_TRUE(window->TimerDownload->isActive());

    window->TimerDownload->stop();
    withDialog(*window, [](TfMenuInternet2 &dialog) {
        EXPECT_TRUE(dialog.fLicKon2->isChecked());
        choose(dialog.fLicKon0);
        QTest::mouseClick(dialog.bbUlozit, Qt::LeftButton);
    });
    EXPECT_EQ(storedLicKon(), QStringLiteral("0"));
    EXPECT_EQ(window->LicKon, 0);
    EXPECT_TRUE(window->TimerDownload->isActive());

    // A change back to the stored value may be saved as well.
    window->TimerDownload->stop();
    withDialog(*window, [](TfMenuInternet2 &dialog) {
        choose(dialog.fLicKon2);
        choose(dialog.fLicKon0);
        EXPECT_TRUE(dialog.bbUlozit->isEnabled());
        QTest::mouseClick(dialog.bbUlozit, Qt::LeftButton);
    });
    EXPECT_EQ(storedLicKon(), QStringLiteral("0"));
    EXPECT_TRUE(window->TimerDownload->isActive());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MenuOptionsTest, LeavingWithoutSaveWritesNothing)
{
    storeLicKon(QStringLiteral("2"));
    const auto window = mainWindow();
    const std::pair<const char *, std::function<void(TfMenuInternet2 &)>> leaves[] = {
        {"Koniec", [](TfMenuInternet2 &d) { QTest::mouseClick(d.bbKoniec, Qt::LeftButton); }},
        {"Esc", [](TfMenuInternet2 &d) { QTest::keyClick(d.fLicKon0, Qt::Key_Escape); }},
        {"close box", [](TfMenuInternet2 &d) { d.close(); }},
    };
    for (const auto &[how, leave] : leaves) {
        withDialog(*window, [&](TfMenuInternet2 &dialog) {
            choose(dialog.fLicKon0);
            ASSERT_TRUE(dialog.bbUlozit->isEnabled());
            leave(dialog);
            EXPECT_FALSE(dialog.isVisible()) << how;
        });
        EXPECT_EQ(storedLicKon(), QStringLiteral("2")) << how;
        EXPECT_EQ(window->LicKon, 2) << how;
        EXPECT_FALSE(window->TimerDownload->isActive()) << how;
    }
    EXPECT_EQ(store.writes, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MenuOptionsTest, EnterOnARadioButtonMovesOnInsteadOfClosing)
{
    menu::core::MenuIni settings(store, dir.file(QStringLiteral("ORVAN/MENU/")));
    TfMenuInternet2 dialog(settings, boxes);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    choose(dialog.fLicKon2); // Save enabled: a default button is near
    for (QRadioButton *radio : {dialog.fLicKon0, dialog.fLicKon2}) {
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
    dialog.fLicKon2->setFocus();
    QTest::keyClick(dialog.fLicKon2, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dialog.bbUlozit);
    EXPECT_TRUE(dialog.fLicKon2->isChecked());
    EXPECT_EQ(store.writes, 0);
    dialog.close();
}

TEST_F(MenuOptionsTest, FailedWriteShowsTheErrorAndKeepsTheDialogOpen)
{
    storeLicKon(QStringLiteral("0"));
    const auto window = mainWindow();
    store.failWrites = true;
    withDialog(*window, [&](TfMenuInternet2 &dialog) {
        choose(dialog.fLicKon2);
        QTest::mouseClick(dialog.bbUlozit, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Error);
        EXPECT_EQ(boxes.boxes[0].text,
                  QStringLiteral("POZOR! Chyba pri ukladaní údajov !\r\rUnable to write to ") +
                      ini());
        // A close request after the failed one is not taken for a save.
        store.failWrites = false;
        dialog.close();
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(storedLicKon(), QStringLiteral("0"));
    EXPECT_EQ(window->LicKon, 0);
    EXPECT_FALSE(window->TimerDownload->isActive());

    // The user may try again once the disk takes writes.
    store.failWrites = true;
    withDialog(*window, [&](TfMenuInternet2 &dialog) {
        choose(dialog.fLicKon2);
        QTest::mouseClick(dialog.bbUlozit, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        store.failWrites = false;
        QTest::mouseClick(dialog.bbUlozit, Qt::LeftButton);
    });
    EXPECT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(storedLicKon(), QStringLiteral("2"));
    EXPECT_EQ(window->LicKon, 2);
    EXPECT_TRUE(window->TimerDownload->isActive());
}

} // namespace
