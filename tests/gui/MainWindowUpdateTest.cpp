// The update commands of the main window: the offer at start, the two commands of the context
// menu, the update dialog they open, and what follows a download.
#include "UpdateTestSupport.h"
#include "InstalledLauncherTest.h"
#include "WindowTestSupport.h"
#include "core/Texts.h"
#include "core/UpdateTexts.h"
#include "core/TrustedAnnouncement.h"
#include "core/UpdateChecker.h"
#include "core/VersionInfo.h"
#include "formats/Minisign.h"
#include "gui/ButtonGrid.h"
#include "gui/ErrorBoundary.h"
#include "gui/MainWindow.h"
#include "gui/ModuleButton.h"
#include "gui/UpdateDialog.h"
#include "platform/ProfileFiles.h"
#include "platform/posix/PosixShell.h"
#include "support/FakeServices.h"
#include "support/MinisignSigner.h"
#include "support/PeFixtures.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"
#include "support/UpdateServer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>

using menu::core::BoxAnswer;
using menu::core::BoxKind;
using menu::gui::MainWindow;
using menu::gui::UpdateDialog;
using menu::test::child;
using menu::test::packageDirs;
using menu::test::ScopedEnv;
using menu::test::ScriptedHttpServer;

namespace {

// Any update dialog on the screen.
UpdateDialog *shownDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<UpdateDialog *>(w); d != nullptr && d->isVisible())
            return d;
    }
    return nullptr;
}

class MainWindowUpdateTest : public menu::test::InstalledLauncherTest<> {
  protected:
    MainWindowUpdateTest()
        : InstalledLauncherTest(QDateTime(QDate(2024, 3, 15), QTime(9, 30)), {1600, 1000})
    {
        QDir().mkpath(dir.file(QStringLiteral("tmp")));
        // The launcher itself, so that it has its real version.
        QFile::link(QStringLiteral(MENU_PATH), services.executablePath);
        services.internet = &internet;
        ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n");
    }

    void ini(const QByteArray &text) { dir.write(QStringLiteral("ORVAN/MENU/menu.ini"), text); }
    QString stored(const char *section, const char *key) const
    {
        return store
            .read(dir.file(QStringLiteral("ORVAN/MENU/menu.ini")), QLatin1String(section),
                  QLatin1String(key))
            .value_or(QString());
    }
    QString tempFile(const char *name) const
    {
        return dir.file(QStringLiteral("tmp/")) + QLatin1String(name);
    }
    QString installedVersion() const
    {
        return menu::core::readLauncherVersion(menu::test::fileVersions(), services.executablePath)
            .version;
    }
    // A shown window whose background check stays put, so that only the test reaches the
    // server.
    static void showQuietly(MainWindow &window)
    {
        window.show();
        child<menu::core::UpdateChecker>(window, "updateChecker")->timer().stop();
    }
    static void trigger(const MainWindow &window, const char *action)
    {
        child<QAction>(window, action)->trigger();
    }
    // Runs an update command and steps on its dialog while it is open.
    static bool withUpdateDialog(const MainWindow &window, const char *action,
                                 const std::function<void(UpdateDialog &)> &steps)
    {
        return menu::test::withModalDialog<UpdateDialog>(
            "updateDialog", [&] { trigger(window, action); }, steps);
    }

    menu::test::FakeInternet internet;
    ScopedEnv tmpdir{"TMPDIR", dir.file(QStringLiteral("tmp")).toUtf8()};
};

