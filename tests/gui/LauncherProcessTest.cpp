// The real launcher as separate processes on a virtual X display (Xvfb with the window manager
// twm, started here), in a demo tree, against a local update server: one instance, the
// background check, closing on a termination signal, and the refusal to run outside the
// installation directory.
#include "platform/ProfileFiles.h"
#include "platform/posix/PosixInternetState.h"
#include "platform/posix/PosixSingleInstance.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"
#include "VirtualDisplay.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

using menu::test::VirtualDisplay;

const QString kMainTitle = QStringLiteral("ORVAN - Základná ponuka");
// What a launcher leaves in its directory: itself, its settings and their lock file.
const QStringList kMenuFiles = {QStringLiteral("menu"), QStringLiteral("menu.ini"),
                                QStringLiteral("menu.ini.lock")};

// Waits for done while this process keeps handling its events.
bool waitFor(const std::function<bool()> &done, int ms = 20000)
{
    return QTest::qWaitFor(done, ms);
}

TEST(SingleInstance, ALaterStartRaisesTheRunningOne)
{
    menu::test::TempDir dir;
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    menu::platform::PosixSingleInstance first(QStringLiteral("Orvan-Menu-test"));
    menu::platform::PosixSingleInstance second(QStringLiteral("Orvan-Menu-test"));
    qunsetenv("XDG_RUNTIME_DIR");

    using Claim = menu::platform::SingleInstance::Claim;
    EXPECT_FALSE(first.raiseRunning()); // nobody holds the claim: no waiting for an answer
    ASSERT_EQ(first.claim(), Claim::Claimed);
    EXPECT_EQ(second.claim(), Claim::Held);
    int raised = 0;
    first.listen([&raised] { ++raised; });

    std::atomic<int> answer{-1};
    std::thread later([&] { answer = second.raiseRunning() ? 1 : 0; });
    EXPECT_TRUE(waitFor([&] { return answer != -1; }));
    later.join();
    EXPECT_EQ(answer, 1);
    EXPECT_TRUE(waitFor([&] { return raised == 1; }));
}

