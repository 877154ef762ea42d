// The update dialog on its own: what it shows for each comparison of versions, and the download
// it runs in the background, against a scripted HTTP server on 127.0.0.1.
#include "gui/UpdateDialog.h"

#include "UpdateTestSupport.h"
#include "WindowTestSupport.h"
#include "core/TrustTexts.h"
#include "gui/ErrorBoundary.h"
#include "support/FakeServices.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"
#include "support/UpdateServer.h"
#include "support/ZipTestArchives.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>

using menu::core::BoxAnswer;
using menu::core::BoxKind;
using menu::gui::UpdateDialog;
using menu::gui::UpdateTarget;
using menu::test::child;
using menu::test::ScriptedHttpServer;
using namespace std::chrono_literals;

namespace {

bool isRed(const QWidget *widget, QPalette::ColorRole role)
{
    return widget->palette().color(role) == QColor(Qt::red);
}

// The dialog's controls by their names.
struct Controls {
    explicit Controls(const UpdateDialog &d)
        : title(child<QLabel>(d, "title")), installed(child<QLineEdit>(d, "installedField")),
          announced(child<QLineEdit>(d, "announcedField")), note(child<QLineEdit>(d, "noteField")),
          noteLabel(child<QLabel>(d, "noteLabel")), sizeLabel(child<QLabel>(d, "sizeLabel")),
          statusLine(child<QLabel>(d, "statusLine")), gauge(child<QProgressBar>(d, "gauge")),
          import(child<QPushButton>(d, "importButton")),
          close(child<QPushButton>(d, "closeButton")),
          launcherImage(child<QLabel>(d, "launcherImage")),
          teamViewerImage(child<QLabel>(d, "teamViewerImage"))
    {
    }
    QLabel *title;
    QLineEdit *installed;
    QLineEdit *announced;
    QLineEdit *note;
    QLabel *noteLabel;
    QLabel *sizeLabel;
    QLabel *statusLine;
    QProgressBar *gauge;
    QPushButton *import;
    QPushButton *close;
    QLabel *launcherImage;
    QLabel *teamViewerImage;
};

// Every label ends before its field, every field shows its value whole, and the right-hand
// controls stay inside the dialog.
void expectWhole(const UpdateDialog &d)
{
    const Controls c(d);
    EXPECT_GE(d.width(), 404);
    EXPECT_EQ(d.height(), 190);
    for (const char *name : {"installedLabel", "announcedLabel"}) {
        const QLabel *label = child<QLabel>(d, name);
        const QRect needed(label->pos(), label->sizeHint());
        EXPECT_LT(needed.right(), c.installed->x()) << name;
    }
    for (const QLineEdit *field : {c.installed, c.announced}) {
        EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()) + 8, field->width())
            << field->text().toStdString();
        EXPECT_EQ(field->geometry().right(), c.close->geometry().right());
    }
    EXPECT_LE(c.close->geometry().right(), d.width() - 9);
}

class UpdateDialogTest : public ::testing::Test {
  protected:
    UpdateDialogTest() { menu::gui::setFaultBoxes(&boxes); }
    ~UpdateDialogTest() override { menu::gui::setFaultBoxes(nullptr); }

    // The dialogs made from now on fetch from server.
    void serveFrom(const ScriptedHttpServer &server)
    {
        packageFiles_ = menu::core::packageFilesUrl(menu::test::updateAddressOn(server));
    }

