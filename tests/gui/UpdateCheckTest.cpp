// The background update check on a real main window, against a scripted HTTP server on
// 127.0.0.1 and a faked internet state. The label shows a notice's lone CR as CR LF, the line
// break it stands for.
#include "core/Texts.h"
#include "core/UpdateChecker.h"
#include "gui/ErrorBoundary.h"
#include "gui/MainWindow.h"
#include "gui/StatusBarPanels.h"
#include "platform/ProfileFiles.h"
#include "platform/Regional.h"
#include "support/FakeServices.h"
#include "support/PeFixtures.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"
#include "support/UpdateServer.h"
#include "InstalledLauncherTest.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

using menu::core::UpdateChecker;
using menu::gui::MainWindow;
using menu::test::child;
using menu::test::ScriptedHttpServer;
using namespace std::chrono_literals;

namespace {

const QString kDocument = QStringLiteral("[ORVAN]\r\nAktCis=1.1.0.7\r\nAktDat=04.12.2023\r\n"
                                         "AktFil=orvan_1107.zip\r\n[TEA]\r\nAktCis=15.2.1\r\n"
                                         "AktFil=TeamViewer.exe\r\n");

class UpdateCheckTest : public menu::test::InstalledLauncherTest<> {
  protected:
    UpdateCheckTest()
        : InstalledLauncherTest(QDateTime(QDate(2024, 3, 5), QTime(7, 4)), {1200, 900}),
          regional(menu::platform::slovakFormats(), QDate(2024, 3, 5))
    {
        services.internet = &internet;
        services.regional = &regional;
        services.updateAddress = menu::test::updateAddressOn(server);
        serveDocument(kDocument.toUtf8());
    }
    ~UpdateCheckTest() override
    {
        // Whatever a test left running ends before the server and the files go.
        window.reset();
    }

    void serveDocument(const QByteArray &body)
    {
        server.answer(ScriptedHttpServer::response(
            "HTTP/1.0 200 OK", "Content-Length: " + QByteArray::number(body.size()) + "\r\n",
            body));
    }
    MainWindow &open()
    {
        window.reset(); // one launcher at a time
        window = std::make_unique<MainWindow>(services, boxes);
        return *window;
    }
    UpdateChecker &checker() const { return *child<UpdateChecker>(*window, "updateChecker"); }
    // The check's timer runs out now; its handler decides whether a check starts.
    void fire() const
    {
        checker().timer().start(0);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !checker().timer().isActive(); }));
    }
    // Runs one check from the timer's handler to its outcome on the label.
    void check() const
    {
        fire();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !checker().running(); }, 30000));
    }
    QString ini() const { return dir.file(QStringLiteral("ORVAN/MENU/menu.ini")); }
    std::optional<QString> stored(const char *section, const char *key) const
    {
        return store.read(ini(), QLatin1String(section), QLatin1String(key));
    }
    void storeValue(const char *section, const char *key, const char *value)
    {
        ASSERT_TRUE(
            store.write(ini(), QLatin1String(section), QLatin1String(key), QLatin1String(value))
                .ok());
    }
    // Everything in the program directory, hidden files (a download's new file) included, but
    // the settings' lock file, which stays by design.
    QStringList programDirFiles() const
    {
        QStringList files =
            QDir(dir.file(QStringLiteral("ORVAN/MENU")))
                .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        files.removeAll(QStringLiteral("menu.ini.lock"));
        return files;
    }
    // What the check left in the program directory besides the settings.
    QStringList leftBehind() const
    {
        QStringList files = programDirFiles();
        files.removeAll(QStringLiteral("menu.ini"));
        return files;
    }
    QLabel &label() const { return *child<QLabel>(*window, "updateInfoLabel"); }
    bool labelRed() const
    {
        return label().palette().color(QPalette::WindowText) == QColor(Qt::red);
    }
    void refresh() const { child<QAction>(*window, "refreshAction")->trigger(); }

    menu::test::FakeInternet internet;
    menu::platform::FixedRegionalSettings regional;
    ScriptedHttpServer server;
    std::unique_ptr<MainWindow> window;
};

