#include "core/Texts.h"
#include "core/UpdateChecker.h"
#include "gui/ButtonGrid.h"
#include "gui/ErrorBoundary.h"
#include "gui/MainWindow.h"
#include "gui/ModuleButton.h"
#include "platform/ProfileFiles.h"
#include "platform/posix/PosixShell.h"
#include "support/FakeServices.h"
#include "support/TempDir.h"
#include "InstalledLauncherTest.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using menu::core::BoxKind;
using menu::gui::ButtonGrid;
using menu::gui::MainWindow;
using menu::gui::ModuleButton;
using menu::test::child;

namespace {

class ModuleButtonsTest : public menu::test::InstalledLauncherTest<> {
  protected:
    ModuleButtonsTest()
        : InstalledLauncherTest(QDateTime(QDate(2024, 3, 15), QTime(9, 30)), {1600, 1000})
    {
        // A window of 1000 x 500 with its frame leaves a panel of about 780 x 480: four columns,
        // four rows.
        writeIni(QStringLiteral("ORVAN/MENU/menu.ini"),
                 "[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n");
    }

    void writeIni(const QString &name, const char *text) { dir.write(name, QByteArray(text)); }
    std::unique_ptr<MainWindow> open()
    {
        auto window = std::make_unique<MainWindow>(services, boxes);
        window->show();
        // The buttons as they are once their details have arrived.
        const auto *grid = window->findChild<ButtonGrid *>(QStringLiteral("buttonGrid"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !grid->filling(); }, 30'000));
        return window;
    }
};

ButtonGrid &gridOf(const MainWindow &window)
{
    return *child<ButtonGrid>(window, "buttonGrid");
}

// The button numbered n; a test failure when there is none.
ModuleButton *buttonOf(const MainWindow &window, int n)
{
    const QByteArray name = "moduleButton" + QByteArray::number(n);
    return child<ModuleButton>(gridOf(window), name.constData());
}

QStringList keysOf(const MainWindow &window)
{
    QStringList keys;
    const ButtonGrid &grid = gridOf(window);
    for (int n = 1; n <= grid.buttonCount(); ++n) {
        const auto *button =
            grid.findChild<ModuleButton *>(QStringLiteral("moduleButton%1").arg(n));
        keys << (button != nullptr ? button->key().text() : QStringLiteral("-"));
    }
    return keys;
}

// The submenu entries as "key caption".
QStringList itemsOf(const QMenu &menu)
{
    QStringList items;
    for (const QAction *action : menu.actions())
        items << action->data().toString() + QLatin1Char(' ') + action->text();
    return items;
}

QString launchFailed(const QString &name, int code)
{
    return menu::core::texts::launchFailed(
        name, menu::platform::ShellResult{static_cast<menu::platform::ShellCode>(code), {}});
}

TEST_F(ModuleButtonsTest, NoModuleFilesNoButtons)
{
    auto window = open();
    EXPECT_EQ(gridOf(*window).buttonCount(), 0);
    EXPECT_EQ(gridOf(*window).notice(),
              QStringLiteral("Moduly programového balíka ORVAN nie sú inštalované ..."));
}

TEST_F(ModuleButtonsTest, ButtonsAreNumberedAcrossModulesWithTheirSubmenus)
{
    writeIni(QStringLiteral("ORVAN/orvan-Srv.ini"),
             "[Menu1]\nExe=\\ORVAN\\SRV\\a.txt\nNaz=Servis\n"
             "[Menu2]\nExe=\\ORVAN\\SRV\\tv.exe\nNaz=Team Viewer - ORVAN\n");
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"),
             "[Menu1]\nExe=\\ORVAN\\TAV\\tav.txt\nNaz=Účtovníctvo\nDop=podvojné\n"
             "[Menu2]\nExe=\\ORVAN\\TAV\\b.txt\nNaz=Sklad\n"
             "[Menu21]\nExe=\\ORVAN\\TAV\\Manual.PDF\nNaz=Príručka\n"
             "[Menu22]\nExe=\\ORVAN\\TAV\\readme.txt\nNaz=Čítaj\n"
             "[Menu23]\nExe=\\ORVAN\\TAV\\tool.exe\nNaz=Nástroj\n"
             "[Menu25]\nExe=\\ORVAN\\TAV\\later.pdf\nNaz=Za medzerou\n");
    dir.write(QStringLiteral("ORVAN/SRV/a.txt"), "text");
    dir.write(QStringLiteral("ORVAN/TAV/tav.txt"), "text");
    dir.write(QStringLiteral("ORVAN/TAV/manual.pdf"), "%PDF");
    dir.write(QStringLiteral("ORVAN/TAV/readme.txt"), "text");