// A demo installation in a fresh directory: <dir>/ORVAN with the demo package's modules and
// <dir>/ORVAN/MENU/menu, a private runtime, temporary and configuration directory, and an
// update server on 127.0.0.1.
class LauncherProcess : public ::testing::Test {
  protected:
    LauncherProcess()
    {
#ifdef MENU_DEMO_PACKAGE_DIR
        copyTree(QStringLiteral(MENU_DEMO_PACKAGE_DIR), dir.path());
#endif
        for (const char *sub : {"ORVAN/MENU", "run", "tmp", "config"})
            QDir().mkpath(dir.file(QLatin1String(sub)));
        QFile::setPermissions(dir.file(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        exe = dir.file(QStringLiteral("ORVAN/MENU/menu"));
        QFile::copy(QStringLiteral(MENU_PATH), exe);
        menuIni = dir.file(QStringLiteral("ORVAN/MENU/menu.ini"));

        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DISPLAY"), display.name());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.file(QStringLiteral("run")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.file(QStringLiteral("config")));
        environment.insert(QStringLiteral("TMPDIR"), dir.file(QStringLiteral("tmp")));
        environment.insert(QStringLiteral("ORVAN_UPDATE_HOST"),
                           QStringLiteral("127.0.0.1:%1").arg(server.port()));
        server.answer(menu::test::ScriptedHttpServer::response(
            "HTTP/1.1 200 OK", "Content-Type: text/plain\r\n", kAnnouncement));
    }
    ~LauncherProcess() override
    {
        for (const auto &process : processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
        }
    }
    void SetUp() override
    {
        ASSERT_TRUE(display.running())
            << "Xvfb and twm are needed (scripts/install-deps.sh installs them)";
    }

    static void copyTree(const QString &from, const QString &to)
    {
        QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = to + source.mid(from.size());
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(source, target);
        }
    }
    // A process with the test's environment, ended at the latest with the test.
    QProcess &start(const QString &program, const QStringList &arguments = {})
    {
        auto &process = *processes.emplace_back(std::make_unique<QProcess>());
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted()) << program.toStdString();
        return process;
    }
    bool mainWindowShown() const
    {
        return !display.window(kMainTitle).isEmpty();
    }
    void terminate(QProcess &process)
    {
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }
    std::optional<QString> savedValue(const char *section, const char *key) const
    {
        // A store of its own for each read: the file was written by another process.
        return menu::platform::ProfileFiles().read(menuIni, QLatin1String(section),
                                                   QLatin1String(key));
    }
    QString saved(const char *section, const char *key) const
    {
        return savedValue(section, key).value_or(QString());
    }
    void save(const char *section, const char *key, const char *value)
    {
        ASSERT_TRUE(
            menu::platform::ProfileFiles()
                .write(menuIni, QLatin1String(section), QLatin1String(key), QLatin1String(value))
                .ok());
    }
    // Files of a directory, without the ones the test put there.
    static QStringList filesIn(const QString &path)
    {
        return QDir(path).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    static constexpr char kAnnouncement[] = "[ORVAN]\r\nAktCis=1.0.0.1\r\nAktDat=01.02.2020\r\n"
                                            "AktFil=orvan-1.0.0.1.zip\r\n[TEA]\r\n"
                                            "AktCis=15.51.5\r\nAktFil=TeamViewerQS.exe\r\n";

    VirtualDisplay display;
    menu::test::TempDir dir;
    menu::test::ScriptedHttpServer server;
    QString exe;
    QString menuIni;
    QProcessEnvironment environment;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(LauncherProcess, SecondStartEndsAndRaisesTheFirstWindow)
{
    QProcess &first = start(exe);
    ASSERT_TRUE(waitFor([&] { return mainWindowShown(); }))
        << first.readAllStandardError().toStdString();
    const QString window = display.window(kMainTitle);

    // Another program's window over the launcher's.
    start(QStringLiteral("xmessage"),
          {QStringLiteral("-geometry"), QStringLiteral("1024x768+0+0"), QStringLiteral("cover")});
    // Both framed by twm first: until then a window is not yet where it will stay in the stack.
    QString coverWindow;
    const auto framed = [&](const QString &id) { return display.frameOf(id) != id; };
    ASSERT_TRUE(waitFor([&] {
        coverWindow = display.window(QStringLiteral("xmessage"));
        return !coverWindow.isEmpty() && framed(coverWindow) && framed(window);
    })) << "twm framed no window";
    const QString frame = display.frameOf(window);
    const QString coverFrame = display.frameOf(coverWindow);
    const auto above = [&] {
        const QStringList stack = display.stack();
        return stack.indexOf(frame) > stack.indexOf(coverFrame);
    };
    // A launcher that finished showing itself after the cover was mapped lies above it: the
    // cover is raised as a click on it would.
    if (above())
        display.run(QStringLiteral("xdotool"), {QStringLiteral("windowraise"), coverFrame});
    ASSERT_TRUE(waitFor([&] { return !above(); })) << "the cover did not come over the launcher";

    QProcess &second = start(exe);
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(waitFor(above)) << "the first launcher's window did not come to the top";
    EXPECT_EQ(display.window(kMainTitle), window);

    terminate(first);
}

// The claim is held by a launcher that does not answer (here: the test itself): the second
// start says so in a box instead of ending without a word.
TEST_F(LauncherProcess, ASecondStartThatCannotReachTheFirstSaysSo)
{
    qputenv("XDG_RUNTIME_DIR", dir.file(QStringLiteral("run")).toUtf8());
    menu::platform::PosixSingleInstance silent(QStringLiteral("Orvan-Menu"));
    qunsetenv("XDG_RUNTIME_DIR");
    ASSERT_EQ(silent.claim(), menu::platform::SingleInstance::Claim::Claimed);

    QProcess &second = start(exe);
    QString box;
    ASSERT_TRUE(waitFor([&] { return !(box = display.window(QStringLiteral("Chyba"))).isEmpty(); }))
        << second.readAllStandardError().toStdString();
    EXPECT_FALSE(mainWindowShown());
    EXPECT_EQ(second.state(), QProcess::Running); // the box waits for its answer
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        return;
    display.run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), box});
    display.run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
}

