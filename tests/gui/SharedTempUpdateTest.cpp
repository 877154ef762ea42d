// The launcher's own update where another local user reaches the temporary directory, as on a
// shared /tmp: what that user plants at the names updates used to have never reaches the
// update, the update's own directory is closed to them, and two users update one after the
// other. The other user is "nobody", reached with setpriv, which needs the administrator.
#include "UpdateTestSupport.h"
#include "gui/ErrorBoundary.h"
#include "core/UpdateAddress.h"
#include "gui/MainWindow.h"
#include "platform/ProfileFiles.h"
#include "platform/posix/PosixShell.h"
#include "support/FakeServices.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

using menu::core::BoxAnswer;
using menu::test::packageDirs;
using menu::test::ScopedEnv;
using menu::test::ScriptedHttpServer;
using menu::test::statOf;

namespace {

// Set for the second user's run of this program: the announcement to update from.
constexpr char kSecondUser[] = "MENU_TEST_SECOND_USER_ANNOUNCEMENT";

// Runs a shell command as the user nobody and gives its exit code (-1: it did not end).
int asNobody(const QString &command, const QStringList &environment = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &assignment : environment)
        env.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral("setpriv"),
                  {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                   QStringLiteral("--clear-groups"), QStringLiteral("sh"), QStringLiteral("-c"),
                   command});
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString quoted(const QString &path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

// A launcher installed below the temporary directory TMPDIR names, updated by this user
// through the offer at start, with the real shell starting the installer.
class LauncherUpdate {
  public:
    LauncherUpdate() : clock(QDateTime(QDate(2024, 3, 15), QTime(9, 30))), screen({1600, 1000})
    {
        services = menu::test::installedLauncher(install.path(), store, clock, screen, shell);
        QFile::link(QStringLiteral(MENU_PATH), services.executablePath);
        services.internet = &internet;
        // The second user's process learns the server as the program's start would.
        services.updateAddress = menu::core::withUpdateHost(
            menu::core::compiledUpdateAddress(), qEnvironmentVariable("ORVAN_UPDATE_HOST"));
        menu::gui::setFaultBoxes(&boxes);
    }
    ~LauncherUpdate() { menu::gui::setFaultBoxes(nullptr); }

    // The private directory whose installer ran; empty when the update went wrong.
    QString run(const QByteArray &announcement)
    {
        install.write(QStringLiteral("ORVAN/MENU/menu.ini"),
                      "[OPTIONS]\nLeft=0\nTop=0\nWidth=1000\nHeight=500\n" + announcement);
        boxes.answers = {BoxAnswer::Yes};
        const QString tmp = QDir::tempPath();
        const QStringList before = packageDirs(tmp);
        menu::gui::MainWindow window(services, boxes);
        window.show();
        if (!QTest::qWaitFor([&] { return !window.isVisible(); }, 60000))
            return {};
        for (const QString &made : packageDirs(tmp)) {
            if (!before.contains(made) && QFileInfo(made).ownerId() == ::geteuid() &&
                QTest::qWaitFor(
                    [&] { return QFile::exists(made + QStringLiteral("/ORVAN-INSTAL/setup-ran")); },
                    30000))
                return made;
        }
        return {};
    }

    menu::test::TempDir install;
    menu::platform::ProfileFiles store;
    menu::test::RecordingBoxes boxes;
    menu::test::FixedClock clock;
    menu::test::FixedScreen screen;
    menu::platform::PosixShell shell;
    menu::test::FakeInternet internet;
    menu::platform::Services services;
};

// A temporary directory shared as /tmp is (everyone writes, the sticky bit keeps each one's
// names their own), an update server with an honest package, and a file of the user's own.
class SharedTempUpdate : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP()
                << "the second user is reached with setpriv, which needs the administrator";
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            GTEST_SKIP() << "setpriv (util-linux) is missing";
        QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther);
        shared = root.file(QStringLiteral("shared"));
        ASSERT_TRUE(QDir().mkpath(shared));
        ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        own = root.write(QStringLiteral("home/.bashrc"), "the user's own file");
        package = menu::test::packageArchive(root);
        ASSERT_FALSE(package.isEmpty());
        server.answer(ScriptedHttpServer::response(
            "HTTP/1.1 200 OK", "Content-Length: " + QByteArray::number(package.size()) + "\r\n",
            package));
        tmpdir.emplace("TMPDIR", shared.toUtf8());
        host.emplace("ORVAN_UPDATE_HOST", "127.0.0.1:" + QByteArray::number(server.port()));
    }

    // This update's directory, for this user alone: nobody can list it, write into it or move
    // it out of the way.
    void expectClosedToOthers(const QString &made)
    {
        const struct stat info = statOf(made);
        EXPECT_EQ(info.st_uid, ::geteuid());
        EXPECT_EQ(info.st_mode & 07777, 0700u);
        const QString setup = made + QStringLiteral("/ORVAN-INSTAL/setup.exe");
        EXPECT_EQ(asNobody(QStringLiteral("! ls %1 2>/dev/null && ! cp /bin/true %2 2>/dev/null "
                                          "&& ! mv %1 %1.x 2>/dev/null")
                               .arg(quoted(made), quoted(setup))),
                  0);
    }

    menu::test::TempDir root;
    QString shared;
    QString own;
    QByteArray package;
    ScriptedHttpServer server;
    std::optional<ScopedEnv> tmpdir;
    std::optional<ScopedEnv> host;
};