TEST_F(MainWindowUpdateTest, LauncherUpdateFromTheOfferToTheInstaller)
{
    const QByteArray package = menu::test::packageArchive(dir);
    ASSERT_FALSE(package.isEmpty());
    ScriptedHttpServer server;
    server.answer(ScriptedHttpServer::response(
        "HTTP/1.1 200 OK", "Content-Length: " + QByteArray::number(package.size()) + "\r\n",
        package));
    services.updateAddress = menu::test::updateAddressOn(server);
    ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n" + menu::test::announcementOf(package));
    menu::platform::PosixShell realShell;
    menu::test::RecordingShell recorder;
    recorder.passOn = &realShell;
    services.shell = &recorder;
    boxes.answers.push_back(BoxAnswer::Yes);

    ASSERT_FALSE(installedVersion().isEmpty());
    MainWindow window(services, boxes);
    ASSERT_TRUE(window.installationAccepted());
    window.show();
    const WId shown = window.winId(); // a closed window's native one is gone
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 60000));

    ASSERT_GE(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Confirmation);
    EXPECT_EQ(boxes.boxes[0].text, menu::core::texts::newVersionOffer(
                                       QStringLiteral("9.0.0.0"), QStringLiteral("10.01.2024")));
    EXPECT_EQ(boxes.boxes.size(), 1u) << boxes.boxes.back().text.toStdString();
    EXPECT_TRUE(server.lastRequest().startsWith("GET /ORVANWIN/FILES/orvan_9000.zip "));
    // The package went into a private directory of this update, the installer was started
    // there and the directory stays for it, without the archive. Nothing has a fixed name.
    const QStringList made = packageDirs(dir.file(QStringLiteral("tmp")));
    ASSERT_EQ(made.size(), 1);
    const struct stat info = menu::test::statOf(made[0]);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(info.st_uid, ::geteuid());
    EXPECT_EQ(menu::test::readAll(made[0] + "/ORVAN-INSTAL/data/readme.txt"), "ORVAN setup-ran");
    // It waits for this process by its id, and replaces the launcher that runs.
    const QByteArray ran = "ran --wait " + QByteArray::number(QCoreApplication::applicationPid()) +
                           " " + services.executablePath.toUtf8() + "\n";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return menu::test::readAll(made[0] + "/ORVAN-INSTAL/setup-ran") == ran; }, 30000))
        << menu::test::readAll(made[0] + "/ORVAN-INSTAL/setup-ran").toStdString();
    EXPECT_EQ(recorder.owners, std::vector<menu::platform::OwnerWindow>{shown});
    EXPECT_FALSE(QFile::exists(made[0] + "/orvan_update.zip"));
    EXPECT_EQ(QDir(tempFile("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QFileInfo(made[0]).fileName()});
    EXPECT_EQ(stored("OPTIONS", "LicKon"), QStringLiteral("0"));
    EXPECT_EQ(stored("OPTIONS", "WindowState"), QStringLiteral("0"));
    EXPECT_EQ(shownDialog(), nullptr);
}

// The system does not let the installer's process come up (a policy on the temporary folder):
// the launcher stays with the reason, nothing of the package stays behind, and the same
// version is not offered again at the next start.
TEST_F(MainWindowUpdateTest, AnInstallerThatDoesNotStartKeepsTheLauncherAndEndsTheOffer)
{
    const QByteArray package = menu::test::packageArchive(dir);
    ASSERT_FALSE(package.isEmpty());
    ScriptedHttpServer server;
    server.answer(ScriptedHttpServer::response(
        "HTTP/1.1 200 OK", "Content-Length: " + QByteArray::number(package.size()) + "\r\n",
        package));
    services.updateAddress = menu::test::updateAddressOn(server);
    ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n" + menu::test::announcementOf(package));
    shell.result = menu::platform::ShellCode::AccessDenied;
    shell.reason = menu::Failure::errnoValue(EACCES, QStringLiteral("setup.exe"));
    boxes.answers.push_back(BoxAnswer::Yes);
    const QByteArray launcher = dir.read(QStringLiteral("ORVAN/MENU/menu"));
    {
        MainWindow window(services, boxes);
        window.show();
        // Told, or (the fault) closed to make way for an installer that is not there.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return boxes.boxes.size() >= 2 || !window.isVisible(); }, 60000));
        ASSERT_TRUE(window.isVisible());
        ASSERT_EQ(boxes.boxes.size(), 2u);
        EXPECT_EQ(boxes.boxes[1].kind, BoxKind::Error);
        EXPECT_TRUE(boxes.boxes[1].text.startsWith(
            QStringLiteral("Inštalácia novej verzie sa nespustila.\r\r")))
            << boxes.boxes[1].text.toStdString();
        ASSERT_EQ(shell.startArguments.size(), 1u);
        EXPECT_EQ(shell.startArguments[0].value(0), QStringLiteral("--wait"));
        EXPECT_TRUE(packageDirs(dir.file(QStringLiteral("tmp"))).isEmpty());
        EXPECT_EQ(stored("ORVAN", "AktNeuspech"), QStringLiteral("9.0.0.0"));
        // Nothing is lost: the launcher and its announcement stay as they were.
        EXPECT_EQ(dir.read(QStringLiteral("ORVAN/MENU/menu")), launcher);
        EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("9.0.0.0"));
        window.hide();
    }
    boxes.boxes.clear();
    MainWindow again(services, boxes);
    showQuietly(again);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text.toStdString();
}

// Started again by its installer after a failed installation: the version is remembered and
// not offered at once.
TEST_F(MainWindowUpdateTest, AFailedInstallationIsNotOfferedAgainAtOnce)
{
    const QByteArray package = menu::test::packageArchive(dir);
    ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n" + menu::test::announcementOf(package));
    services.installFailed = true;

    MainWindow window(services, boxes);
    showQuietly(window);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text.toStdString();
    EXPECT_EQ(stored("ORVAN", "AktNeuspech"), QStringLiteral("9.0.0.0"));
}

// A launcher in a version folder whose drive another seat has meanwhile switched to the
// announced version: it says so and does not offer to download that version again.
TEST_F(MainWindowUpdateTest, AVersionInstalledByAnotherSeatIsToldAndNotOfferedAgain)
{
    const QByteArray package = menu::test::packageArchive(dir);
    ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n" + menu::test::announcementOf(package));
    services.executablePath = dir.file(QStringLiteral("ORVAN/MENU/versions/1.0.0.0/menu"));
    QDir().mkpath(dir.file(QStringLiteral("ORVAN/MENU/versions/1.0.0.0")));
    QFile::link(QStringLiteral(MENU_PATH), services.executablePath);
    dir.write(QStringLiteral("ORVAN/MENU/versions/current"), "9.0.0.0\n");

    MainWindow window(services, boxes);
    showQuietly(window);
    const auto *label = child<QLabel>(window, "updateInfoLabel");
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return label->text().startsWith(QStringLiteral("Nová verzia 9.0.0.0 je nainštalovaná"));
    })) << label->text().toStdString();
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text.toStdString();
    EXPECT_EQ(stored("OPTIONS", "Width"), QStringLiteral("1000")); // menu.ini stays in MENU
}