TEST_F(LauncherProcess, TerminationSavesTheSettingsAndLeavesNoTemporaryFiles)
{
    // No background check: nothing may be in flight when the signal comes.
    save("OPTIONS", "LicKon", "2");
    save("OPTIONS", "ButtonsView", "ver");
    QProcess &launcher = start(exe);
    ASSERT_TRUE(waitFor([&] { return mainWindowShown(); }))
        << launcher.readAllStandardError().toStdString();
    terminate(launcher);

    for (const char *key :
         {"ButtonsView", "Left", "Width", "Top", "Height", "WindowState", "LicKon", "LicKonLast"}) {
        EXPECT_TRUE(savedValue("OPTIONS", key).has_value()) << key;
    }
    EXPECT_EQ(saved("OPTIONS", "ButtonsView"), QStringLiteral("Ver"));
    EXPECT_EQ(saved("OPTIONS", "LicKon"), QStringLiteral("2"));
    EXPECT_EQ(filesIn(dir.file(QStringLiteral("ORVAN/MENU"))), kMenuFiles);
    EXPECT_EQ(filesIn(dir.file(QStringLiteral("tmp"))), QStringList());
}

TEST_F(LauncherProcess, TheWindowOpensWhereItClosedAtTheSizeItClosed)
{
    // The stored bounds are the outer ones, frame included: a window manager's frame must not
    // move or grow the window from one start to the next.
    save("OPTIONS", "LicKon", "2");
    const QStringList bounds = {QStringLiteral("20"), QStringLiteral("30"), QStringLiteral("980"),
                                QStringLiteral("640")};
    const char *const keys[] = {"Left", "Top", "Width", "Height"};
    for (int i = 0; i < 4; ++i)
        save("OPTIONS", keys[i], bounds[i].toLatin1().constData());
    for (int attempt = 1; attempt <= 3; ++attempt) {
        QProcess &launcher = start(exe);
        ASSERT_TRUE(waitFor([&] {
            const QString window = display.window(kMainTitle);
            return !window.isEmpty() && display.frameOf(window) != window;
        })) << launcher.readAllStandardError().toStdString();
        terminate(launcher);
        QStringList stored;
        for (const char *key : keys)
            stored.append(saved("OPTIONS", key));
        EXPECT_EQ(stored, bounds) << "start " << attempt;
    }
}

// The launcher looks for news only on a computer with a network connection.
bool online()
{
    const menu::Result<bool> connected = menu::platform::PosixInternetState().connected();
    return connected.ok() && *connected;
}

TEST_F(LauncherProcess, TheCheckStoresWhatTheUpdateServerAnnounces)
{
    if (!online())
        GTEST_SKIP() << "no network interface is up: the launcher would not look";
    QProcess &launcher = start(exe);
    ASSERT_TRUE(waitFor([&] { return mainWindowShown(); }));
    ASSERT_TRUE(waitFor([&] {
        return saved("TEA", "AktFil") == QStringLiteral("TeamViewerQS.exe");
    })) << "no announcement stored; last request: "
        << server.lastRequest().toStdString();
    EXPECT_TRUE(server.lastRequest().startsWith("GET /ORVANWIN/orvan_akt.ini HTTP/1."));
    EXPECT_EQ(saved("ORVAN", "AktCis"), QStringLiteral("1.0.0.1"));
    EXPECT_EQ(saved("ORVAN", "AktDat"), QStringLiteral("01.02.2020"));
    EXPECT_EQ(saved("ORVAN", "AktFil"), QStringLiteral("orvan-1.0.0.1.zip"));
    EXPECT_EQ(saved("TEA", "AktCis"), QStringLiteral("15.51.5"));
    terminate(launcher);

    // The time of the check, kept at close.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d.\\d\\d$"))
                    .match(saved("OPTIONS", "LicKonLast"))
                    .hasMatch())
        << saved("OPTIONS", "LicKonLast").toStdString();
    // The document was read in memory; nothing was left behind.
    EXPECT_EQ(filesIn(dir.file(QStringLiteral("ORVAN/MENU"))), kMenuFiles);
    EXPECT_EQ(filesIn(dir.file(QStringLiteral("tmp"))), QStringList());
}

