// The background update check on a real main window, against a scripted HTTP server on
// 127.0.0.1 and a faked internet state. The label shows a notice's lone CR as CR LF, the line
// break it stands for.
#include "core/HttpDown.h"
#include "gui/Faults.h"
#include "gui/MainWindow.h"
#include "gui/StatusBarPanels.h"
#include "gui/UpdateWorker.h"
#include "platform/Executables.h"
#include "platform/Regional.h"
#include "platform/ProfileFiles.h"
#include "support/FakeServices.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

using menu::gui::TfMenuMain;
using menu::gui::TVlakno;
using menu::test::ScriptedHttpServer;
using namespace std::chrono_literals;

namespace {

const QString kDocument = QStringLiteral("[ORVAN]\r\nAktCis=1.1.0.7\r\nAktDat=04.12.2023\r\n"
                                         "AktFil=orvan_1107.zip\r\n[TEA]\r\nAktCis=15.2.1\r\n"
                                         "AktFil=TeamViewer.exe\r\n");

bool waitFor(const std::function<bool()> &done, int ms = 30000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

// The wait on a silent connection, shortened for one test.
class WaitLimit {
  public:
    explicit WaitLimit(std::chrono::milliseconds limit) : before_(menu::core::detail::waitLimit())
    {
        menu::core::detail::setWaitLimitForTesting(limit);
    }
    ~WaitLimit() { menu::core::detail::setWaitLimitForTesting(before_); }

  private:
    std::chrono::milliseconds before_;
};

class UpdateCheckTest : public ::testing::Test {
  protected:
    UpdateCheckTest()
        : clock(QDateTime(QDate(2024, 3, 5), QTime(7, 4))), screen({1200, 900}),
          regional(menu::platform::slovakFormats(), QDate(2024, 3, 5))
    {
        services = menu::test::installedLauncher(dir.path(), store, clock, screen, boxes, shell);
        services.internet = &internet;
        services.regional = &regional;
        menu::gui::setFaultBoxes(&boxes);
        qputenv("ORVAN_UPDATE_HOST", server.address(QString()).toUtf8());
        serveDocument(kDocument.toUtf8());
    }
    ~UpdateCheckTest() override
    {
        // Whatever a test left running ends before the server and the files go.
        window.reset();
        EXPECT_TRUE(waitFor([] { return !TVlakno::anyRunning(); }));
        QCoreApplication::processEvents();
        qunsetenv("ORVAN_UPDATE_HOST");
        menu::gui::setFaultBoxes(nullptr);
    }

    void serveDocument(const QByteArray &body)
    {
        server.answer(ScriptedHttpServer::response(
            "HTTP/1.0 200 OK", "Content-Length: " + QByteArray::number(body.size()) + "\r\n",
            body));
    }
    TfMenuMain &open()
    {
        window = std::make_unique<TfMenuMain>(services);
        return *window;
    }
    // Runs one check from the timer's handler to its outcome on the label.
    void check()
    {
        window->TimerDownloadTimer();
        ASSERT_TRUE(waitFor([this] { return !window->ProgressUpdateCheck; }));
    }
    QString ini() const { return dir.file(QStringLiteral("ORVAN/MENU/menu.ini")); }
    std::optional<QString> stored(const char *section, const char *key) const
    {
        return store.read(ini(), QLatin1String(section), QLatin1String(key));
    }
    QString document() const { return dir.file(QStringLiteral("ORVAN/MENU/orvan_akt.$$$")); }
    QLabel &label() const { return *window->LabUpdateInfo; }
    bool labelRed() const
    {
        return label().palette().color(QPalette::WindowText) == QColor(Qt::red);
    }

    menu::test::TempDir dir;
    menu::platform::ProfileFiles store;
    menu::test::RecordingBoxes boxes;
    menu::test::FixedClock clock;
    menu::test::FixedScreen screen;
    menu::test::RecordingShell shell;
    menu::test::FakeInternet internet;
    menu::platform::FixedRegionalSettings regional;
    menu::platform::Services services;
    ScriptedHttpServer server;
    std::unique_ptr<TfMenuMain> window;
};

TEST_F(UpdateCheckTest, SuccessfulCheckStoresTheAnnouncementsAndTheTime)
{
    store.write(ini(), QStringLiteral("OPTIONS"), QStringLiteral("LicKonLast"),
                QStringLiteral("01.12.2023 08:05"));
    TfMenuMain &w = open();
    w.show();
    // Nothing announced yet: no notice, and the check is due a second later.
    EXPECT_TRUE(w.TimerDownload->isActive());
    EXPECT_EQ(label().text(), QString());
    check();
    EXPECT_FALSE(w.TimerDownload->isActive());

    EXPECT_EQ(server.connections(), 1);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /ORVANWIN/orvan_akt.ini HTTP/1.0\r\n"));
    EXPECT_EQ(label().text(), QString());
    EXPECT_EQ(label().toolTip(), QString());
    EXPECT_FALSE(labelRed());
    EXPECT_EQ(w.LicKonLast, QStringLiteral("05.03.2024 07:04"));
    EXPECT_EQ(w.StatusBar->panelText(1),
              QStringLiteral("  Posledná kontrola aktualizácií: dnes o 07:04"));
    EXPECT_FALSE(QFile::exists(document()));

    EXPECT_EQ(w.OrvanAktCis, QStringLiteral("1.1.0.7"));
    EXPECT_EQ(w.OrvanAktDat, QStringLiteral("04.12.2023"));
    EXPECT_EQ(w.OrvanAktFil, QStringLiteral("orvan_1107.zip"));
    EXPECT_EQ(w.TeaAktCis, QStringLiteral("15.2.1"));
    EXPECT_EQ(w.TeaAktFil, QStringLiteral("TeamViewer.exe"));
    EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.7"));
    EXPECT_EQ(stored("ORVAN", "AktDat"), QStringLiteral("04.12.2023"));
    EXPECT_EQ(stored("ORVAN", "AktFil"), QStringLiteral("orvan_1107.zip"));
    EXPECT_EQ(stored("TEA", "AktCis"), QStringLiteral("15.2.1"));
    EXPECT_EQ(stored("TEA", "AktFil"), QStringLiteral("TeamViewer.exe"));

    // The time reaches menu.ini when the window closes.
    w.close();
    EXPECT_EQ(stored("OPTIONS", "LicKonLast"), QStringLiteral("05.03.2024 07:04"));
}

TEST_F(UpdateCheckTest, FailedChecksShowWhyInRedAndChangeNothing)
{
    struct Case {
        const char *name;
        bool connected;
        const char *testFailure;
        std::optional<ScriptedHttpServer::Script> answer;
        QString text;
        QString hint;
        int connections;
    };
    const Case cases[] = {
        {"download failed", true, "",
         ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "", "missing"),
         QStringLiteral("UPOZORNENIE !\r\nStiahnutie neúspešné (404)!"), QString(), 1},
        {"test failed", false, "netlink refused", std::nullopt,
         QStringLiteral("POZOR ! Chyba pri zisťovaní pripojenia na internet !"),
         QStringLiteral("netlink refused"), 0},
        {"not connected", false, "", std::nullopt,
         QStringLiteral("Váš počítač nemá pripojenie na internet !"), QString(), 0},
    };
    store.write(ini(), QStringLiteral("ORVAN"), QStringLiteral("AktCis"), QStringLiteral("1.0"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        internet.isConnected = c.connected;
        internet.failure = QString::fromUtf8(c.testFailure);
        if (c.answer)
            server.answer(*c.answer);
        const int before = server.connections();
        TfMenuMain &w = open();
        w.LicKonLast = QStringLiteral("01.12.2023 08:05");
        w.LicKonTeraz = true;
        check();
        EXPECT_EQ(label().text(), c.text);
        EXPECT_EQ(label().toolTip(), c.hint);
        EXPECT_TRUE(labelRed());
        EXPECT_FALSE(w.LicKonTeraz);
        EXPECT_EQ(w.LicKonLast, QStringLiteral("01.12.2023 08:05"));
        EXPECT_EQ(server.connections(), before + c.connections);
        EXPECT_FALSE(QFile::exists(document()));
        EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.0"));
        EXPECT_EQ(QDir(dir.file(QStringLiteral("ORVAN/MENU"))).entryList(QDir::Files),
                  QStringList{QStringLiteral("menu.ini")});
    }
}

TEST_F(UpdateCheckTest, AProgramDirectoryThatCannotBeWrittenIsACriticalError)
{
    TfMenuMain &w = open();
    const QString menuDir = dir.file(QStringLiteral("ORVAN/MENU"));
    // Without root rights a read-only directory; with them, something in the way of the file.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot)
        dir.write(QStringLiteral("ORVAN/MENU/orvan_akt.$$$/in-the-way"), "x");
    else
        QFile::setPermissions(menuDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    check();
    if (!asRoot)
        QFile::setPermissions(menuDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
    EXPECT_EQ(label().text(), QStringLiteral("UPOZORNENIE !\r\nKritická chyba pri sťahovaní!"));
    EXPECT_TRUE(
        label().toolTip().startsWith(QStringLiteral("Kritická chyba pri sťahovaní!\r\n\r\n")));
    EXPECT_GT(label().toolTip().size(), 40);
    EXPECT_TRUE(labelRed());
    EXPECT_EQ(w.LicKonLast, QString());
}

TEST_F(UpdateCheckTest, NewerAnnouncedLauncherShowsTheNoticeInsteadOfChecking)
{
    TfMenuMain &w = open();
    w.FileVersion = QStringLiteral("1.0.0.9");
    w.OrvanAktCis = QStringLiteral("1.0.0.10"); // smaller as text
    w.UpdateCheckStart();
    EXPECT_TRUE(w.TimerDownload->isActive());
    EXPECT_EQ(label().text(), QString());

    w.TimerDownload->stop();
    w.OrvanAktCis = QStringLiteral("1.0.0.9a");
    w.UpdateCheckStart();
    EXPECT_FALSE(w.TimerDownload->isActive());
    EXPECT_EQ(label().text(), QStringLiteral("UPOZORNENIE !\r\nNainštalujte novú verziu "
                                             "programu\r\nORVAN-Základná ponuka !"));
    EXPECT_EQ(label().toolTip(), QStringLiteral("Ukončite program ORVAN a opäť spusťte ..."));
    EXPECT_TRUE(labelRed());

    // A refresh does not check either while the announcement stays greater.
    w.MenuRefreshClick();
    EXPECT_FALSE(w.TimerDownload->isActive());
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(UpdateCheckTest, SwitchedOffCheckRunsOnlyWhenARefreshAsksForIt)
{
    store.write(ini(), QStringLiteral("OPTIONS"), QStringLiteral("LicKon"), QStringLiteral("2"));
    TfMenuMain &w = open();
    w.show();
    ASSERT_TRUE(w.TimerDownload->isActive());
    w.TimerDownloadTimer();
    EXPECT_FALSE(w.ProgressUpdateCheck);
    EXPECT_EQ(label().text(), QStringLiteral("Kontrola aktualizácií cez internet je vypnutá."));
    EXPECT_EQ(label().toolTip(),
              QStringLiteral("Nastavenie kontroly je možné pravým tlačidlom na ploche ORVAN ..."));
    EXPECT_FALSE(labelRed());
    EXPECT_EQ(TVlakno::running(), 0);

    w.MenuRefreshClick();
    EXPECT_TRUE(w.LicKonTeraz);
    ASSERT_TRUE(w.TimerDownload->isActive());
    check();
    EXPECT_EQ(server.connections(), 1);
    EXPECT_FALSE(w.LicKonTeraz);
    EXPECT_EQ(w.LicKonLast.size(), 16);

    // The request was used up: the next start of the timer is switched off again.
    w.TimerDownloadTimer();
    EXPECT_EQ(label().text(), QStringLiteral("Kontrola aktualizácií cez internet je vypnutá."));
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(UpdateCheckTest, RefreshDuringARunningCheckStartsNoSecondWorker)
{
    const WaitLimit limit(500ms);
    server.answer({{}, true}); // accepts and never answers
    TfMenuMain &w = open();
    w.TimerDownloadTimer();
    EXPECT_TRUE(w.ProgressUpdateCheck);
    EXPECT_EQ(label().text(), QStringLiteral("Prebieha kontrola aktualizácií cez internet ..."));
    EXPECT_FALSE(labelRed());
    ASSERT_TRUE(waitFor([this] { return server.connections() == 1; }));

    w.MenuRefreshClick();
    w.TimerDownloadTimer();
    EXPECT_EQ(TVlakno::running(), 1);
    EXPECT_TRUE(w.LicKonTeraz);

    ASSERT_TRUE(waitFor([&w] { return !w.ProgressUpdateCheck; }));
    EXPECT_FALSE(w.LicKonTeraz);
    EXPECT_EQ(label().text(), QStringLiteral("UPOZORNENIE !\r\nServer nenájdený (500)!"));
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(UpdateCheckTest, DocumentWithoutTeaEmptiesItsAnnouncements)
{
    store.write(ini(), QStringLiteral("TEA"), QStringLiteral("AktCis"), QStringLiteral("14.0"));
    store.write(ini(), QStringLiteral("TEA"), QStringLiteral("AktFil"), QStringLiteral("old.exe"));
    // ANSI text: the system's code page (Windows-1250), as the vendor's server keeps it.
    serveDocument(QByteArray("[ORVAN]\r\nAktCis=1.1.0.8\r\nAktFil=bal\xEDk.zip\r\n"));
    TfMenuMain &w = open();
    w.show();
    EXPECT_EQ(w.TeaAktCis, QStringLiteral("14.0"));
    check();
    EXPECT_EQ(w.OrvanAktCis, QStringLiteral("1.1.0.8"));
    EXPECT_EQ(w.OrvanAktFil, QStringLiteral("balík.zip"));
    EXPECT_EQ(w.OrvanAktDat, QString());
    EXPECT_EQ(w.TeaAktCis, QString());
    EXPECT_EQ(w.TeaAktFil, QString());
    EXPECT_EQ(stored("ORVAN", "AktFil"), QStringLiteral("balík.zip"));
    // Written empty, not left as they were.
    EXPECT_EQ(stored("ORVAN", "AktDat"), QString());
    EXPECT_EQ(stored("TEA", "AktCis"), QString());
    EXPECT_EQ(stored("TEA", "AktFil"), QString());
    EXPECT_EQ(w.LicKonLast.size(), 16);
    EXPECT_FALSE(QFile::exists(document()));
}

TEST_F(UpdateCheckTest, AnnouncementsThatCannotBeStoredAreReportedAndTheCheckEnds)
{
    TfMenuMain &w = open();
    // menu.ini cannot be replaced while a directory stands in its place.
    dir.write(QStringLiteral("ORVAN/MENU/menu.ini/in-the-way"), "x");
    check();
    EXPECT_EQ(label().text(),
              QStringLiteral("UPOZORNENIE !\r\nInformácie o aktualizáciách nie je možné uložiť!"));
    EXPECT_TRUE(label().toolTip().startsWith(QStringLiteral("Unable to write to ")));
    EXPECT_TRUE(labelRed());
    EXPECT_FALSE(w.ProgressUpdateCheck);
    EXPECT_FALSE(QFile::exists(document()));
}

TEST_F(UpdateCheckTest, AWorkerThatCannotStartIsReportedAndBlocksNothing)
{
    TfMenuMain &w = open();
    TVlakno::failNextStartForTesting();
    w.TimerDownloadTimer();
    EXPECT_FALSE(w.ProgressUpdateCheck);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, menu::platform::BoxKind::Error);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(QStringLiteral("POZOR ! ")));

    check(); // the next one runs
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(UpdateCheckTest, WindowDestroyedWhileTheWorkerWaitsDropsTheOutcome)
{
    const WaitLimit limit(300ms);
    server.answer({{}, true});
    TfMenuMain &w = open();
    w.TimerDownloadTimer();
    ASSERT_TRUE(waitFor([this] { return server.connections() == 1; }));
    window.reset();
    ASSERT_TRUE(waitFor([] { return !TVlakno::anyRunning(); }));
    QCoreApplication::processEvents(); // the outcome arrives and finds nobody
    EXPECT_FALSE(stored("OPTIONS", "LicKonLast").has_value());
    EXPECT_FALSE(QFile::exists(document()));

    // A late success is dropped the same way.
    serveDocument(kDocument.toUtf8());
    open().TimerDownloadTimer();
    window.reset();
    ASSERT_TRUE(waitFor([] { return !TVlakno::anyRunning(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(stored("ORVAN", "AktCis").has_value());
}

} // namespace
