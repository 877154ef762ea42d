#include "support/PeFixtures.h"
#include "core/UpdateOffer.h"
#include "widgets/AEdit.h"
#include "gui/Faults.h"
#include "gui/MainWindow.h"
#include "gui/MenuUpdate.h"
#include "gui/ModuleButton.h"
#include "platform/Executables.h"
#include "platform/Internet.h"
#include "platform/ProfileFiles.h"
#include "platform/posix/PosixShell.h"
#include "support/FakeServices.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using menu::gui::TfMenuMain;
using menu::gui::TfMenuUpdate;
using menu::platform::BoxAnswer;
using menu::platform::BoxKind;
using menu::test::ScriptedHttpServer;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char *name, const QByteArray &value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

  private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

TfMenuUpdate *openDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<TfMenuUpdate *>(w); d != nullptr && d->isVisible())
            return d;
    }
    return nullptr;
}

// Acts on the update dialog while it runs modally: each step waits for its condition.
class DialogScript {
  public:
    using Step = std::function<bool(TfMenuUpdate &)>; // true: done, go to the next step
    explicit DialogScript(std::vector<Step> steps) : steps_(std::move(steps))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            TfMenuUpdate *d = openDialog();
            if (d == nullptr || next_ >= steps_.size() || d->busy())
                return;
            if (steps_[next_](*d))
                ++next_;
        });
        timer_.start(10);
    }
    bool finished() const { return next_ == steps_.size(); }

  private:
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    QTimer timer_;
};

class MainWindowUpdateTest : public ::testing::Test {
  protected:
    MainWindowUpdateTest()
        : clock(QDateTime(QDate(2024, 3, 15), QTime(9, 30))), screen({1600, 1000})
    {
        services = menu::test::installedLauncher(dir.path(), store, clock, screen, boxes, shell);
        QDir().mkpath(dir.file(QStringLiteral("tmp")));
        // The launcher itself, so that it has its real version.
        QFile::link(QStringLiteral(MENU_PATH), dir.file(QStringLiteral("ORVAN/MENU/menu")));
        services.internet = &internet;
        menu::gui::setFaultBoxes(&boxes);
        ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n");
    }
    ~MainWindowUpdateTest() override { menu::gui::setFaultBoxes(nullptr); }

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

    menu::test::TempDir dir;
    menu::platform::ProfileFiles store;
    menu::test::RecordingBoxes boxes;
    menu::test::FixedClock clock;
    menu::test::FixedScreen screen;
    menu::test::RecordingShell shell;
    menu::test::FakeInternet internet;
    menu::platform::Services services;
    ScopedEnv tmpdir{"TMPDIR", dir.file(QStringLiteral("tmp")).toUtf8()};
};

// A package as the vendor makes it: the installer, a script that notes that it ran, at the
// top, and further files in folders.
QByteArray packageArchive(const menu::test::TempDir &dir)
{
    dir.write(QStringLiteral("pkg/setup.exe"), "#!/bin/sh\necho ran > setup-ran\n");
    QFile::setPermissions(dir.file(QStringLiteral("pkg/setup.exe")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    dir.write(QStringLiteral("pkg/data/readme.txt"), "ORVAN");
    QProcess zip;
    zip.setWorkingDirectory(dir.file(QStringLiteral("pkg")));
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"),
                                      QStringLiteral("../package.zip"), QStringLiteral(".")});
    if (!zip.waitForFinished(60000) || zip.exitCode() != 0)
        return {};
    return dir.read(QStringLiteral("package.zip"));
}

TEST_F(MainWindowUpdateTest, LauncherUpdateFromTheOfferToTheInstaller)
{
    const QByteArray package = packageArchive(dir);
    ASSERT_FALSE(package.isEmpty());
    ScriptedHttpServer server;
    server.answer(ScriptedHttpServer::response(
        "HTTP/1.1 200 OK", "Content-Length: " + QByteArray::number(package.size()) + "\r\n",
        package));
    const ScopedEnv host("ORVAN_UPDATE_HOST", "127.0.0.1:" + QByteArray::number(server.port()));
    ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n"
        "[ORVAN]\nAktCis=9.0.0.0\nAktDat=10.01.2024\nAktFil=orvan_9000.zip\n");
    menu::platform::PosixShell realShell;
    services.shell = &realShell;
    boxes.answers.push_back(BoxAnswer::Yes);

    TfMenuMain window(services);
    ASSERT_TRUE(window.installationAccepted());
    ASSERT_FALSE(window.FileVersion.isEmpty());
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 60000));

    ASSERT_GE(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Confirmation);
    EXPECT_EQ(boxes.boxes[0].text, menu::core::newVersionOfferText(QStringLiteral("9.0.0.0"),
                                                                   QStringLiteral("10.01.2024")));
    EXPECT_EQ(boxes.boxes.size(), 1u) << boxes.boxes.back().text.toStdString();
    EXPECT_TRUE(server.lastRequest().startsWith("GET /ORVANWIN/FILES/orvan_9000.zip "));
    EXPECT_EQ(dir.read(QStringLiteral("tmp/ORVAN-INSTAL/data/readme.txt")), QByteArray("ORVAN"));
    // The installer ran in its own directory; the archive is gone, the settings are saved.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(tempFile("ORVAN-INSTAL/setup-ran")); }, 30000));
    EXPECT_FALSE(QFile::exists(tempFile("orvan_update.zip")));
    EXPECT_EQ(stored("OPTIONS", "LicKon"), QStringLiteral("0"));
    EXPECT_EQ(stored("OPTIONS", "WindowState"), QStringLiteral("0"));
}