    // prg: "O" for the launcher's package, "T" for Team Viewer.
    static UpdateDialog::Setup setup(const char *prg, const char *installed,
                                     const char *installedDate, const char *announced,
                                     const char *announcedDate)
    {
        UpdateDialog::Setup s;
        s.target = prg[0] == 'O' ? UpdateTarget::Launcher : UpdateTarget::TeamViewer;
        s.installedVersion = QString::fromUtf8(installed);
        s.installedDate = QString::fromUtf8(installedDate);
        s.announced.version = QString::fromUtf8(announced);
        s.announced.date = QString::fromUtf8(announcedDate);
        s.announced.file = QStringLiteral("orvan_1108.zip");
        s.lastCheckText = QStringLiteral("Posledná kontrola: 15.03.2024 09:30");
        return s;
    }
    std::unique_ptr<UpdateDialog> dialog(UpdateDialog::Setup s, const char *localFile)
    {
        s.localFile = dir.file(QLatin1String(localFile));
        s.temporaryDir = dir.path();
        s.packageFilesUrl = packageFiles_;
        auto d = std::make_unique<UpdateDialog>(std::move(s), boxes);
        d->show();
        return d;
    }
    // Clicks the import button and waits until the dialog takes input again.
    static void import(UpdateDialog &d)
    {
        QTest::mouseClick(Controls(d).import, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !d.busy(); }, 30000));
    }

    menu::test::TempDir dir;
    menu::test::RecordingBoxes boxes;
    QString packageFiles_;
};

struct ShownRow {
    const char *name, *prg, *com, *comDat, *intCis, *intDat;
    const char *fCom, *fInt, *fPoz, *bbImp;
    bool enabled, pozRed, intRed;
};

TEST_F(UpdateDialogTest, ShowsTheComparisonOfEachCase)
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
        auto d =
            dialog(setup(row.prg, row.com, row.comDat, row.intCis, row.intDat), "orvan_update.zip");
        const Controls c(*d);
        EXPECT_EQ(c.installed->text(), QString::fromUtf8(row.fCom));
        EXPECT_EQ(c.announced->text(), QString::fromUtf8(row.fInt));
        EXPECT_EQ(c.note->text(), QString::fromUtf8(row.fPoz));
        EXPECT_EQ(c.import->text(), QString::fromUtf8(row.bbImp));
        EXPECT_EQ(c.import->isEnabled(), row.enabled);
        EXPECT_EQ(isRed(c.note, QPalette::Text), row.pozRed);
        EXPECT_EQ(isRed(c.announced, QPalette::Text), row.intRed);
        const bool launcher = row.prg[0] == 'O';
        EXPECT_EQ(c.title->text(), launcher ? QStringLiteral("ORVAN-Základná ponuka")
                                            : QStringLiteral("Team Viewer - ORVAN"));
        EXPECT_EQ(c.launcherImage->isVisible(), launcher);
        EXPECT_EQ(c.teamViewerImage->isVisible(), !launcher);
        EXPECT_FALSE(c.gauge->isVisible());
        EXPECT_FALSE(c.sizeLabel->isVisible());
        EXPECT_EQ(c.statusLine->text(), QStringLiteral("  Posledná kontrola: 15.03.2024 09:30"));
        // The launcher's package goes into a directory made for the try.
        EXPECT_EQ(c.statusLine->toolTip(),
                  QStringLiteral("Súbor na stiahnutie ") +
                      dir.file(launcher ? QStringLiteral("orvan-update-XXXXXX/orvan_update.zip")
                                        : QStringLiteral("orvan_update.zip")));
        expectWhole(*d);
    }
}

// Wine's Tahoma is wider than the one the dialog was designed with, and Wine draws it wider
// than Qt draws the same file here: its bold face alone, which every text then takes, stands in
// for it. The version fields stand right of their labels, the values show whole, and the dialog
// grows by what they lack.
TEST_F(UpdateDialogTest, LabelsAndVersionsShowWholeInAWideTahoma)
{
    const int bold =
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf"));
    if (bold < 0)
        GTEST_SKIP() << "Wine's fonts are not installed";
    {
        const auto d = dialog(setup("O", "1.1.0.7", "10.12.2026", "1.1.0.8", "10.12.2026"), "x");
        EXPECT_EQ(QFontInfo(Controls(*d).installed->font()).family(), QStringLiteral("Tahoma"));
        EXPECT_GT(d->width(), 404);
        expectWhole(*d);
        d->hide();
    }
    QFontDatabase::removeApplicationFont(bold);
}

