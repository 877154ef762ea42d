#include "core/EntryTexts.h"
#include "gui/Faults.h"
#include "gui/MainWindow.h"
#include "gui/ModuleButton.h"
#include "platform/Executables.h"
#include "platform/ProfileFiles.h"
#include "platform/posix/PosixShell.h"
#include "support/FakeServices.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

using menu::gui::ModuleButton;
using menu::gui::ModuleMenuItem;
using menu::gui::TfMenuMain;
using menu::platform::BoxKind;

namespace {

class ModuleButtonsTest : public ::testing::Test {
  protected:
    ModuleButtonsTest() : clock(QDateTime(QDate(2024, 3, 15), QTime(9, 30))), screen({1600, 1000})
    {
        services = menu::test::installedLauncher(dir.path(), store, clock, screen, boxes, shell);
        menu::gui::setFaultBoxes(&boxes);
        // A window of 1000 x 500 with its frame leaves a panel of about 780 x 480: four columns,
        // four rows.
        writeIni(QStringLiteral("ORVAN/MENU/menu.ini"),
                 "[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n");
    }
    ~ModuleButtonsTest() override { menu::gui::setFaultBoxes(nullptr); }

    void writeIni(const QString &name, const char *text) { dir.write(name, QByteArray(text)); }
    std::unique_ptr<TfMenuMain> open()
    {
        auto window = std::make_unique<TfMenuMain>(services);
        window->show();
        return window;
    }

