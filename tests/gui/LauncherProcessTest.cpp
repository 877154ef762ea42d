// The real launcher as separate processes: one instance, closing on a termination signal, the
// update check against a local server.
#include "core/ScriptedHttpServer.h"
#include "platform/posix/InterfaceInternetState.h"
#include "platform/posix/LocalSingleInstance.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace {

bool waitFor(const std::function<bool()> &done, int ms = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    return true;
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

class LauncherProcess : public ::testing::Test {
protected:
    LauncherProcess()
    {
        QDir().mkpath(dir.file(QStringLiteral("ORVAN/MENU")));
        QDir().mkpath(dir.file(QStringLiteral("run")));
        exe = dir.file(QStringLiteral("ORVAN/MENU/menu"));
        QFile::copy(QStringLiteral(MENU_PATH), exe);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.file(QStringLiteral("run")));
        env.insert(QStringLiteral("ORVAN_UPDATE_HOST"), QStringLiteral("127.0.0.1:9"));
        environment = env;
    }
    void start(QProcess &process)
    {
        process.setProcessEnvironment(environment);
        process.setProgram(exe);
        process.start();
        ASSERT_TRUE(process.waitForStarted());
    }
    QString savedSettings() const
    {
        QFile ini(dir.file(QStringLiteral("ORVAN/MENU/menu.ini")));
        return ini.open(QIODevice::ReadOnly) ? QString::fromUtf8(ini.readAll()) : QString();
    }
    void terminate(QProcess &process)
    {
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(15000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
    }
    // The launcher looks for news only on a computer with a network connection.
    static bool online()
    {
        QString error;
        return menu::platform::InterfaceInternetState().connected(error);
    }
    bool listening() const
    {
        return QFile::exists(dir.file(QStringLiteral("run/Orvan-Menu-") +
                                      QString::number(::getuid()) + QStringLiteral(".socket")));
    }

    menu::test::TempDir dir;
    QString exe;
    QProcessEnvironment environment;
};

TEST_F(LauncherProcess, SecondStartEndsAndTheFirstSavesOnTermination)
{
    QProcess first;
    start(first);
    ASSERT_TRUE(waitFor([&] { return listening(); })) << first.readAllStandardError().toStdString();

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(15000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);

    QFile ini(dir.file(QStringLiteral("ORVAN/MENU/menu.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(ini.readAll());
    for (const char *key :
         {"ButtonsView", "Left", "Width", "Top", "Height", "WindowState", "LicKon"})
        EXPECT_TRUE(saved.contains(QLatin1String(key) + QLatin1Char('='))) << key;
    // Nothing half-written is left behind.
    EXPECT_EQ(QDir(dir.file(QStringLiteral("ORVAN/MENU"))).entryList(QDir::Files).size(), 2);
}

TEST_F(LauncherProcess, FetchesTheUpdateInformationASecondAfterOpening)
{
    if (!online())
        GTEST_SKIP() << "no network interface is up: the launcher would not look";
    menu::test::ScriptedHttpServer server;
    server.answer(menu::test::ScriptedHttpServer::response(
        "HTTP/1.0 200 OK", "", "[ORVAN]\r\nAktCis=1.0.0.1\r\nAktFil=orvan_1001.zip\r\n"));
    environment.insert(QStringLiteral("ORVAN_UPDATE_HOST"), server.address(QString()));
    QProcess launcher;
    start(launcher);
    ASSERT_TRUE(waitFor([&] {
        return savedSettings().contains(QLatin1String("AktFil=orvan_1001.zip"));
    })) << launcher.readAllStandardError().toStdString();
    EXPECT_EQ(server.connections(), 1);
    terminate(launcher);

    const QString saved = savedSettings();
    EXPECT_TRUE(saved.contains(QRegularExpression(
        QStringLiteral("LicKonLast=\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d\\D\\d\\d\\r?\\n"))))
        << saved.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("ORVAN/MENU/orvan_akt.$$$"))));
}

TEST_F(LauncherProcess, ClosingDuringASlowCheckEndsAtOnce)
{
    if (!online())
        GTEST_SKIP() << "no network interface is up: the launcher would not look";
    menu::test::ScriptedHttpServer server;
    server.answer({{}, true}); // accepts and never answers; the launcher waits 90 s
    environment.insert(QStringLiteral("ORVAN_UPDATE_HOST"), server.address(QString()));
    QProcess launcher;
    start(launcher);
    ASSERT_TRUE(waitFor([&] { return server.connections() == 1; }))
        << launcher.readAllStandardError().toStdString();
    terminate(launcher);
    const QString saved = savedSettings();
    EXPECT_TRUE(saved.contains(QLatin1String("LicKon=0")));
    EXPECT_FALSE(saved.contains(QLatin1String("AktCis")));
}

} // namespace