// The package on the server is not the one announced: the download holds it to the announced
// length and hash, so nothing is unpacked or started, and nothing of it stays behind.
TEST_F(MainWindowUpdateTest, PackageSwappedAfterItsAnnouncementIsRefused)
{
    const QByteArray announced = menu::test::packageArchive(dir);
    const QByteArray swapped = menu::test::packageArchive(dir, "swapped-ran");
    ASSERT_FALSE(announced.isEmpty());
    ASSERT_FALSE(swapped.isEmpty());
    QByteArray sameLength = swapped;
    sameLength.resize(announced.size(), '\0'); // the hash alone tells this one apart
    const struct {
        const char *name;
        QByteArray served;
    } cases[] = {{"another package", swapped},
                 {"one byte short", announced.left(announced.size() - 1)},
                 {"same length, other bytes", sameLength}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        server.answer(ScriptedHttpServer::response(
            "HTTP/1.1 200 OK", "Content-Length: " + QByteArray::number(c.served.size()) + "\r\n",
            c.served));
        services.updateAddress = menu::test::updateAddressOn(server);
        ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n" +
            menu::test::announcementOf(announced));
        boxes.boxes.clear();
        shell.opened.clear();
        const QStringList before =
            QDir(tempFile("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

        MainWindow window(services, boxes); // the offer at start is answered No
        showQuietly(window);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }));
        QString note;
        EXPECT_TRUE(withUpdateDialog(window, "launcherUpdateAction", [&](UpdateDialog &d) {
            QTest::mouseClick(child<QPushButton>(d, "importButton"), Qt::LeftButton);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !d.busy(); }, 30000));
            note = child<QLabel>(d, "noteLabel")->text();
            if (d.isVisible())
                QTest::mouseClick(child<QPushButton>(d, "closeButton"), Qt::LeftButton);
        }));
        EXPECT_EQ(server.connections(), 1);
        EXPECT_NE(note, QStringLiteral("Súbor ÚSPEŠNE prijatý ...")) << note.toStdString();
        EXPECT_TRUE(shell.opened.empty());
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(
            QDir(tempFile("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            before);
        window.hide();
    }
}

TEST_F(MainWindowUpdateTest, AKeptPackageDirectoryGoesAtALaterStart)
{
    dir.write(QStringLiteral("tmp/orvan-update-Old123/ORVAN-INSTAL/setup.exe"), "old");
    dir.write(QStringLiteral("tmp/orvan-update-New123/ORVAN-INSTAL/setup.exe"), "running");
    for (const char *name : {"tmp/orvan-update-Old123", "tmp/orvan-update-New123"})
        ::chmod(QFile::encodeName(dir.file(QLatin1String(name))).constData(), 0700);
    const std::time_t hoursAgo = std::time(nullptr) - 2 * 3600;
    const struct timespec times[2] = {{hoursAgo, 0}, {hoursAgo, 0}};
    ASSERT_EQ(
        ::utimensat(
            AT_FDCWD,
            QFile::encodeName(dir.file(QStringLiteral("tmp/orvan-update-Old123"))).constData(),
            times, 0),
        0);

    MainWindow window(services, boxes);
    EXPECT_EQ(packageDirs(dir.file(QStringLiteral("tmp"))),
              QStringList{tempFile("orvan-update-New123")});
}

TEST_F(MainWindowUpdateTest, NoOfferForTheSameVersionAndNoUpdateOnNo)
{
    const QString installed = installedVersion();
    ASSERT_FALSE(installed.isEmpty());
    for (const bool newer : {false, true}) {
        SCOPED_TRACE(newer);
        boxes.boxes.clear();
        ini("[ORVAN]\nAktCis=" + (newer ? QByteArray("9.0.0.0") : installed.toUtf8()) +
            "\nAktDat=10.01.2024\nAktFil=x.zip\n");
        MainWindow window(services, boxes);
        showQuietly(window);
        // The offer is asked once the window stands, after the events now waiting.
        if (newer) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }));
        } else {
            QCoreApplication::processEvents();
        }
        ASSERT_EQ(boxes.boxes.size(), newer ? 1u : 0u);
        if (newer) {
            EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Confirmation);
        }
        EXPECT_TRUE(window.isVisible()); // the answer No leaves everything as it was
        EXPECT_EQ(internet.asked, 0);
        EXPECT_EQ(shownDialog(), nullptr);
        window.hide();
    }
}