    auto window = open();
    EXPECT_EQ(keysOf(*window), (QStringList{QStringLiteral("Srv1"), QStringLiteral("Srv2"),
                                            QStringLiteral("Tav1"), QStringLiteral("Tav2")}));
    EXPECT_TRUE(gridOf(*window).notice().isEmpty());

    // The Team Viewer entry, missing: disabled, no version.
    const ModuleButton *tv = buttonOf(*window, 2);
    EXPECT_FALSE(tv->isEnabled());
    EXPECT_EQ(tv->caption(), QStringLiteral("Team Viewer - ORVAN\r\r(bez inštalácie)\r"));

    // A document as a button's target: enabled, no version information.
    const ModuleButton *tav = buttonOf(*window, 3);
    EXPECT_TRUE(tav->isEnabled());
    EXPECT_EQ(tav->caption(), QStringLiteral("Účtovníctvo\rpodvojné\rverzia neznáma\r"));
    EXPECT_FALSE(tav->icon().isNull());
    QMenu *noEntries = child<QMenu>(*window, "noEntriesMenu");
    EXPECT_EQ(tav->submenu(), noEntries);

    const ModuleButton *sklad = buttonOf(*window, 4);
    ASSERT_NE(sklad->submenu(), noEntries);
    EXPECT_EQ(sklad->submenu()->objectName(), QStringLiteral("submenuTav2"));
    const auto items = sklad->submenu()->actions();
    ASSERT_EQ(items.size(), 3); // the gap at Menu24 ends the submenu
    EXPECT_EQ(itemsOf(*sklad->submenu()),
              (QStringList{QStringLiteral("Tav21 Príručka"), QStringLiteral("Tav22 Čítaj"),
                           QStringLiteral("Tav23 Nástroj")}));
    EXPECT_TRUE(items[0]->isEnabled()); // Manual.PDF, found without case
    EXPECT_FALSE(items[0]->icon().isNull());
    EXPECT_FALSE(items[1]->isEnabled()); // a kind without a picture
    EXPECT_TRUE(items[1]->icon().isNull());
    EXPECT_FALSE(items[2]->isEnabled()); // missing program: the missing-file picture
    EXPECT_FALSE(items[2]->icon().isNull());
}

TEST_F(ModuleButtonsTest, GridFollowsThePanelAndTheArrangement)
{
    QByteArray tav;
    for (int b = 1; b <= 9; ++b)
        tav += "[Menu" + QByteArray::number(b) + "]\nExe=\\ORVAN\\x" + QByteArray::number(b) +
               ".exe\nNaz=P\n";
    dir.write(QStringLiteral("ORVAN/orvan-Tav.ini"), tav);
    dir.write(QStringLiteral("ORVAN/orvan-Pem.ini"), "[Menu1]\nExe=\\ORVAN\\p.exe\n");
    auto window = open();
    ASSERT_EQ(gridOf(*window).buttonCount(), 10);
    ASSERT_EQ(gridOf(*window).size(), window->size() - QSize(218, 19));
    EXPECT_EQ(gridOf(*window).columns(), 4);
    EXPECT_EQ(gridOf(*window).rows(), 4);
    EXPECT_EQ(buttonOf(*window, 5)->geometry(), QRect(0, 100, 190, 100));
    EXPECT_EQ(buttonOf(*window, 10)->geometry(), QRect(190, 200, 190, 100));
    EXPECT_EQ(gridOf(*window).minimumHeight(), 300);
    EXPECT_EQ(gridOf(*window).minimumWidth(), 570);

    child<QAction>(*window, "columnsAction")->trigger();
    EXPECT_EQ(buttonOf(*window, 5)->geometry(), QRect(190, 0, 190, 100));
    EXPECT_EQ(buttonOf(*window, 10)->geometry(), QRect(380, 100, 190, 100));
}

TEST_F(ModuleButtonsTest, RefreshFollowsTheFilesAsTheyAreNow)
{
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"), "[Menu1]\nExe=\\ORVAN\\t.exe\n");
    auto window = open();
    ASSERT_EQ(keysOf(*window), QStringList{QStringLiteral("Tav1")});
    // One entry still shows the notice; a refresh does not change it.
    EXPECT_FALSE(gridOf(*window).notice().isEmpty());

    writeIni(QStringLiteral("ORVAN/orvan-Srv.ini"), "[Menu1]\nExe=\\ORVAN\\s.exe\n");
    QTimer &check = child<menu::core::UpdateChecker>(*window, "updateChecker")->timer();
    check.stop();
    child<QAction>(*window, "refreshAction")->trigger();
    EXPECT_TRUE(check.isActive()); // a refresh looks for news as well
    EXPECT_EQ(keysOf(*window), (QStringList{QStringLiteral("Srv1"), QStringLiteral("Tav1")}));
    EXPECT_EQ(buttonOf(*window, 2)->geometry(), QRect(190, 0, 190, 100));
    EXPECT_FALSE(gridOf(*window).notice().isEmpty());
    EXPECT_EQ(gridOf(*window).findChildren<ModuleButton *>().size(), 2);

    QFile::remove(dir.file(QStringLiteral("ORVAN/orvan-Tav.ini")));
    QFile::remove(dir.file(QStringLiteral("ORVAN/orvan-Srv.ini")));
    child<QAction>(*window, "refreshAction")->trigger();
    EXPECT_EQ(gridOf(*window).buttonCount(), 0);
    EXPECT_TRUE(gridOf(*window).findChildren<ModuleButton *>().isEmpty());
}

TEST_F(ModuleButtonsTest, ClicksLaunchWhatTheFileSaysNow)
{
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"),
             "[Menu1]\nExe=\\ORVAN\\TAV\\tav.txt\nNaz=Účtovníctvo\n"
             "[Menu11]\nExe=\\ORVAN\\TAV\\help.pdf\nNaz=Pomoc\n");
    dir.write(QStringLiteral("ORVAN/TAV/tav.txt"), "x");
    dir.write(QStringLiteral("ORVAN/TAV/help.pdf"), "x");
    auto window = open();
    ModuleButton *button = buttonOf(*window, 1);
    ASSERT_NE(button, nullptr);

    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].first, dir.file(QStringLiteral("ORVAN/TAV/tav.txt")));
    EXPECT_EQ(shell.opened[0].second, dir.file(QStringLiteral("ORVAN/TAV")));
    EXPECT_TRUE(boxes.boxes.empty());

    button->submenu()->actions().at(0)->trigger();
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[1].first, dir.file(QStringLiteral("ORVAN/TAV/help.pdf")));
    // Whatever the system asks about the file comes over the main window.
    EXPECT_NE(window->winId(), 0u);
    EXPECT_EQ(shell.owners, (std::vector<menu::platform::OwnerWindow>(2, window->winId())));

    // Failures in the defined words; access denied stays silent.
    shell.result = menu::platform::ShellCode::NoAssociation;
    QTest::mouseClick(button, Qt::LeftButton);
    shell.result = menu::platform::ShellCode::AccessDenied;
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral("Chyba pri spustení aplikácie Účtovníctvo\r\r"
                             "Neexistuje aplikácia, súvisiaca s danou príponou súboru !"));

    // The name and target are read anew: a renamed, then removed target is reported.
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"),
             "[Menu1]\nExe=\\ORVAN\\TAV\\gone.exe\nNaz=Nové meno\n");
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].kind, BoxKind::Information);
    EXPECT_EQ(boxes.boxes[1].text,
              QStringLiteral("Aplikácia Nové meno nie je inštalovaná !\rSúbor ") +
                  dir.file(QStringLiteral("ORVAN/TAV/gone.exe")) + QStringLiteral(" neexistuje !"));
    button->submenu()->actions().at(0)->trigger();
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(
        boxes.boxes[2].text,
        QStringLiteral("POZOR ! V súbore orvan-Tav.ini je chyba pri deklarácii sekcie Menu11 !"));
    // The caption keeps what the build read until the next refresh.
    EXPECT_EQ(button->caption(), QStringLiteral("Účtovníctvo\r\rverzia neznáma\r"));

    // Without its module file the button's own section is not found either.
    QFile::remove(dir.file(QStringLiteral("ORVAN/orvan-Tav.ini")));
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(boxes.boxes.size(), 4u);
    EXPECT_EQ(
        boxes.boxes[3].text,
        QStringLiteral("POZOR ! V súbore orvan-Tav.ini je chyba pri deklarácii sekcie Menu1 !"));
    EXPECT_EQ(shell.opened.size(), 4u);
}