// The server accepts and then never answers, or stops in the middle of the document; the
// launcher would wait 90 s for it.
TEST_F(LauncherProcess, ClosingDuringASlowCheckEndsAtOnceAndLeavesNoFiles)
{
    if (!online())
        GTEST_SKIP() << "no network interface is up: the launcher would not look";
    using namespace std::chrono_literals;
    const struct {
        const char *name;
        menu::test::ScriptedHttpServer::Script script;
    } cases[] = {
        {"silent", {{}, true}},
        {"stalled",
         {{{"HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n[ORVAN]\r\n", 0ms}}, true}},
    };
    const QString menuDir = dir.file(QStringLiteral("ORVAN/MENU"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer(c.script);
        const int before = server.connections();
        QProcess &launcher = start(exe);
        ASSERT_TRUE(waitFor([&] { return server.connections() == before + 1; }))
            << launcher.readAllStandardError().toStdString();
        terminate(launcher);
        EXPECT_EQ(saved("OPTIONS", "LicKon"), QStringLiteral("0"));
        EXPECT_EQ(saved("ORVAN", "AktCis"), QString());
        // Nothing of the document stays behind.
        EXPECT_EQ(filesIn(menuDir), kMenuFiles);
        EXPECT_EQ(filesIn(dir.file(QStringLiteral("tmp"))), QStringList());
    }
}

// Another user of the computer holds the settings' lock and never lets go (anyone who can read
// menu.ini.lock can): the window goes on answering while its writes wait, and a termination
// signal still ends it within a second, the settings left as the holder keeps them.
TEST_F(LauncherProcess, AnotherUserHoldingTheSettingsCannotFreezeTheWindow)
{
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
        GTEST_SKIP() << "acting as another user needs root, setpriv and flock";
    save("OPTIONS", "LicKon", "0"); // made with its lock file, which every user may read
    for (const QString &path :
         {dir.path(), dir.file(QStringLiteral("ORVAN")), dir.file(QStringLiteral("ORVAN/MENU"))})
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther);
    // One process of the other user holds the lock of menu.ini itself and of its lock file.
    QProcess &holder =
        start(QStringLiteral("setpriv"),
              {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
               QStringLiteral("--clear-groups"), QStringLiteral("flock"),
               QStringLiteral("--no-fork"), menuIni, QStringLiteral("flock"),
               QStringLiteral("--no-fork"), menuIni + QStringLiteral(".lock"), QStringLiteral("sh"),
               QStringLiteral("-c"), QStringLiteral("echo held; exec sleep 600")});
    ASSERT_TRUE(waitFor([&] { return holder.readAllStandardOutput().contains("held"); }))
        << holder.readAllStandardError().toStdString();

    QProcess &launcher = start(exe);
    ASSERT_TRUE(waitFor([&] { return mainWindowShown(); }))
        << launcher.readAllStandardError().toStdString();
    // The check stores what it fetched about a second after start: that write now waits.
    if (online()) {
        ASSERT_TRUE(waitFor([&] { return server.connections() > 0; }));
    }
    // A later start is answered by the window: it comes forward, and the later one ends.
    QProcess &second = start(exe);
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(launcher.state(), QProcess::Running);

    QElapsedTimer ending;
    ending.start();
    ::kill(static_cast<pid_t>(launcher.processId()), SIGTERM);
    ASSERT_TRUE(launcher.waitForFinished(20000));
    EXPECT_LT(ending.elapsed(), 1000);
    EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(saved("OPTIONS", "Left"), QString());
    EXPECT_EQ(saved("ORVAN", "AktCis"), QString());
    EXPECT_EQ(holder.state(), QProcess::Running);
}

TEST_F(LauncherProcess, OutsideTheInstallationDirectoryItShowsTheErrorAndEnds)
{
    const QString elsewhere = dir.file(QStringLiteral("ORVAN/MENU2/menu"));
    QDir().mkpath(QFileInfo(elsewhere).path());
    QFile::copy(QStringLiteral(MENU_PATH), elsewhere);
    QProcess &launcher = start(elsewhere);

    QString box;
    ASSERT_TRUE(waitFor([&] { return !(box = display.window(QStringLiteral("Chyba"))).isEmpty(); }))
        << launcher.readAllStandardError().toStdString();
    // The box waits for its answer; there is no main window.
    EXPECT_EQ(launcher.state(), QProcess::Running);
    EXPECT_FALSE(mainWindowShown());

    // OK ends the program without a word written.
    if (!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        display.run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), box});
        display.run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
        ASSERT_TRUE(launcher.waitForFinished(20000));
        EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(launcher.exitCode(), 0);
    }
    EXPECT_FALSE(mainWindowShown());
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("ORVAN/MENU2/menu.ini"))));
}

} // namespace