TEST_F(MainWindowUpdateTest, UpdateCommandsWaitForARunningCheckAndNeedTheInternet)
{
    ScriptedHttpServer silent;
    silent.answer({{}, true}); // accepts and never answers
    services.updateAddress = menu::test::updateAddressOn(silent);
    {
        MainWindow window(services, boxes);
        window.show();
        auto *checker = child<menu::core::UpdateChecker>(window, "updateChecker");
        checker->timer().start(0); // the check starts now rather than in a second
        ASSERT_TRUE(QTest::qWaitFor([&] { return silent.connections() == 1; }, 30000));
        ASSERT_TRUE(checker->running());
        const int asked = internet.asked;
        trigger(window, "launcherUpdateAction");
        trigger(window, "teamViewerUpdateAction");
        ASSERT_EQ(boxes.boxes.size(), 2u);
        for (const auto &box : boxes.boxes) {
            EXPECT_EQ(box.kind, BoxKind::Information);
            EXPECT_EQ(box.text, menu::core::texts::updateCheckRunning());
        }
        EXPECT_EQ(internet.asked, asked);
        EXPECT_EQ(shownDialog(), nullptr);
    } // the check is cancelled with its window

    MainWindow window(services, boxes);
    showQuietly(window);
    boxes.boxes.clear();
    internet.isConnected = false;
    trigger(window, "launcherUpdateAction");
    const menu::Failure refused = menu::Failure::of(std::errc::permission_denied);
    internet.failure = refused;
    trigger(window, "teamViewerUpdateAction");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Warning);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Váš počítač nemá pripojenie na Internet !"));
    EXPECT_EQ(boxes.boxes[1].kind, BoxKind::Error);
    EXPECT_EQ(boxes.boxes[1].text,
              QStringLiteral("POZOR ! Chyba pri zisťovaní pripojenia na internet !\r\r") +
                  menu::core::texts::reason(refused));
    EXPECT_EQ(shownDialog(), nullptr);
}