TEST_F(ModuleButtonsTest, EveryShellResultOfAClickGivesItsBox)
{
    writeIni(QStringLiteral("ORVAN/orvan-Pem.ini"),
             "[Menu1]\nExe=\\ORVAN\\PEM\\mzdy.exe\nNaz=Mzdy\n"
             "[Menu11]\nExe=\\ORVAN\\PEM\\navod.pdf\nNaz=Návod\n");
    dir.write(QStringLiteral("ORVAN/PEM/mzdy.exe"), "MZ");
    dir.write(QStringLiteral("ORVAN/PEM/navod.pdf"), "%PDF");
    auto window = open();
    ModuleButton *button = buttonOf(*window, 1);
    ASSERT_NE(button, nullptr);
    QAction *item = button->submenu()->actions().at(0);
    ASSERT_TRUE(item->isEnabled());

    for (int result = 0; result <= 43; ++result) {
        shell.result = static_cast<menu::platform::ShellCode>(result);
        boxes.boxes.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        item->trigger();
        const QString why = QStringLiteral("result %1").arg(result);
        if (result > 32 || result == 5) {
            EXPECT_TRUE(boxes.boxes.empty()) << why.toStdString();
            continue;
        }
        ASSERT_EQ(boxes.boxes.size(), 2u) << why.toStdString();
        EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Error);
        EXPECT_EQ(boxes.boxes[0].text, launchFailed(QStringLiteral("Mzdy"), result))
            << why.toStdString();
        EXPECT_TRUE(boxes.boxes[0].text.startsWith(
            QStringLiteral("Chyba pri spustení aplikácie Mzdy\r\r")));
        EXPECT_EQ(boxes.boxes[1].text, launchFailed(QStringLiteral("Návod"), result));
    }
    EXPECT_EQ(shell.opened.size(), 2u * 44u);
}