TEST_F(UpdateCheckTest, SuccessfulCheckStoresTheAnnouncementsAndTheTime)
{
    storeValue("OPTIONS", "LicKonLast", "01.12.2023 08:05");
    MainWindow &w = open();
    w.show();
    // Nothing announced yet: no notice, and the check is due a second later.
    EXPECT_TRUE(checker().timer().isActive());
    EXPECT_EQ(label().text(), QString());
    check();
    EXPECT_FALSE(checker().timer().isActive());

    EXPECT_EQ(server.connections(), 1);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /ORVANWIN/orvan_akt.ini HTTP/1.0\r\n"));
    EXPECT_EQ(label().text(), QString());
    EXPECT_EQ(label().toolTip(), QString());
    EXPECT_FALSE(labelRed());
    EXPECT_EQ(checker().lastCheck(), QStringLiteral("05.03.2024 07:04"));
    EXPECT_EQ(child<menu::gui::StatusBarPanels>(w, "statusBar")->panelText(1),
              QStringLiteral("  Posledná kontrola aktualizácií: dnes o 07:04"));
    EXPECT_EQ(programDirFiles(), QStringList{QStringLiteral("menu.ini")});

    const menu::core::Announcement &launcher = checker().launcherAnnouncement();
    EXPECT_EQ(launcher.version, QStringLiteral("1.1.0.7"));
    EXPECT_EQ(launcher.date, QStringLiteral("04.12.2023"));
    EXPECT_EQ(launcher.file, QStringLiteral("orvan_1107.zip"));
    EXPECT_EQ(checker().teamViewerAnnouncement().version, QStringLiteral("15.2.1"));
    EXPECT_EQ(checker().teamViewerAnnouncement().file, QStringLiteral("TeamViewer.exe"));
    EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.7"));
    EXPECT_EQ(stored("ORVAN", "AktDat"), QStringLiteral("04.12.2023"));
    EXPECT_EQ(stored("ORVAN", "AktFil"), QStringLiteral("orvan_1107.zip"));
    EXPECT_EQ(stored("TEA", "AktCis"), QStringLiteral("15.2.1"));
    EXPECT_EQ(stored("TEA", "AktFil"), QStringLiteral("TeamViewer.exe"));

    // The time reaches menu.ini when the window closes.
    EXPECT_EQ(stored("OPTIONS", "LicKonLast"), QStringLiteral("01.12.2023 08:05"));
    EXPECT_TRUE(w.close());
    EXPECT_EQ(stored("OPTIONS", "LicKonLast"), QStringLiteral("05.03.2024 07:04"));
}