// In a build with keys, what anyone on the drive writes into menu.ini is shown in the label
// but neither offered nor put into the dialog: only the signed document kept by the user is.
TEST_F(MainWindowUpdateTest, AForgedSettingsFileIsNeitherOfferedNorFetched)
{
    const auto key =
        menu::formats::parseMinisignKey(menu::test::minisignPublicKey(QStringLiteral("a")));
    ASSERT_TRUE(key);
    const menu::core::TrustPolicy before = menu::core::trustPolicy();
    menu::core::setTrustPolicy({{*key}, false, dir.file(QStringLiteral("user"))});
    ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n"
        "[ORVAN]\nAktCis=9.0.0.0\nAktDat=10.01.2024\nAktFil=evil.zip\nAktLen=2\n"
        "AktSha256=" +
        QByteArray(64, 'a') + "\n");
    {
        MainWindow window(services, boxes);
        showQuietly(window);
        QCoreApplication::processEvents();
        EXPECT_TRUE(boxes.boxes.empty());
        EXPECT_TRUE(withUpdateDialog(window, "launcherUpdateAction", [&](UpdateDialog &d) {
            EXPECT_EQ(child<QLineEdit>(d, "announcedField")->text(), QString()); // nothing
            QTest::mouseClick(child<QPushButton>(d, "closeButton"), Qt::LeftButton);
        }));
        EXPECT_TRUE(shell.opened.empty());
    }
    menu::core::setTrustPolicy(before);
}