TEST_F(ModuleButtonsTest, RightClickShowsTheButtonsOwnSubmenu)
{
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"), "[Menu1]\nExe=\\ORVAN\\t1.exe\nNaz=Bez ponuky\n"
                                                    "[Menu2]\nExe=\\ORVAN\\t2.exe\nNaz=S ponukou\n"
                                                    "[Menu21]\nExe=\\ORVAN\\a.pdf\nNaz=Prvá\n"
                                                    "[Menu22]\nExe=\\ORVAN\\b.pdf\nNaz=Druhá\n");
    // Installed programs: a disabled button takes no clicks of either mouse button.
    dir.write(QStringLiteral("ORVAN/t1.exe"), "MZ");
    dir.write(QStringLiteral("ORVAN/t2.exe"), "MZ");
    auto window = open();
    const auto rightClick = [](QWidget *widget) {
        const QPoint at = widget->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    };

    QMenu *shown = rightClick(buttonOf(*window, 1));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown, child<QMenu>(*window, "noEntriesMenu"));
    ASSERT_EQ(shown->actions().size(), 1);
    EXPECT_EQ(shown->actions()[0]->text(), QStringLiteral("(žiadna ponuka)"));
    EXPECT_FALSE(shown->actions()[0]->isEnabled());
    shown->close();

    shown = rightClick(buttonOf(*window, 2));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->objectName(), QStringLiteral("submenuTav2"));
    EXPECT_EQ(itemsOf(*shown),
              (QStringList{QStringLiteral("Tav21 Prvá"), QStringLiteral("Tav22 Druhá")}));
    shown->close();
}