TEST_F(MainWindowUpdateTest, NoOfferForTheSameVersionAndNoUpdateOnNo)
{
    TfMenuMain probe(services);
    const QString installed = probe.FileVersion;
    ASSERT_FALSE(installed.isEmpty());
    for (const bool newer : {false, true}) {
        SCOPED_TRACE(newer);
        boxes.boxes.clear();
        ini("[ORVAN]\nAktCis=" + (newer ? QByteArray("9.0.0.0") : installed.toUtf8()) +
            "\nAktDat=10.01.2024\nAktFil=x.zip\n");
        TfMenuMain window(services);
        window.show();
        QTest::qWait(0);
        QCoreApplication::processEvents();
        EXPECT_EQ(boxes.boxes.size(), newer ? 1u : 0u);
        EXPECT_TRUE(window.isVisible()); // the answer No leaves everything as it was
        EXPECT_EQ(internet.asked, 0);
        window.hide();
    }
}

TEST_F(MainWindowUpdateTest, UpdateCommandsWaitForARunningCheckAndNeedTheInternet)
{
    TfMenuMain window(services);
    window.show();
    window.ProgressUpdateCheck = true;
    window.MenuAktOrvan->trigger();
    window.MenuAktTea->trigger();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    for (const auto &box : boxes.boxes) {
        EXPECT_EQ(box.kind, BoxKind::Information);
        EXPECT_EQ(box.text, menu::core::updateCheckRunningText());
    }
    EXPECT_EQ(internet.asked, 0);
    EXPECT_EQ(openDialog(), nullptr);

    window.ProgressUpdateCheck = false;
    boxes.boxes.clear();
    internet.isConnected = false;
    window.MenuAktOrvan->trigger();
    internet.failure = QStringLiteral("netlink: permission denied");
    window.MenuAktTea->trigger();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Warning);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Váš počítač nemá pripojenie na Internet !"));
    EXPECT_EQ(boxes.boxes[1].kind, BoxKind::Error);
    EXPECT_EQ(boxes.boxes[1].text,
              QStringLiteral("POZOR ! Chyba pri zisťovaní pripojenia na internet !\r\r"
                             "netlink: permission denied"));
}

TEST_F(MainWindowUpdateTest, ClosingTheDialogWithoutADownloadChangesNothing)
{
    ini("[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n"
        "[ORVAN]\nAktCis=9.0.0.0\nAktDat=10.01.2024\nAktFil=x.zip\n");
    dir.write(QStringLiteral("tmp/orvan_update.zip"), "earlier");
    TfMenuMain window(services); // the offer is answered No
    window.show();
    QCoreApplication::processEvents();
    QString shownLocal;
    DialogScript script({[&](TfMenuUpdate &d) {
        shownLocal = d.xLocDirFile;
        EXPECT_EQ(d.fInt->text(), QStringLiteral("v9.0.0.0 zo dňa 10.01.2024"));
        EXPECT_TRUE(d.bbImp->isEnabled());
        d.bbKoniec->click();
        return true;
    }});
    window.MenuAktOrvan->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(shownLocal, tempFile("orvan_update.zip"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(dir.read(QStringLiteral("tmp/orvan_update.zip")), QByteArray("earlier"));
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
    const ScopedEnv host("ORVAN_UPDATE_HOST", "127.0.0.1:" + QByteArray::number(server.port()));

    TfMenuMain window(services);
    window.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(window.ButtonCount, 2);
    EXPECT_TRUE(window.TeaFileVersion.isEmpty());
    EXPECT_FALSE(window.moduleButton(2)->caption().contains(QStringLiteral("15.4.6")));

    bool sawSuccess = false;
    DialogScript script({[](TfMenuUpdate &d) {
                             EXPECT_EQ(d.LabInfo->text(), QStringLiteral("Team Viewer - ORVAN"));
                             EXPECT_EQ(d.bbImp->text(), QStringLiteral("Stiahnuť"));
                             d.bbImp->click();
                             return true;
                         },
                         [&](TfMenuUpdate &d) {
                             sawSuccess =
                                 d.yUspesne && !d.bbImp->isEnabled() &&
                                 d.LabPoz->text() == QStringLiteral("Súbor ÚSPEŠNE prijatý ...");
                             d.bbKoniec->click();
                             return true;
                         }});
    window.MenuAktTea->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(sawSuccess);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /ORVANWIN/FILES/tv_1546.exe "));
    EXPECT_EQ(dir.read(QStringLiteral("ORVAN/SRV/tv.exe")), update);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.LicKonTeraz);
    EXPECT_EQ(window.TeaFileVersion, QStringLiteral("15.4.6"));
    EXPECT_TRUE(window.moduleButton(2)->caption().contains(QStringLiteral("v15.4.6")));
    EXPECT_TRUE(shell.opened.empty());
}

} // namespace
