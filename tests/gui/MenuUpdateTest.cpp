#include "gui/MenuUpdate.h"

#include "widgets/AEdit.h"
#include "gui/Faults.h"
#include "support/FakeServices.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using menu::gui::TfMenuUpdate;
using menu::platform::BoxKind;
using menu::test::ScriptedHttpServer;

namespace {

QString artefact(const QString &name)
{
    QDir().mkpath(QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts"));
    return QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts/") + name;
}

bool isRed(const QWidget *widget, QPalette::ColorRole role)
{
    return widget->palette().color(role) == QColor(Qt::red);
}

// Points the package address at a local server for the life of the object.
class UpdateHost {
  public:
    explicit UpdateHost(const ScriptedHttpServer &server)
    {
        qputenv("ORVAN_UPDATE_HOST", "127.0.0.1:" + QByteArray::number(server.port()));
    }
    ~UpdateHost() { qunsetenv("ORVAN_UPDATE_HOST"); }
    UpdateHost(const UpdateHost &) = delete;
    UpdateHost &operator=(const UpdateHost &) = delete;
};

class MenuUpdateTest : public ::testing::Test {
  protected:
    MenuUpdateTest() { menu::gui::setFaultBoxes(&boxes); }
    ~MenuUpdateTest() override { menu::gui::setFaultBoxes(nullptr); }

    std::unique_ptr<TfMenuUpdate> dialog(const char *prg, const char *com, const char *comDat,
                                         const char *intCis, const char *intDat)
    {
        auto d = std::make_unique<TfMenuUpdate>(boxes);
        d->xPrg = QString::fromLatin1(prg);
        d->xComAktCis = QString::fromUtf8(com);
        d->xComAktDat = QString::fromUtf8(comDat);
        d->xIntAktCis = QString::fromUtf8(intCis);
        d->xIntAktDat = QString::fromUtf8(intDat);
        d->xIntAktFil = QStringLiteral("orvan_1108.zip");
        d->xLicKonLastTxt = QStringLiteral("Posledná kontrola: 15.03.2024 09:30");
        d->xLocDirFile = dir.file(QStringLiteral("orvan_update.zip"));
        return d;
    }

    menu::test::TempDir dir;
    menu::test::RecordingBoxes boxes;
};

struct ShownRow {
    const char *name, *prg, *com, *comDat, *intCis, *intDat;
    const char *fCom, *fInt, *fPoz, *bbImp;
    bool enabled, pozRed, intRed;
};

TEST_F(MenuUpdateTest, ShowsTheComparisonOfEachCase)
{
    const ShownRow rows[] = {
        {"A", "O", "1.1.0.7", "04.12.2023", "", "", "v1.1.0.7 zo dňa 04.12.2023", "",
         "Verzia na internete nenájdená !", "Stiahnuť a nainštalovať (nie je možné)", false, true,
         false},
        {"B", "T", "", "", "15.2.2756", "", "žiadna", "v15.2.2756",
         "Doporučené je stiahnuť program !", "Stiahnuť", true, true, false},
        {"C", "O", "1.1.0.7", "04.12.2023", "2.0", "", "v1.1.0.7 zo dňa 04.12.2023", "v2.0",
         "Verziu z internetu nie je možné identifikovať !",
         "Stiahnuť a nainštalovať (nie je možné)", false, true, false},
        {"D", "O", "1.1.0.7", "04.12.2023", "1.1.0.8", "10.01.2024", "v1.1.0.7 zo dňa 04.12.2023",
         "v1.1.0.8 zo dňa 10.01.2024",
         "Doporučené je stiahnuť a nainštalovať novú verziu programu !", "Stiahnuť a nainštalovať",
         true, true, true},
        {"E", "O", "1.1.0.7", "04.12.2023", "1.1.0.7", "", "v1.1.0.7 zo dňa 04.12.2023", "v1.1.0.7",
         "Používate aktuálnu verziu programu !", "Stiahnuť a preinštalovať (nie je potrebné)", true,
         false, false},
        {"F", "T", "1.1.0.9", "", "1.1.0.10", "", "v1.1.0.9", "v1.1.0.10",
         "Používate novú verziu programu, ktorá zatiaľ nebola publikovaná !",
         "Stiahnuť (nie je možné)", false, false, false},
    };
    for (const ShownRow &row : rows) {
        SCOPED_TRACE(row.name);
        auto d = dialog(row.prg, row.com, row.comDat, row.intCis, row.intDat);
        d->show();
        EXPECT_EQ(d->fCom->text(), QString::fromUtf8(row.fCom));
        EXPECT_EQ(d->fInt->text(), QString::fromUtf8(row.fInt));
        EXPECT_EQ(d->fPoz->text(), QString::fromUtf8(row.fPoz));
        EXPECT_EQ(d->bbImp->text(), QString::fromUtf8(row.bbImp));
        EXPECT_EQ(d->bbImp->isEnabled(), row.enabled);
        EXPECT_EQ(isRed(d->fPoz, QPalette::Text), row.pozRed);
        EXPECT_EQ(isRed(d->fInt, QPalette::Text), row.intRed);
        const bool launcher = row.prg[0] == 'O';
        EXPECT_EQ(d->LabInfo->text(), launcher ? QStringLiteral("ORVAN-Základná ponuka")
                                               : QStringLiteral("Team Viewer - ORVAN"));
        EXPECT_EQ(d->ImageOrvan->isVisible(), launcher);
        EXPECT_EQ(d->ImageTea->isVisible(), !launcher);
        EXPECT_FALSE(d->Gauge->isVisible());
        EXPECT_FALSE(d->LabByt->isVisible());
        EXPECT_EQ(d->fStatusBar->text(), QStringLiteral("  Posledná kontrola: 15.03.2024 09:30"));
        EXPECT_EQ(d->fStatusBar->toolTip(), QStringLiteral("Súbor na stiahnutie ") +
                                                dir.file(QStringLiteral("orvan_update.zip")));
        EXPECT_EQ(d->size(), QSize(404, 190));
        d->grab().save(
            artefact(QStringLiteral("update-dialog-%1.png").arg(QLatin1String(row.name))));
    }
}

TEST_F(MenuUpdateTest, TooShortAnnouncementIsNotDownloaded)
{
    auto d = dialog("O", "1.1.0.7", "", "2.0", "");
    d->show();
    EXPECT_FALSE(d->fImport());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Súbor na internete nie je známy !"));
    EXPECT_FALSE(d->Gauge->isVisible());
    EXPECT_EQ(d->LabPoz->text(), QStringLiteral("Poznámka"));
}

TEST_F(MenuUpdateTest, FailedDownloadShowsItsTextAndASecondClickStartsAgain)
{
    ScriptedHttpServer server;
    const UpdateHost host(server);
    server.answer(ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "Content-Length: 9\r\n",
                                               "not found"));
    auto d = dialog("T", "15.2.2756", "", "15.4.6", "");
    d->xIntAktCis = QStringLiteral("15.4.6.0");
    d->xLocDirFile = dir.file(QStringLiteral("tv.exe"));
    d->show();
    ASSERT_TRUE(d->bbImp->isEnabled());

    QTest::mouseClick(d->bbImp, Qt::LeftButton);
    EXPECT_EQ(server.connections(), 1);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /ORVANWIN/FILES/orvan_1108.zip "));
    EXPECT_EQ(d->LabPoz->text(), QStringLiteral("Stiahnutie neúspešné (404)!"));
    EXPECT_TRUE(isRed(d->LabPoz, QPalette::WindowText));
    EXPECT_TRUE(d->Gauge->isVisible());
    EXPECT_FALSE(d->fPoz->isVisible());
    EXPECT_TRUE(d->bbImp->isEnabled());
    EXPECT_FALSE(d->busy());
    EXPECT_EQ(d->fStatusBar->text(), QStringLiteral("  "));
    EXPECT_FALSE(d->yUspesne);
    EXPECT_FALSE(QFile::exists(d->xLocDirFile));
    EXPECT_TRUE(boxes.boxes.empty());

    // The second try finds the file: the gauge starts from 0 again and ends full.
    const QByteArray body(5000, 'x');
    server.answer(
        ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 5000\r\n", body));
    d->Gauge->setValue(d->Gauge->maximum());
    QTest::mouseClick(d->bbImp, Qt::LeftButton);
    EXPECT_EQ(server.connections(), 2);
    EXPECT_EQ(d->LabPoz->text(), QStringLiteral("Súbor ÚSPEŠNE prijatý ..."));
    EXPECT_EQ(d->LabByt->text(), QStringLiteral("Veľkosť súboru : 5000 b"));
    EXPECT_EQ(d->Gauge->maximum(), 5000);
    EXPECT_EQ(d->Gauge->value(), 5000);
    EXPECT_TRUE(d->yUspesne);
    EXPECT_FALSE(d->bbImp->isEnabled());
    EXPECT_EQ(dir.read(QStringLiteral("tv.exe")), body);
    // Team Viewer: the dialog stays open with the outcome until the user closes it.
    QCoreApplication::processEvents();
    EXPECT_TRUE(d->isVisible());
}

TEST_F(MenuUpdateTest, NegativeSizeEndsTheDownloadAsCriticalError)
{
    ScriptedHttpServer server;
    const UpdateHost host(server);
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: -5\r\n",
                                               QByteArray(3000, 'x')));
    auto d = dialog("T", "15.2.2756", "", "15.4.6.0", "");
    d->xLocDirFile = dir.file(QStringLiteral("tv.exe"));
    d->show();
    EXPECT_FALSE(d->fImport());
    EXPECT_EQ(d->LabPoz->text(), QStringLiteral("Kritická chyba pri sťahovaní!"));
    EXPECT_FALSE(QFile::exists(d->xLocDirFile));
}