// Each plant at a name the update used before: the update runs beside it, from a directory of
// its own, and neither follows, takes over nor starts what was planted.
TEST_F(SharedTempUpdate, WhatAnotherUserPlantsDoesNotReachTheUpdate)
{
    const QString zip = shared + QStringLiteral("/orvan_update.zip");
    const QString unpack = shared + QStringLiteral("/ORVAN-INSTAL");
    const struct {
        const char *name;
        QString plant; // run as nobody
        QString planted;
    } cases[] = {
        {"a link to the user's file", QStringLiteral("ln -s %1 %2").arg(quoted(own), quoted(zip)),
         zip},
        {"a file open to everyone",
         QStringLiteral("echo planted > %1 && chmod 666 %1").arg(quoted(zip)), zip},
        {"a folder open to everyone with an installer",
         QStringLiteral(
             "mkdir -m 777 %1 && printf '#!/bin/sh\\necho x > planted-ran\\n' > %1/setup.exe"
             " && chmod 777 %1/setup.exe")
             .arg(quoted(unpack)),
         unpack},
        {"a link to the user's folder",
         QStringLiteral("ln -s %1 %2").arg(quoted(QFileInfo(own).path()), quoted(unpack)), unpack},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString &leftover :
             QDir(shared).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            ASSERT_TRUE(QFile::remove(shared + u'/' + leftover) ||
                        QDir(shared + u'/' + leftover).removeRecursively());
        ASSERT_EQ(asNobody(c.plant), 0);
        const struct stat before = statOf(c.planted);

        const QString made = LauncherUpdate().run(menu::test::announcementOf(package));
        ASSERT_FALSE(made.isEmpty());
        expectClosedToOthers(made);
        const struct stat after = statOf(c.planted);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_size, before.st_size);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(root.read(QStringLiteral("home/.bashrc")), "the user's own file");
        EXPECT_EQ(QDir(QFileInfo(own).path())
                      .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{QStringLiteral(".bashrc")});
        EXPECT_FALSE(QFile::exists(unpack + QStringLiteral("/planted-ran")));
    }
}

// One user's update leaves its directory for the installer; another user's update that follows
// is not hindered by it, and neither reaches into the other's.
TEST_F(SharedTempUpdate, TwoUsersUpdateOneAfterTheOther)
{
    const QByteArray announcement = menu::test::announcementOf(package);
    const QString first = LauncherUpdate().run(announcement);
    ASSERT_FALSE(first.isEmpty());

    const QString program = QCoreApplication::applicationFilePath();
    ASSERT_EQ(
        asNobody(quoted(program) + QStringLiteral(" --gtest_filter=SecondUser.UpdatesTheLauncher"),
                 {QString::fromLatin1(kSecondUser) + u'=' + QString::fromUtf8(announcement)}),
        0);

    const QStringList made = packageDirs(shared);
    ASSERT_EQ(made.size(), 2) << made.join(u' ').toStdString();
    const QString second = made[0] == first ? made[1] : made[0];
    EXPECT_EQ(QFileInfo(second).ownerId(), 65534u);
    EXPECT_EQ(statOf(second).st_mode & 07777, 0700u);
    EXPECT_TRUE(QFile::exists(second + QStringLiteral("/ORVAN-INSTAL/setup-ran")));
    expectClosedToOthers(first);
}

// The second user's part of the test above, run by it as that user.
TEST(SecondUser, UpdatesTheLauncher)
{
    if (!qEnvironmentVariableIsSet(kSecondUser))
        GTEST_SKIP() << "run as another user by SharedTempUpdate.TwoUsersUpdateOneAfterTheOther";
    const QString made = LauncherUpdate().run(qgetenv(kSecondUser));
    ASSERT_FALSE(made.isEmpty());
    EXPECT_EQ(statOf(made).st_mode & 07777, 0700u);
}

} // namespace