TEST_F(UpdateCheckTest, FailedChecksShowWhyInRedAndChangeNothing)
{
    const menu::Failure netlink = menu::Failure::of(std::errc::permission_denied);
    struct Case {
        const char *name;
        bool connected;
        std::optional<menu::Failure> testFailure;
        std::optional<ScriptedHttpServer::Script> answer;
        QString text;
        QString hint;
        int connections;
    };
    const Case cases[] = {
        {"download failed", true, std::nullopt,
         ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "", "missing"),
         QStringLiteral("UPOZORNENIE !\nStiahnutie neúspešné (404)!"), QString(), 1},
        {"test failed", false, netlink, std::nullopt,
         QStringLiteral("POZOR ! Chyba pri zisťovaní pripojenia na internet !"),
         menu::core::texts::reason(netlink), 0},
        {"not connected", false, std::nullopt, std::nullopt,
         QStringLiteral("Váš počítač nemá pripojenie na internet !"), QString(), 0},
    };
    // Team Viewer's announcement: a launcher's would be a version waiting to be installed,
    // whose notice a failed check leaves as it is.
    storeValue("TEA", "AktCis", "1.0");
    storeValue("OPTIONS", "LicKonLast", "01.12.2023 08:05");
    // Switched off: only a refresh's request makes these checks run.
    storeValue("OPTIONS", "LicKon", "2");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        internet.isConnected = c.connected;
        internet.failure = c.testFailure;
        if (c.answer)
            server.answer(*c.answer);
        const int before = server.connections();
        open();
        refresh();
        check();
        EXPECT_EQ(label().text(), c.text);
        EXPECT_EQ(label().toolTip(), c.hint);
        EXPECT_TRUE(labelRed());
        EXPECT_EQ(checker().lastCheck(), QStringLiteral("01.12.2023 08:05"));
        EXPECT_EQ(server.connections(), before + c.connections);
        EXPECT_EQ(stored("TEA", "AktCis"), QStringLiteral("1.0"));
        EXPECT_EQ(programDirFiles(), QStringList{QStringLiteral("menu.ini")});
        // The failed check used up the refresh's request.
        fire();
        EXPECT_FALSE(checker().running());
        EXPECT_EQ(label().text(), QStringLiteral("Kontrola aktualizácií cez internet je vypnutá."));
    }
}

// The document was once downloaded into a file of a fixed name beside the launcher; whatever
// stands at that name now is neither written through nor removed.
TEST_F(UpdateCheckTest, APlantedFileAtTheOldDocumentNameIsLeftAlone)
{
    const QString victim = dir.write(QStringLiteral("victim"), "mine");
    ASSERT_TRUE(QFile::link(victim, dir.file(QStringLiteral("ORVAN/MENU/orvan_akt.$$$"))));
    open();
    check();
    EXPECT_EQ(label().text(), QString());
    EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.7"));
    EXPECT_EQ(dir.read(QStringLiteral("victim")), QByteArray("mine"));
    EXPECT_EQ(leftBehind(), QStringList{QStringLiteral("orvan_akt.$$$")});
}

// The notice shows at once while a later launcher is announced, and the check runs quietly all
// the same: a version the server no longer announces (one forged announcement, once stored)
// does not stay.
TEST_F(UpdateCheckTest, NewerAnnouncedLauncherShowsTheNoticeAndIsCheckedAgain)
{
    // A launcher of version 2.0.1.15; versions are compared as texts. The server announces
    // 1.1.0.7.
    ASSERT_TRUE(QFile::copy(menu::test::peFixture("slovak.exe"), services.executablePath));
    const struct {
        const char *announced;
        bool notice;
    } cases[] = {
        {"2.0.1.100", false}, // later as a number, earlier as a text
        {"2.0.1.15", false},
        {"2.0.1.15a", true},
        {"9.9.9.99", true},
    };
    const QString notice = QStringLiteral("UPOZORNENIE !\nNainštalujte novú verziu "
                                          "programu\nORVAN-Základná ponuka !");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.announced);
        storeValue("ORVAN", "AktCis", c.announced);
        const int before = server.connections();
        MainWindow &w = open();
        w.show();
        // Armed at once, or once the offer of the later launcher has been answered.
        EXPECT_TRUE(QTest::qWaitFor([this] { return checker().timer().isActive(); }));
        EXPECT_EQ(label().text(), c.notice ? notice : QString());
        if (c.notice) {
            EXPECT_EQ(label().toolTip(),
                      QStringLiteral("Ukončite program ORVAN a opäť spusťte ..."));
            EXPECT_TRUE(labelRed());
        }
        check();
        EXPECT_EQ(server.connections(), before + 1);
        EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.7"));
        EXPECT_EQ(label().text(), QString());
    }

    // A check that does not reach the document changes nothing: the notice stays, as before.
    for (const bool offline : {true, false}) {
        SCOPED_TRACE(offline ? "offline" : "404");
        internet.isConnected = !offline;
        server.answer(ScriptedHttpServer::response("HTTP/1.0 404 Not Found", "", ""));
        storeValue("ORVAN", "AktCis", "9.9.9.99");
        open().show();
        check();
        EXPECT_EQ(label().text(), notice);
        EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("9.9.9.99"));
    }
}