TEST_F(ModuleButtonsTest, ArrangementChosenInTheContextMenuIsStoredAtOnce)
{
    QByteArray tav;
    for (int b = 1; b <= 9; ++b)
        tav += "[Menu" + QByteArray::number(b) + "]\nExe=\\ORVAN\\x.exe\n";
    dir.write(QStringLiteral("ORVAN/orvan-Tav.ini"), tav);
    auto window = open();
    ASSERT_EQ(gridOf(*window).buttonCount(), 9);
    const auto stored = [this] {
        return store.read(dir.file(QStringLiteral("ORVAN/MENU/menu.ini")),
                          QStringLiteral("OPTIONS"), QStringLiteral("ButtonsView"));
    };
    EXPECT_EQ(stored(), std::nullopt);

    // Right-click the panel, then the mnemonics: Umiestnenie tlačidiel, Vertikálne.
    const auto choose = [&window](Qt::Key key) {
        const QPoint at(5, 5);
        ButtonGrid &grid = gridOf(*window);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid.mapToGlobal(at));
        QApplication::sendEvent(&grid, &event);
        auto *contextMenu = child<QMenu>(*window, "contextMenu");
        ASSERT_EQ(QApplication::activePopupWidget(), contextMenu);
        QTest::keyClick(contextMenu, Qt::Key_U);
        auto *arrangement = child<QMenu>(*window, "arrangementMenu");
        ASSERT_EQ(QApplication::activePopupWidget(), arrangement);
        QTest::keyClick(arrangement, key);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    };
    choose(Qt::Key_V);
    EXPECT_EQ(stored(), QStringLiteral("Ver"));
    EXPECT_TRUE(child<QAction>(*window, "columnsAction")->isChecked());
    EXPECT_EQ(buttonOf(*window, 5)->geometry(), QRect(190, 0, 190, 100));
    choose(Qt::Key_H);
    EXPECT_EQ(stored(), QStringLiteral("Hor"));
    EXPECT_TRUE(child<QAction>(*window, "rowsAction")->isChecked());
    EXPECT_EQ(buttonOf(*window, 5)->geometry(), QRect(0, 100, 190, 100));
}