// The gauge is navy on white whatever the platform's style draws for a progress bar.
TEST_F(UpdateDialogTest, GaugeIsNavyOnWhite)
{
    const auto d = dialog(setup("T", "", "", "15.51.5", ""), "x");
    QProgressBar *gauge = Controls(*d).gauge;
    gauge->show();
    gauge->setValue(50);
    const QImage picture = gauge->grab().toImage();
    const int middle = picture.height() / 2;
    EXPECT_EQ(picture.pixelColor(5, middle), QColor(0, 0, 128));
    EXPECT_EQ(picture.pixelColor(picture.width() - 5, middle), QColor(Qt::white));
}

// Announcements that name nothing fetchable: nothing is fetched, and a box says why.
TEST_F(UpdateDialogTest, AnnouncementsWithoutAFileAreNotDownloaded)
{
    const struct {
        const char *prg, *version, *file;
        BoxKind kind;
        const char *text;
    } cases[] = {
        {"T", "2.0", "tv.exe", BoxKind::Error, "Súbor na internete nie je známy !"},
        {"T", "15.4.6.0", "", BoxKind::Information,
         "Na internete nie je zverejnený žiadny súbor na stiahnutie !"},
        {"O", "1.1.0.8", " ", BoxKind::Information,
         "Na internete nie je zverejnený žiadny súbor na stiahnutie !"},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.version);
        ScriptedHttpServer server;
        serveFrom(server);
        boxes.boxes.clear();
        // Case B (the installed version unreadable) lets the button try it.
        UpdateDialog::Setup s = setup(row.prg, "", "", row.version, "");
        s.announced.file = QString::fromUtf8(row.file);
        auto d = dialog(s, "tv.exe");
        const Controls c(*d);
        ASSERT_TRUE(c.import->isEnabled());
        import(*d);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].kind, row.kind);
        EXPECT_EQ(boxes.boxes[0].text, QString::fromUtf8(row.text));
        EXPECT_FALSE(c.gauge->isVisible());
        EXPECT_EQ(c.noteLabel->text(), QStringLiteral("Poznámka"));
        EXPECT_FALSE(d->succeeded());
        EXPECT_EQ(server.connections(), 0);
        EXPECT_EQ(menu::test::packageDirs(dir.path()), QStringList());
    }
}

// The dialog fetches only what it shows, only when that is the announcement trusted now, and
// installs the launcher's package only when it is a later release than the running launcher.
TEST_F(UpdateDialogTest, DownloadsOnlyTheTrustedLaterReleaseItShows)
{
    const QString notVerified = menu::core::texts::announcementNotVerified();
    const struct {
        const char *name, *prg, *installed, *announced;
        bool trustedDiffers, nothingTrusted;
        QString text;
    } cases[] = {
        {"forged in the settings", "O", "1.1.0.7", "1.1.0.8", true, false, notVerified},
        {"nothing signed kept", "T", "15.4.6.0", "15.51.5.0", false, true, notVerified},
        {"the running version again", "O", "1.1.0.8", "1.1.0.8", false, false,
         QStringLiteral("Ohlásená verzia 1.1.0.8 nie je novšia ako spustená verzia 1.1.0.8, "
                        "inštalácia sa nespustí.")},
        {"text says later, numbers do not", "O", "1.1.0.10", "1.1.0.9", false, false,
         QStringLiteral("Ohlásená verzia 1.1.0.9 nie je novšia ako spustená verzia 1.1.0.10, "
                        "inštalácia sa nespustí.")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        serveFrom(server);
        boxes.boxes.clear();
        UpdateDialog::Setup s = setup(c.prg, c.installed, "", c.announced, "");
        menu::core::Announcement trusted = s.announced;
        trusted.file = QStringLiteral("other.zip");
        s.trusted = [&, shown = s.announced]() -> std::optional<menu::core::Announcement> {
            if (c.nothingTrusted)
                return std::nullopt;
            return c.trustedDiffers ? trusted : shown;
        };
        auto d = dialog(s, "tv.exe");
        ASSERT_TRUE(Controls(*d).import->isEnabled());
        import(*d);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Error);
        EXPECT_EQ(boxes.boxes[0].text, c.text);
        EXPECT_FALSE(d->succeeded());
        EXPECT_EQ(server.connections(), 0);
        EXPECT_EQ(menu::test::packageDirs(dir.path()), QStringList());
    }
}

