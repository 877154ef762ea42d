// The real launcher as separate processes on a virtual X display (Xvfb, started here), in a
// demo tree, against a local update server: one instance, the background check, closing on a
// termination signal, and the refusal to run outside the installation directory.
#include "platform/ProfileFiles.h"
#include "platform/posix/InterfaceInternetState.h"
#include "platform/posix/LocalSingleInstance.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
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

const QString kMainTitle = QStringLiteral("ORVAN - Základná ponuka");

// Waits for done while this process keeps handling its events.
bool waitFor(const std::function<bool()> &done, int ms = 20000)
{
    return QTest::qWaitFor(done, ms);
}

TEST(SingleInstance, ALaterStartRaisesTheRunningOne)
{
    menu::test::TempDir dir;
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    menu::platform::LocalSingleInstance first(QStringLiteral("Orvan-Menu-test"));
    menu::platform::LocalSingleInstance second(QStringLiteral("Orvan-Menu-test"));
    qunsetenv("XDG_RUNTIME_DIR");

    EXPECT_FALSE(first.raiseRunning());
    ASSERT_TRUE(first.claim());
    EXPECT_FALSE(second.claim()); // the lock is held
    int raised = 0;
    first.listen([&raised] { ++raised; });

    std::atomic<int> answer{-1};
    std::thread later([&] { answer = second.raiseRunning() ? 1 : 0; });
    EXPECT_TRUE(waitFor([&] { return answer != -1; }));
    later.join();
    EXPECT_EQ(answer, 1);
    EXPECT_TRUE(waitFor([&] { return raised == 1; }));
}

// An X server of its own for the processes of one test.
class VirtualDisplay {
  public:
    VirtualDisplay()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            return;
        // A display number that no other X server holds (its lock file is the sign).
        for (int n = 200 + ::getpid() % 500, tries = 0; tries < 50; ++n, ++tries) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            name_ = QStringLiteral(":%1").arg(n);
            server_.start(QStringLiteral("Xvfb"),
                          {name_, QStringLiteral("-screen"), QStringLiteral("0"),
                           QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp"), QStringLiteral("-noreset")});
            if (server_.waitForStarted() &&
                waitFor([this] { return server_.state() != QProcess::Running || answers(); },
                        10000) &&
                server_.state() == QProcess::Running)
                return;
            stop();
        }
        name_.clear();
    }
    ~VirtualDisplay() { stop(); }
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    bool running() const { return !name_.isEmpty(); }
    QString name() const { return name_; }

    // Runs an X client program on this display and gives its standard output.
    QString run(const QString &program, const QStringList &arguments) const
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), name_);
        tool.setProcessEnvironment(env);
        tool.start(program, arguments);
        if (!tool.waitForFinished(10000)) {
            tool.kill();
            tool.waitForFinished();
            return {};
        }
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

    // The id of a top-level window with exactly this title, or empty.
    QString window(const QString &title) const
    {
        const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-name"), title});
        const auto match =
            QRegularExpression(QStringLiteral("Window id: (0x[0-9a-f]+)")).match(info);
        return match.hasMatch() ? match.captured(1) : QString();
    }

    // The top-level windows from the bottom of the stack to its top.
    QStringList stack() const
    {
        QStringList ids;
        const QString tree =
            run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
        const QRegularExpression child(QStringLiteral("^\\s+(0x[0-9a-f]+) "),
                                       QRegularExpression::MultilineOption);
        for (auto it = child.globalMatch(tree); it.hasNext();)
            ids.append(it.next().captured(1));
        // xwininfo lists the children from the top of the stack down.
        std::reverse(ids.begin(), ids.end());
        return ids;
    }

  private:
    bool answers() const
    {
        QProcess probe;
        probe.setStandardOutputFile(QProcess::nullDevice());
        probe.setStandardErrorFile(QProcess::nullDevice());
        probe.start(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), name_});
        return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
               probe.exitCode() == 0;
    }
    void stop()
    {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(5000)) {
                server_.kill();
                server_.waitForFinished();
            }
        }
    }

    QString name_;
    QProcess server_;
};

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
        ASSERT_TRUE(display.running()) << "Xvfb is needed (scripts/install-deps.sh installs it)";
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
        EXPECT_EQ(process.exitCode(), 0);
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
        ASSERT_TRUE(menu::platform::ProfileFiles()
                        .write(menuIni, QLatin1String(section), QLatin1String(key),
                               QLatin1String(value))
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
    QString coverWindow;
    ASSERT_TRUE(waitFor(
        [&] { return !(coverWindow = display.window(QStringLiteral("xmessage"))).isEmpty(); }));
    const auto above = [&] {
        const QStringList stack = display.stack();
        return stack.indexOf(window) > stack.indexOf(coverWindow);
    };
    ASSERT_FALSE(above());

    QProcess &second = start(exe);
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(waitFor(above)) << "the first launcher's window did not come to the top";
    EXPECT_EQ(display.window(kMainTitle), window);

    terminate(first);
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
    EXPECT_EQ(filesIn(dir.file(QStringLiteral("ORVAN/MENU"))),
              QStringList({QStringLiteral("menu"), QStringLiteral("menu.ini")}));
    EXPECT_EQ(filesIn(dir.file(QStringLiteral("tmp"))), QStringList());
}

// The launcher looks for news only on a computer with a network connection.
bool online()
{
    const menu::Result<bool> connected = menu::platform::InterfaceInternetState().connected();
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
    EXPECT_EQ(filesIn(dir.file(QStringLiteral("ORVAN/MENU"))),
              QStringList({QStringLiteral("menu"), QStringLiteral("menu.ini")}));
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
        {"stalled", {{{"HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n[ORVAN]\r\n", 0ms}}, true}},
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
        EXPECT_EQ(filesIn(menuDir), QStringList({QStringLiteral("menu"), QStringLiteral("menu.ini")}));
        EXPECT_EQ(filesIn(dir.file(QStringLiteral("tmp"))), QStringList());
    }
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