TEST_F(ModuleButtonsTest, OneMoreColumnAsSoonAsItFits)
{
    QByteArray tav;
    for (int b = 1; b <= 9; ++b)
        tav += "[Menu" + QByteArray::number(b) + "]\nExe=\\ORVAN\\x.exe\n";
    dir.write(QStringLiteral("ORVAN/orvan-Tav.ini"), tav);
    dir.write(QStringLiteral("ORVAN/orvan-Pem.ini"), "[Menu1]\nExe=\\ORVAN\\p.exe\n");
    auto window = open();
    ASSERT_EQ(gridOf(*window).buttonCount(), 10);
    const QSize around = window->size() - gridOf(*window).size();
    const auto panel = [&](int width, int height) {
        window->resize(QSize(width, height) + around);
        QCoreApplication::processEvents();
        EXPECT_EQ(gridOf(*window).size(), QSize(width, height));
    };

    panel(800, 461);
    EXPECT_EQ(gridOf(*window).columns(), 4);
    EXPECT_EQ(gridOf(*window).rows(), 4);
    EXPECT_EQ(buttonOf(*window, 10)->geometry(), QRect(190, 200, 190, 100));
    EXPECT_EQ(gridOf(*window).minimumSize(), QSize(570, 300));

    panel(759, 461);
    EXPECT_EQ(gridOf(*window).columns(), 3);
    EXPECT_EQ(buttonOf(*window, 4)->geometry(), QRect(0, 100, 190, 100));
    EXPECT_EQ(buttonOf(*window, 10)->geometry(), QRect(0, 300, 190, 100));
    EXPECT_EQ(gridOf(*window).minimumHeight(), 400);

    panel(760, 461);
    EXPECT_EQ(gridOf(*window).columns(), 4);
    EXPECT_EQ(buttonOf(*window, 4)->geometry(), QRect(570, 0, 190, 100));
    EXPECT_EQ(buttonOf(*window, 10)->geometry(), QRect(190, 200, 190, 100));
    EXPECT_EQ(gridOf(*window).minimumHeight(), 300);

    // Vertical: the rows the height gives decide the columns, and so the minimum width.
    child<QAction>(*window, "columnsAction")->trigger();
    panel(800, 461);
    EXPECT_EQ(buttonOf(*window, 5)->geometry(), QRect(190, 0, 190, 100));
    panel(800, 399);
    EXPECT_EQ(gridOf(*window).rows(), 3);
    EXPECT_EQ(buttonOf(*window, 5)->geometry(), QRect(190, 100, 190, 100));
    EXPECT_EQ(gridOf(*window).minimumWidth(), 760);
}

TEST_F(ModuleButtonsTest, OneButtonKeepsTheFloorsOfTheMinimum)
{
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"), "[Menu1]\nExe=\\ORVAN\\t.exe\n");
    auto window = open();
    EXPECT_EQ(gridOf(*window).minimumSize(), QSize(218, 200));
}

// A real start through the system's shell service: a script that records where it runs, in a
// directory whose name would break any command line built from it.
TEST_F(ModuleButtonsTest, StartsANativeProgramInItsOwnDirectory)
{
    const QString ran = dir.file(QStringLiteral("ran.txt"));
    const QString script =
        dir.write(QStringLiteral("ORVAN/MOJE PROGRAMY/it's; start.sh"),
                  "#!/bin/sh\npwd > '" + QFile::encodeName(ran) + ".tmp' && mv '" +
                      QFile::encodeName(ran) + ".tmp' '" + QFile::encodeName(ran) + "'\n");
    ASSERT_TRUE(QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner));
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"),
             "[Menu1]\nExe=\\ORVAN\\MOJE PROGRAMY\\it's; start.sh\nNaz=Skript\n");
    menu::platform::PosixShell posix;
    services.shell = &posix;
    auto window = open();
    ModuleButton *button = buttonOf(*window, 1);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(boxes.boxes.empty());
    // The launcher does not wait for what it started; the test does.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(ran); }, 30000));
    const QString where = QString::fromLocal8Bit(dir.read(QStringLiteral("ran.txt"))).trimmed();
    EXPECT_EQ(QFileInfo(where).canonicalFilePath(),
              QFileInfo(dir.file(QStringLiteral("ORVAN/MOJE PROGRAMY"))).canonicalFilePath());
}

} // namespace