TEST_F(UpdateDialogTest, FailedDownloadShowsItsTextAndASecondClickStartsAgain)
{
    ScriptedHttpServer server;
    serveFrom(server);
    server.answer(ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "Content-Length: 9\r\n",
                                               "not found"));
    auto d = dialog(setup("T", "15.2.2756", "", "15.4.6.0", ""), "tv.exe");
    const Controls c(*d);
    ASSERT_TRUE(c.import->isEnabled());

    import(*d);
    EXPECT_EQ(server.connections(), 1);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /ORVANWIN/FILES/orvan_1108.zip "));
    EXPECT_EQ(c.noteLabel->text(), QStringLiteral("Stiahnutie neúspešné (404)!"));
    EXPECT_TRUE(isRed(c.noteLabel, QPalette::WindowText));
    EXPECT_TRUE(c.gauge->isVisible());
    EXPECT_FALSE(c.note->isVisible());
    EXPECT_TRUE(c.import->isEnabled());
    EXPECT_EQ(c.statusLine->text(), QStringLiteral("  "));
    EXPECT_FALSE(d->succeeded());
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("tv.exe"))));
    EXPECT_TRUE(boxes.boxes.empty());

    // The second try finds the file: the gauge starts from 0 again and ends full.
    const QByteArray body(5000, 'x');
    server.answer(
        ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 5000\r\n", body));
    c.gauge->setValue(c.gauge->maximum());
    import(*d);
    EXPECT_EQ(server.connections(), 2);
    EXPECT_EQ(c.noteLabel->text(), QStringLiteral("Súbor ÚSPEŠNE prijatý ..."));
    EXPECT_EQ(c.sizeLabel->text(), QStringLiteral("Veľkosť súboru : 5000 b"));
    EXPECT_EQ(c.gauge->maximum(), 5000);
    EXPECT_EQ(c.gauge->value(), 5000);
    EXPECT_TRUE(d->succeeded());
    EXPECT_FALSE(c.import->isEnabled());
    EXPECT_EQ(dir.read(QStringLiteral("tv.exe")), body);
    // Team Viewer: the dialog stays open with the outcome until the user closes it.
    QCoreApplication::processEvents();
    EXPECT_TRUE(d->isVisible());
}

// A connection that drops goes on from what arrived, in the user's own folder: the next try
// asks only for the rest, and the whole file is held to the announced hash.
TEST_F(UpdateDialogTest, ADroppedDownloadGoesOnFromWhatArrived)
{
    ScriptedHttpServer server;
    serveFrom(server);
    const QByteArray body(60000, 'p');
    const QByteArray tag = "ETag: \"tv-15.4\"\r\n";
    server.answerInTurn(
        {ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 60000\r\n" + tag,
                                      body.left(25000)),
         ScriptedHttpServer::response(
             "HTTP/1.1 206 Partial Content",
             "Content-Length: 35000\r\nContent-Range: bytes 25000-59999/60000\r\n" + tag,
             body.mid(25000))});
    UpdateDialog::Setup s = setup("T", "15.2.2756", "", "15.4.6.0", "");
    s.announced.length = body.size();
    s.announced.sha256 =
        QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex());
    s.partialDir = dir.file(QStringLiteral("kept"));
    auto d = dialog(s, "tv.exe");
    import(*d);
    EXPECT_TRUE(d->succeeded());
    EXPECT_EQ(dir.read(QStringLiteral("tv.exe")), body);
    EXPECT_TRUE(server.lastRequest().contains("\r\nRange: bytes=25000-\r\n"));
    EXPECT_EQ(Controls(*d).gauge->value(), 60000);
}

TEST_F(UpdateDialogTest, NegativeSizeEndsTheDownloadAsCriticalError)
{
    ScriptedHttpServer server;
    serveFrom(server);
    server.answer(ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: -5\r\n",
                                               QByteArray(3000, 'x')));
    auto d = dialog(setup("T", "15.2.2756", "", "15.4.6.0", ""), "tv.exe");
    import(*d);
    EXPECT_FALSE(d->succeeded());
    EXPECT_EQ(Controls(*d).noteLabel->text(), QStringLiteral("Kritická chyba pri sťahovaní!"));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("tv.exe"))));
}