TEST_F(UpdateCheckTest, SwitchedOffCheckRunsOnlyWhenARefreshAsksForIt)
{
    storeValue("OPTIONS", "LicKon", "2");
    MainWindow &w = open();
    w.show();
    ASSERT_TRUE(checker().timer().isActive());
    fire();
    EXPECT_FALSE(checker().running());
    EXPECT_EQ(label().text(), QStringLiteral("Kontrola aktualizácií cez internet je vypnutá."));
    EXPECT_EQ(label().toolTip(),
              QStringLiteral("Nastavenie kontroly je možné pravým tlačidlom na ploche ORVAN ..."));
    EXPECT_FALSE(labelRed());
    EXPECT_EQ(internet.asked, 0);

    refresh();
    ASSERT_TRUE(checker().timer().isActive());
    check();
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(checker().lastCheck(), QStringLiteral("05.03.2024 07:04"));

    // The request was used up: the next start of the timer is switched off again.
    fire();
    EXPECT_EQ(label().text(), QStringLiteral("Kontrola aktualizácií cez internet je vypnutá."));
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(UpdateCheckTest, AWaitingVersionHoldsTheCheckUntilTheOfferIsAnswered)
{
    storeValue("ORVAN", "AktCis", "9.9.9.99");
    bool checkDuringOffer = true;
    boxes.onShow = [this, &checkDuringOffer](const menu::test::RecordedBox &) {
        checkDuringOffer = checker().timer().isActive() || checker().running();
    };
    open().show();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !boxes.boxes.empty(); }));
    EXPECT_EQ(boxes.boxes[0].kind, menu::core::BoxKind::Confirmation);
    EXPECT_FALSE(checkDuringOffer);
    // Answered No: the check runs all the same, so that a withdrawn version goes.
    EXPECT_TRUE(checker().timer().isActive());
    const QString waiting = label().text();
    EXPECT_TRUE(waiting.startsWith(QStringLiteral("UPOZORNENIE !"))) << waiting.toStdString();

    // Switched off in the settings while the version waits: the label says so.
    checker().setCheckFrequency(menu::core::kCheckNever);
    fire();
    EXPECT_EQ(label().text(), QStringLiteral("Kontrola aktualizácií cez internet je vypnutá."));
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(UpdateCheckTest, RefreshDuringARunningCheckStartsNoSecondCheck)
{
    // The server keeps the check busy for a while after the header's first line, long enough
    // for the steps below, which take no time of their own.
    ScriptedHttpServer::Script slow;
    slow.steps.push_back({"HTTP/1.0 404 Not Found\r\n", 3s});
    slow.steps.push_back({"Content-Length: 0\r\n\r\n", 0ms});
    server.answer(slow);
    storeValue("OPTIONS", "LicKon", "2");
    open();
    refresh();
    fire();
    EXPECT_TRUE(checker().running());
    EXPECT_EQ(label().text(), QStringLiteral("Prebieha kontrola aktualizácií cez internet ..."));
    EXPECT_FALSE(labelRed());
    ASSERT_TRUE(QTest::qWaitFor([this] { return server.connections() == 1; }, 30000));

    refresh();
    fire();
    EXPECT_TRUE(checker().running());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !checker().running(); }, 30000));
    EXPECT_EQ(label().text(), QStringLiteral("UPOZORNENIE !\nStiahnutie neúspešné (404)!"));
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(internet.asked, 1);

    // The refresh during the check was answered by it.
    fire();
    EXPECT_EQ(label().text(), QStringLiteral("Kontrola aktualizácií cez internet je vypnutá."));
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(UpdateCheckTest, DocumentWithoutTeaEmptiesItsAnnouncements)
{
    storeValue("TEA", "AktCis", "14.0");
    storeValue("TEA", "AktFil", "old.exe");
    // ANSI text: the system's code page (Windows-1250), as the vendor's server keeps it.
    serveDocument(QByteArray("[ORVAN]\r\nAktCis=1.1.0.8\r\nAktFil=bal\xEDk.zip\r\n"));
    open();
    EXPECT_EQ(checker().teamViewerAnnouncement().version, QStringLiteral("14.0"));
    check();
    EXPECT_EQ(checker().launcherAnnouncement().version, QStringLiteral("1.1.0.8"));
    EXPECT_EQ(checker().launcherAnnouncement().file, QStringLiteral("balík.zip"));
    EXPECT_EQ(checker().launcherAnnouncement().date, QString());
    EXPECT_EQ(checker().teamViewerAnnouncement().version, QString());
    EXPECT_EQ(checker().teamViewerAnnouncement().file, QString());
    EXPECT_EQ(stored("ORVAN", "AktFil"), QStringLiteral("balík.zip"));
    // Written empty, not left as they were.
    EXPECT_EQ(stored("ORVAN", "AktDat"), QString());
    EXPECT_EQ(stored("TEA", "AktCis"), QString());
    EXPECT_EQ(stored("TEA", "AktFil"), QString());
    EXPECT_EQ(checker().lastCheck().size(), 16);
}