    menu::test::TempDir dir;
    menu::platform::ProfileFiles store;
    menu::test::RecordingBoxes boxes;
    menu::test::FixedClock clock;
    menu::test::FixedScreen screen;
    menu::test::RecordingShell shell;
    menu::platform::Services services;
};

QStringList keysOf(const TfMenuMain &window)
{
    QStringList keys;
    for (int n = 1; n <= window.ButtonCount; ++n) {
        const ModuleButton *button = window.moduleButton(n);
        keys << (button != nullptr ? button->CommandLinkHint : QStringLiteral("-"));
    }
    return keys;
}

TEST_F(ModuleButtonsTest, NoModuleFilesNoButtons)
{
    auto window = open();
    EXPECT_EQ(window->ButtonCount, 0);
    EXPECT_EQ(window->Panel->caption(),
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
    EXPECT_TRUE(window->Panel->caption().isEmpty());

    // The Team Viewer entry, missing: disabled, its path recorded, no version.
    const ModuleButton *tv = window->moduleButton(2);
    EXPECT_FALSE(tv->isEnabled());
    EXPECT_EQ(tv->caption(), QStringLiteral("Team Viewer - ORVAN\r\r(bez inštalácie)\r"));
    EXPECT_EQ(window->TeaFileExe, dir.file(QStringLiteral("ORVAN/SRV/tv.exe")));
    EXPECT_TRUE(window->TeaFileVersion.isEmpty());

    // A document as a button's target: enabled, no version information.
    const ModuleButton *tav = window->moduleButton(3);
    EXPECT_TRUE(tav->isEnabled());
    EXPECT_EQ(tav->caption(), QStringLiteral("Účtovníctvo\rpodvojné\rverzia neznáma\r"));
    EXPECT_FALSE(tav->icon().isNull());
    EXPECT_EQ(tav->PopupMenu, window->PopupMenuDefaultBez);

    const ModuleButton *sklad = window->moduleButton(4);
    ASSERT_NE(sklad->PopupMenu, window->PopupMenuDefaultBez);
    EXPECT_EQ(sklad->PopupMenu->objectName(), QStringLiteral("PopupMenuTav2"));
    const auto items = sklad->PopupMenu->actions();
    ASSERT_EQ(items.size(), 3); // the gap at Menu24 ends the submenu
    QStringList hints, captions;
    for (QAction *action : items) {
        hints << qobject_cast<ModuleMenuItem *>(action)->Hint;
        captions << action->text();
    }
    EXPECT_EQ(hints, (QStringList{QStringLiteral("Tav21"), QStringLiteral("Tav22"),
                                  QStringLiteral("Tav23")}));
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Príručka"), QStringLiteral("Čítaj"),
                                     QStringLiteral("Nástroj")}));
    EXPECT_TRUE(items[0]->isEnabled()); // Manual.PDF, found without case
    EXPECT_FALSE(items[0]->icon().isNull());
    EXPECT_FALSE(items[1]->isEnabled()); // a kind without a picture
    EXPECT_TRUE(items[1]->icon().isNull());
    EXPECT_FALSE(items[2]->isEnabled()); // missing program: the missing-file picture
    EXPECT_FALSE(items[2]->icon().isNull());

    QDir().mkpath(QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts"));
    window->grab().save(QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts/main-window-buttons.png"));
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
    ASSERT_EQ(window->ButtonCount, 10);
    ASSERT_EQ(window->Panel->size(), window->size() - QSize(218, 19));
    EXPECT_EQ(window->ButtonColumns, 4);
    EXPECT_EQ(window->ButtonRows, 4);
    EXPECT_EQ(window->moduleButton(5)->geometry(), QRect(0, 100, 190, 100));
    EXPECT_EQ(window->moduleButton(10)->geometry(), QRect(190, 200, 190, 100));
    EXPECT_EQ(window->Panel->minimumHeight(), 300);
    EXPECT_EQ(window->Panel->minimumWidth(), 570);

    window->MenuButtonsVer->trigger();
    EXPECT_EQ(window->moduleButton(5)->geometry(), QRect(190, 0, 190, 100));
    EXPECT_EQ(window->moduleButton(10)->geometry(), QRect(380, 100, 190, 100));
}

TEST_F(ModuleButtonsTest, RefreshFollowsTheFilesAsTheyAreNow)
{
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"), "[Menu1]\nExe=\\ORVAN\\t.exe\n");
    auto window = open();
    ASSERT_EQ(keysOf(*window), QStringList{QStringLiteral("Tav1")});
    // One entry still shows the notice; a refresh does not change it.
    EXPECT_FALSE(window->Panel->caption().isEmpty());

    writeIni(QStringLiteral("ORVAN/orvan-Srv.ini"), "[Menu1]\nExe=\\ORVAN\\s.exe\n");
    window->MenuRefresh->trigger();
    EXPECT_TRUE(window->LicKonTeraz);
    EXPECT_EQ(keysOf(*window), (QStringList{QStringLiteral("Srv1"), QStringLiteral("Tav1")}));
    EXPECT_EQ(window->moduleButton(2)->geometry(), QRect(190, 0, 190, 100));
    EXPECT_FALSE(window->Panel->caption().isEmpty());
    EXPECT_EQ(window->Panel->findChildren<ModuleButton *>().size(), 2);

    QFile::remove(dir.file(QStringLiteral("ORVAN/orvan-Tav.ini")));
    QFile::remove(dir.file(QStringLiteral("ORVAN/orvan-Srv.ini")));
    window->MenuRefresh->trigger();
    EXPECT_EQ(window->ButtonCount, 0);
    EXPECT_TRUE(window->Panel->findChildren<ModuleButton *>().isEmpty());
}

TEST_F(ModuleButtonsTest, ClicksLaunchWhatTheFileSaysNow)
{
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"),
             "[Menu1]\nExe=\\ORVAN\\TAV\\tav.txt\nNaz=Účtovníctvo\n"
             "[Menu11]\nExe=\\ORVAN\\TAV\\help.pdf\nNaz=Pomoc\n");
    dir.write(QStringLiteral("ORVAN/TAV/tav.txt"), "x");
    dir.write(QStringLiteral("ORVAN/TAV/help.pdf"), "x");
    auto window = open();
    ModuleButton *button = window->moduleButton(1);
    ASSERT_NE(button, nullptr);

    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].first, dir.file(QStringLiteral("ORVAN/TAV/tav.txt")));
    EXPECT_EQ(shell.opened[0].second, dir.file(QStringLiteral("ORVAN/TAV")));
    EXPECT_TRUE(boxes.boxes.empty());

    button->PopupMenu->actions().at(0)->trigger();
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[1].first, dir.file(QStringLiteral("ORVAN/TAV/help.pdf")));

    // Failures in the defined words; access denied stays silent.
    shell.result = 31;
    QTest::mouseClick(button, Qt::LeftButton);
    shell.result = 5;
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
    button->PopupMenu->actions().at(0)->trigger();
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
    ModuleButton *button = window->moduleButton(1);
    ASSERT_NE(button, nullptr);
    QAction *item = button->PopupMenu->actions().at(0);
    ASSERT_TRUE(item->isEnabled());

    for (int result = 0; result <= 43; ++result) {
        shell.result = result;
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
        EXPECT_EQ(boxes.boxes[0].text, menu::core::launchFailedText(QStringLiteral("Mzdy"), result))
            << why.toStdString();
        EXPECT_TRUE(boxes.boxes[0].text.startsWith(
            QStringLiteral("Chyba pri spustení aplikácie Mzdy\r\r")));
        EXPECT_EQ(boxes.boxes[1].text,
                  menu::core::launchFailedText(QStringLiteral("Návod"), result));
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

    QMenu *shown = rightClick(window->moduleButton(1));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown, window->PopupMenuDefaultBez);
    ASSERT_EQ(shown->actions().size(), 1);
    EXPECT_EQ(shown->actions()[0]->text(), QStringLiteral("(žiadna ponuka)"));
    EXPECT_FALSE(shown->actions()[0]->isEnabled());
    shown->close();

    shown = rightClick(window->moduleButton(2));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->objectName(), QStringLiteral("PopupMenuTav2"));
    QStringList items;
    for (QAction *action : shown->actions())
        items << qobject_cast<ModuleMenuItem *>(action)->Hint + QLatin1Char(' ') + action->text();
    EXPECT_EQ(items, (QStringList{QStringLiteral("Tav21 Prvá"), QStringLiteral("Tav22 Druhá")}));
    QDir().mkpath(QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts"));
    shown->grab().save(QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts/button-submenu.png"));
    shown->close();
}

TEST_F(ModuleButtonsTest, ArrangementChosenInTheContextMenuIsStoredAtOnce)
{
    QByteArray tav;
    for (int b = 1; b <= 9; ++b)
        tav += "[Menu" + QByteArray::number(b) + "]\nExe=\\ORVAN\\x.exe\n";
    dir.write(QStringLiteral("ORVAN/orvan-Tav.ini"), tav);
    auto window = open();
    ASSERT_EQ(window->ButtonCount, 9);
    const auto stored = [this] {
        return store.read(dir.file(QStringLiteral("ORVAN/MENU/menu.ini")),
                          QStringLiteral("OPTIONS"), QStringLiteral("ButtonsView"));
    };
    EXPECT_EQ(stored(), std::nullopt);

    // Right-click the panel, then the mnemonics: Umiestnenie tlačidiel, Vertikálne.
    const auto choose = [&window](Qt::Key key) {
        const QPoint at(5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, window->Panel->mapToGlobal(at));
        QApplication::sendEvent(window->Panel, &event);
        ASSERT_EQ(QApplication::activePopupWidget(), window->PopupMenu);
        QTest::keyClick(window->PopupMenu, Qt::Key_U);
        ASSERT_EQ(QApplication::activePopupWidget(), window->MenuButtons);
        QTest::keyClick(window->MenuButtons, key);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    };
    choose(Qt::Key_V);
    EXPECT_EQ(stored(), QStringLiteral("Ver"));
    EXPECT_TRUE(window->MenuButtonsVer->isChecked());
    EXPECT_EQ(window->moduleButton(5)->geometry(), QRect(190, 0, 190, 100));
    choose(Qt::Key_H);
    EXPECT_EQ(stored(), QStringLiteral("Hor"));
    EXPECT_TRUE(window->MenuButtonsHor->isChecked());
    EXPECT_EQ(window->moduleButton(5)->geometry(), QRect(0, 100, 190, 100));
}

TEST_F(ModuleButtonsTest, OneMoreColumnAsSoonAsItFits)
{
    QByteArray tav;
    for (int b = 1; b <= 9; ++b)
        tav += "[Menu" + QByteArray::number(b) + "]\nExe=\\ORVAN\\x.exe\n";
    dir.write(QStringLiteral("ORVAN/orvan-Tav.ini"), tav);
    dir.write(QStringLiteral("ORVAN/orvan-Pem.ini"), "[Menu1]\nExe=\\ORVAN\\p.exe\n");
    auto window = open();
    ASSERT_EQ(window->ButtonCount, 10);
    const QSize around = window->size() - window->Panel->size();
    const auto panel = [&](int width, int height) {
        window->resize(QSize(width, height) + around);
        QCoreApplication::processEvents();
        EXPECT_EQ(window->Panel->size(), QSize(width, height));
    };

    panel(800, 461);
    EXPECT_EQ(window->ButtonColumns, 4);
    EXPECT_EQ(window->ButtonRows, 4);
    EXPECT_EQ(window->moduleButton(10)->geometry(), QRect(190, 200, 190, 100));
    EXPECT_EQ(window->Panel->minimumSize(), QSize(570, 300));

    panel(759, 461);
    EXPECT_EQ(window->ButtonColumns, 3);
    EXPECT_EQ(window->moduleButton(4)->geometry(), QRect(0, 100, 190, 100));
    EXPECT_EQ(window->moduleButton(10)->geometry(), QRect(0, 300, 190, 100));
    EXPECT_EQ(window->Panel->minimumHeight(), 400);

    panel(760, 461);
    EXPECT_EQ(window->ButtonColumns, 4);
    EXPECT_EQ(window->moduleButton(4)->geometry(), QRect(570, 0, 190, 100));
    EXPECT_EQ(window->moduleButton(10)->geometry(), QRect(190, 200, 190, 100));
    EXPECT_EQ(window->Panel->minimumHeight(), 300);

    // Vertical: the rows the height gives decide the columns, and so the minimum width.
    window->MenuButtonsVer->trigger();
    panel(800, 461);
    EXPECT_EQ(window->moduleButton(5)->geometry(), QRect(190, 0, 190, 100));
    panel(800, 399);
    EXPECT_EQ(window->ButtonRows, 3);
    EXPECT_EQ(window->moduleButton(5)->geometry(), QRect(190, 100, 190, 100));
    EXPECT_EQ(window->Panel->minimumWidth(), 760);
}

TEST_F(ModuleButtonsTest, OneButtonKeepsTheFloorsOfTheMinimum)
{
    writeIni(QStringLiteral("ORVAN/orvan-Tav.ini"), "[Menu1]\nExe=\\ORVAN\\t.exe\n");
    auto window = open();
    EXPECT_EQ(window->Panel->minimumSize(), QSize(218, 200));
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
    ModuleButton *button = window->moduleButton(1);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(boxes.boxes.empty());
    // The launcher does not wait for what it started; the test does.
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(ran) && waited.elapsed() < 30000)
        QThread::msleep(20);
    ASSERT_TRUE(QFile::exists(ran));
    const QString where = QString::fromLocal8Bit(dir.read(QStringLiteral("ran.txt"))).trimmed();
    EXPECT_EQ(QFileInfo(where).canonicalFilePath(),
              QFileInfo(dir.file(QStringLiteral("ORVAN/MOJE PROGRAMY"))).canonicalFilePath());
}

} // namespace