TEST_F(UpdateDialogTest, InstantStartRunsOnceAndLeavesTheButtonToTheUser)
{
    ScriptedHttpServer server;
    serveFrom(server);
    server.answer(ScriptedHttpServer::response("HTTP/1.1 404 Not Found", "", ""));
    UpdateDialog::Setup s = setup("O", "1.1.0.7", "04.12.2023", "1.1.0.8", "10.01.2024");
    s.instantStart = true;
    auto d = dialog(s, "orvan_update.zip");
    const Controls c(*d);
    EXPECT_FALSE(c.import->isEnabled()); // until the automatic start has had its turn
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.connections() == 1 && !d->busy(); }, 30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(c.noteLabel->text(), QStringLiteral("Stiahnutie neúspešné (404)!"));
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(c.import->isEnabled());
    EXPECT_EQ(menu::test::packageDirs(dir.path()), QStringList()); // the try left nothing

    // Becoming active again (as when an error box closes) does not start it once more.
    d->activateWindow();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(d.get(), &activate);
    QCoreApplication::processEvents();
    EXPECT_FALSE(d->busy());
    EXPECT_EQ(server.connections(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(UpdateDialogTest, InstantStartWithAShortAnnouncementShowsOneBox)
{
    UpdateDialog::Setup s = setup("O", "1.1.0.7", "", "2.0", "");
    s.instantStart = true;
    auto d = dialog(s, "orvan_update.zip");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }, 10000));
    for (int i = 0; i < 5; ++i) {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(d.get(), &activate);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_FALSE(Controls(*d).import->isEnabled()); // case C: no download possible
    EXPECT_TRUE(d->isVisible());
}

// The offer at start ends with its download: the dialog closes itself once the download's end
// has been handled. (The launcher's unpacked package closes it too: MainWindowUpdateTest.)
TEST_F(UpdateDialogTest, InstantStartClosesTheDialogAfterItsDownload)
{
    ScriptedHttpServer server;
    serveFrom(server);
    const QByteArray body(2000, 'y');
    server.answer(
        ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 2000\r\n", body));
    UpdateDialog::Setup s = setup("T", "15.2.2756", "", "15.4.6.0", "");
    s.instantStart = true;
    auto d = dialog(s, "tv.exe");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !d->isVisible(); }, 30000));
    EXPECT_TRUE(d->succeeded());
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(dir.read(QStringLiteral("tv.exe")), body);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(UpdateDialogTest, GaugeMovesWhileTheFileArrives)
{
    ScriptedHttpServer server;
    serveFrom(server);
    const QByteArray body(200000, 'z');
    // The server holds back the rest long enough for the test to look at the dialog.
    ScriptedHttpServer::Script script;
    script.steps.push_back(
        {"HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n" + body.left(80000), 1500ms});
    script.steps.push_back({body.mid(80000), {}});
    server.answer(script);
    auto d = dialog(setup("T", "15.2.2756", "", "15.4.6.0", ""), "tv.exe");
    const Controls c(*d);

    QTest::mouseClick(c.import, Qt::LeftButton);
    EXPECT_TRUE(d->busy());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return c.gauge->maximum() == 200000 && c.gauge->value() > 0 &&
                   c.gauge->value() < 200000;
        },
        30000));
    ASSERT_TRUE(d->busy());
    EXPECT_EQ(c.statusLine->text(), QStringLiteral("  Čakajte, pracujem !"));
    EXPECT_EQ(c.noteLabel->text(), QStringLiteral("Stiahnutie novej verzie ..."));
    EXPECT_EQ(c.sizeLabel->text(), QStringLiteral("Veľkosť súboru : 200000 b"));
    // No input while it runs but Koniec and the close box, which offer to stop; answered No,
    // the download goes on.
    QTest::mouseClick(c.close, Qt::LeftButton);
    d->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return boxes.boxes.size() == 2; }, 30000));
    for (const auto &box : boxes.boxes) {
        EXPECT_EQ(box.kind, BoxKind::Confirmation);
        EXPECT_EQ(box.text, QStringLiteral("Prerušiť sťahovanie ?"));
    }
    EXPECT_TRUE(d->isVisible());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !d->busy(); }, 30000));
    EXPECT_TRUE(d->succeeded());
    EXPECT_EQ(c.gauge->value(), 200000);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(dir.read(QStringLiteral("tv.exe")), body);
}

} // namespace