TEST_F(MainWindowUpdateTest, ClosingTheDialogWithoutADownloadChangesNothing)
{
    ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n"
        "[ORVAN]\nAktCis=9.0.0.0\nAktDat=10.01.2024\nAktFil=x.zip\n");
    dir.write(QStringLiteral("tmp/orvan_update.zip"), "earlier");
    MainWindow window(services, boxes); // the offer is answered No
    showQuietly(window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }));
    QString shownLocal;
    EXPECT_TRUE(withUpdateDialog(window, "launcherUpdateAction", [&](UpdateDialog &d) {
        shownLocal = child<QLabel>(d, "statusLine")->toolTip();
        EXPECT_EQ(child<QLineEdit>(d, "announcedField")->text(),
                  QStringLiteral("v9.0.0.0 zo dňa 10.01.2024"));
        auto *import = child<QPushButton>(d, "importButton");
        EXPECT_TRUE(import->isEnabled());
        QTest::mouseClick(child<QPushButton>(d, "closeButton"), Qt::LeftButton);
    }));
    EXPECT_EQ(shownLocal, QStringLiteral("Súbor na stiahnutie ") +
                              tempFile("orvan-update-XXXXXX/orvan_update.zip"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(dir.read(QStringLiteral("tmp/orvan_update.zip")), QByteArray("earlier"));
    EXPECT_EQ(packageDirs(dir.file(QStringLiteral("tmp"))), QStringList());
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(MainWindowUpdateTest, TeamViewerIsReplacedInPlaceAndTheMenuRefreshed)
{
    dir.write(QStringLiteral("ORVAN/orvan-Srv.ini"),
              "[Menu1]\nExe=\\ORVAN\\SRV\\a.txt\nNaz=Servis\n"
              "[Menu2]\nExe=\\ORVAN\\SRV\\tv.exe\nNaz=Team Viewer - ORVAN\n");
    dir.write(QStringLiteral("ORVAN/SRV/a.txt"), "text");
    // Installed: a program without the US English table, so no readable version.
    dir.write(QStringLiteral("ORVAN/SRV/tv.exe"),
              menu::test::readAll(menu::test::peFixture("slovak.exe")));
    const QByteArray update = menu::test::readAll(menu::test::peFixture("english.exe"));
    ASSERT_FALSE(update.isEmpty());
    ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n"
        "[TEA]\nAktCis=15.4.6.0\nAktFil=tv_1546.exe\n");
    ScriptedHttpServer server;
    server.answer(ScriptedHttpServer::response(
        "HTTP/1.1 200 OK", "Content-Length: " + QByteArray::number(update.size()) + "\r\n",
        update));
    services.updateAddress = menu::test::updateAddressOn(server);

    MainWindow window(services, boxes);
    showQuietly(window);
    auto *grid = child<menu::gui::ButtonGrid>(window, "buttonGrid");
    ASSERT_EQ(grid->buttonCount(), 2);
    // Once the details have arrived.
    const auto teamViewerCaption = [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !grid->filling(); }, 30000));
        return child<menu::gui::ModuleButton>(*grid, "moduleButton2")->caption();
    };
    EXPECT_EQ(teamViewerCaption(), QStringLiteral("Team Viewer - ORVAN\r\rverzia nezistená\r"));
    // A refresh that no longer finds the entry keeps the program found last.
    const QByteArray srv = dir.read(QStringLiteral("ORVAN/orvan-Srv.ini"));
    dir.write(QStringLiteral("ORVAN/orvan-Srv.ini"), "[Menu1]\nExe=\\ORVAN\\SRV\\a.txt\n");
    trigger(window, "refreshAction");
    child<menu::core::UpdateChecker>(window, "updateChecker")->timer().stop();
    ASSERT_EQ(grid->buttonCount(), 1);

    bool sawSuccess = false;
    EXPECT_TRUE(withUpdateDialog(window, "teamViewerUpdateAction", [&](UpdateDialog &d) {
        dir.write(QStringLiteral("ORVAN/orvan-Srv.ini"), srv);
        EXPECT_EQ(child<QLabel>(d, "title")->text(), QStringLiteral("Team Viewer - ORVAN"));
        EXPECT_EQ(child<QLineEdit>(d, "installedField")->text(), QStringLiteral("žiadna"));
        EXPECT_EQ(child<QLabel>(d, "statusLine")->toolTip(),
                  QStringLiteral("Súbor na stiahnutie ") +
                      dir.file(QStringLiteral("ORVAN/SRV/tv.exe")));
        auto *import = child<QPushButton>(d, "importButton");
        EXPECT_EQ(import->text(), QStringLiteral("Stiahnuť"));
        QTest::mouseClick(import, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !d.busy(); }, 30000));
        sawSuccess =
            d.succeeded() && !import->isEnabled() &&
            child<QLabel>(d, "noteLabel")->text() == QStringLiteral("Súbor ÚSPEŠNE prijatý ...");
        QTest::mouseClick(child<QPushButton>(d, "closeButton"), Qt::LeftButton);
    }));
    EXPECT_TRUE(sawSuccess);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /ORVANWIN/FILES/tv_1546.exe "));
    EXPECT_EQ(dir.read(QStringLiteral("ORVAN/SRV/tv.exe")), update);
    EXPECT_TRUE(window.isVisible());
    // The menu was read again, and with it the check asked for.
    EXPECT_TRUE(child<menu::core::UpdateChecker>(window, "updateChecker")->timer().isActive());
    EXPECT_EQ(teamViewerCaption(), QStringLiteral("Team Viewer - ORVAN\r\rv15.4.6\r"));
    EXPECT_TRUE(shell.opened.empty());
}

} // namespace