TEST_F(MenuUpdateTest, InstantStartRunsOnceAndLeavesTheButtonToTheUser)
{
    ScriptedHttpServer server;
    const UpdateHost host(server);
    server.answer(ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "", ""));
    auto d = dialog("O", "1.1.0.7", "04.12.2023", "1.1.0.8", "10.01.2024");
    d->xInstantStart = true;
    d->show();
    EXPECT_FALSE(d->bbImp->isEnabled()); // until the automatic start has had its turn
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.connections() == 1 && !d->busy(); }, 30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(d->LabPoz->text(), QStringLiteral("Stiahnutie neúspešné (404)!"));
    EXPECT_TRUE(d->xInstantStart);
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->bbImp->isEnabled());

    // Becoming active again (as when an error box closes) does not start it once more.
    d->activateWindow();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(d.get(), &activate);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(MenuUpdateTest, InstantStartWithAShortAnnouncementShowsOneBox)
{
    auto d = dialog("O", "1.1.0.7", "", "2.0", "");
    d->xInstantStart = true;
    d->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }, 10000));
    for (int i = 0; i < 5; ++i) {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(d.get(), &activate);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_FALSE(d->bbImp->isEnabled()); // case C: no download possible
}

TEST_F(MenuUpdateTest, GaugeMovesWhileTheFileArrives)
{
    ScriptedHttpServer server;
    const UpdateHost host(server);
    const QByteArray body(200000, 'z');
    ScriptedHttpServer::Script script;
    script.steps.push_back({"HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n" + body.left(80000),
                            std::chrono::milliseconds(1500)});
    script.steps.push_back({body.mid(80000), {}});
    server.answer(script);
    auto d = dialog("T", "15.2.2756", "", "15.4.6.0", "");
    d->xLocDirFile = dir.file(QStringLiteral("tv.exe"));
    d->show();

    // Looked at from inside the transfer, while the server holds back the rest.
    bool seenPart = false, sawBusy = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (d->busy())
            sawBusy = true;
        const int value = d->Gauge->value();
        if (!seenPart && d->Gauge->maximum() == 200000 && value > 0 && value < 200000) {
            seenPart = true;
            EXPECT_EQ(d->fStatusBar->text(), QStringLiteral("  Čakajte, pracujem !"));
            EXPECT_EQ(d->LabPoz->text(), QStringLiteral("Stiahnutie novej verzie ..."));
            EXPECT_EQ(d->LabByt->text(), QStringLiteral("Veľkosť súboru : 200000 b"));
            // No input while it runs: a click on Koniec does nothing.
            QTest::mouseClick(d->bbKoniec, Qt::LeftButton);
            d->close();
            EXPECT_TRUE(d->isVisible());
            d->grab().save(artefact(QStringLiteral("update-dialog-downloading.png")));
        }
    });
    watch.start(5);
    EXPECT_TRUE(d->fImport());
    watch.stop();
    EXPECT_TRUE(sawBusy);
    EXPECT_TRUE(seenPart);
    EXPECT_EQ(d->Gauge->value(), 200000);
    EXPECT_TRUE(d->isVisible());
}

} // namespace