namespace {

// "Koniec" during a download, answered Yes: the transfer stops at once, the dialog closes, and
// the installed program (or, for the launcher, the temporary directory) is as it was.
TEST_F(UpdateDialogTest, StoppingADownloadLeavesTheOldFiles)
{
    for (const char *prg : {"T", "O"}) {
        SCOPED_TRACE(prg);
        ScriptedHttpServer server;
        serveFrom(server);
        // Half the file, then the server holds the connection without a word.
        server.answer(
            {{{"HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n" + QByteArray(100000, 'n'), {}}},
             true});
        dir.write(QStringLiteral("tv.exe"), "old program");
        boxes.boxes.clear();
        boxes.answers = {BoxAnswer::Yes};
        auto d = dialog(setup(prg, "15.2.2756", "", "15.4.6.0", ""), "tv.exe");
        const Controls c(*d);
        QTest::mouseClick(c.import, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return c.gauge->value() > 0; }, 30000));

        QTest::mouseClick(c.close, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !d->isVisible(); }, 30000));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Prerušiť sťahovanie ?"));
        EXPECT_FALSE(d->succeeded());
        EXPECT_FALSE(d->busy());
        EXPECT_EQ(dir.read(QStringLiteral("tv.exe")), "old program");
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{QStringLiteral("tv.exe")});
    }
}

// The session ends during a download: no question, nothing installed, no private directory.
TEST_F(UpdateDialogTest, AnEndingSessionStopsADownloadWithoutAsking)
{
    ScriptedHttpServer server;
    serveFrom(server);
    server.answer(
        {{{"HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n" + QByteArray(100000, 'n'), {}}},
         true});
    auto d = dialog(setup("O", "1.1.0.7", "", "1.1.0.8", ""), "tv.exe");
    const Controls c(*d);
    QTest::mouseClick(c.import, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.gauge->value() > 0; }, 30000));
    ASSERT_EQ(menu::test::packageDirs(dir.path()).size(), 1);

    d->abandon();
    EXPECT_FALSE(d->isVisible());
    EXPECT_FALSE(d->busy());
    QCoreApplication::processEvents(); // the job's end is delivered, and tells nothing
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(d->succeeded());
    EXPECT_EQ(menu::test::packageDirs(dir.path()), QStringList());
}

// A disk that fills up while the package is unpacked (a file size limit stands in for it):
// the error is shown, and nothing that was written stays.
TEST_F(UpdateDialogTest, FullDiskWhileUnpackingLeavesNothing)
{
    menu::test::ZipWriter zip(dir.file(QStringLiteral("package.zip")));
    zip.add("setup.exe", "#!/bin/sh\n");
    zip.add("data/big.bin", QByteArray(2 * 1024 * 1024, '\0'));
    ASSERT_TRUE(zip.close());
    const QByteArray package = dir.read(QStringLiteral("package.zip"));
    ASSERT_LT(package.size(), 64 * 1024);
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("package.zip"))));
    ScriptedHttpServer server;
    serveFrom(server);
    server.answer(ScriptedHttpServer::response(
        "HTTP/1.1 200 OK", "Content-Length: " + QByteArray::number(package.size()) + "\r\n",
        package));
    auto d = dialog(setup("O", "1.1.0.7", "04.12.2023", "1.1.0.8", "10.01.2024"), "x");

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 256 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    import(*d);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(d->succeeded());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("big.bin sa nepodarilo zapísať")))
        << boxes.boxes[0].text.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

} // namespace