TEST_F(UpdateCheckTest, AnnouncementsThatCannotBeStoredAreReportedAndTheCheckEnds)
{
    open();
    // menu.ini cannot be replaced while a directory stands in its place.
    dir.write(QStringLiteral("ORVAN/MENU/menu.ini/in-the-way"), "x");
    check();
    EXPECT_EQ(label().text(),
              QStringLiteral("UPOZORNENIE !\nInformácie o aktualizáciách nie je možné uložiť!"));
    EXPECT_TRUE(label().toolTip().startsWith(QStringLiteral("Unable to write to ")));
    EXPECT_TRUE(labelRed());
}

// Quitting while the check waits for the server: the window goes at once, the check's outcome
// is dropped, and neither the document nor the download's new file beside it is left behind.
TEST_F(UpdateCheckTest, QuittingDuringACheckEndsItAtOnceAndLeavesNoFiles)
{
    ScriptedHttpServer::Script silent{{}, true};
    // The header and part of the body, then nothing.
    ScriptedHttpServer::Script stalled{
        {{"HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + QByteArray(3000, 'x'), 0ms}}, true};
    const struct {
        const char *name;
        ScriptedHttpServer::Script script;
        bool closeFirst; // closed (as by the close box or a termination signal), then destroyed
    } cases[] = {
        {"silent server, destroyed", silent, false},
        {"silent server, closed", silent, true},
        {"stalled body, destroyed", stalled, false},
        {"stalled body, closed", stalled, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer(c.script);
        const int before = server.connections();
        open().show();
        checker().timer().stop();
        fire();
        ASSERT_TRUE(checker().running());
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.connections() == before + 1; }, 30000));

        QElapsedTimer quitting;
        quitting.start();
        if (c.closeFirst) {
            EXPECT_TRUE(window->close());
        }
        window.reset();
        EXPECT_LT(quitting.elapsed(), 1000);
        QCoreApplication::processEvents(); // the outcome would arrive now and finds nobody
        EXPECT_EQ(leftBehind(), QStringList()) << leftBehind().join(u' ').toStdString();
        EXPECT_FALSE(stored("ORVAN", "AktCis").has_value());
        EXPECT_EQ(stored("OPTIONS", "LicKonLast").value_or(QString()), QString());
    }

    // A check that succeeds after its window has gone is dropped the same way.
    serveDocument(kDocument.toUtf8());
    open();
    fire();
    window.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(stored("ORVAN", "AktCis").has_value());
}

} // namespace
