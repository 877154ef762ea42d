#include "platform/posix/PosixSingleInstance.h"

#include "platform/posix/SharedParent.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace menu::platform {

namespace {
constexpr int kAnswerMs = 2000;
// How long a launcher that holds the claim may take to start answering.
constexpr int kStartingMs = 5000;
constexpr int kRetryMs = 50;
const QByteArray kRaise = QByteArrayLiteral("raise\n");
const QByteArray kRaised = QByteArrayLiteral("raised\n");

// A directory, not a link, owned by this user and closed to everyone else.
bool isPrivateDir(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

QString homeDir()
{
    const QString home = qEnvironmentVariable("HOME");
    if (home.startsWith(u'/'))
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd *found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir)
        return {};
    return QFile::decodeName(found->pw_dir);
}

// dir made as this user's own: created with mode 0700, or narrowed to it when it is already
// this user's; false when it belongs to someone else or is no directory.
bool makePrivateDir(const QString &dir)
{
    const QByteArray path = QFile::encodeName(dir);
    for (qsizetype slash = dir.indexOf(u'/', 1); slash > 0; slash = dir.indexOf(u'/', slash + 1))
        ::mkdir(QFile::encodeName(dir.left(slash)).constData(), 0700);
    struct stat parent {};
    const QString parentDir = dir.left(dir.lastIndexOf(u'/'));
    if (::stat(QFile::encodeName(parentDir.isEmpty() ? QStringLiteral("/") : parentDir).constData(),
               &parent) != 0 ||
        !othersCannotSwapEntries(parent))
        return false;
    ::mkdir(path.constData(), 0700);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid())
        return false;
    if ((info.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return false;
    return isPrivateDir(path);
}
} // namespace

QString privateRuntimeDir()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(u'/') && isPrivateDir(QFile::encodeName(runtime)))
        return runtime;
    const QString dir = privateCacheDir();
    return !dir.isEmpty() && makePrivateDir(dir) ? dir : QString();
}

QString privateCacheDir()
{
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!cache.startsWith(u'/')) {
        const QString home = homeDir();
        if (home.isEmpty())
            return {};
        cache = home + QStringLiteral("/.cache");
    }
    return cache + QStringLiteral("/orvan-menu");
}

PosixSingleInstance::PosixSingleInstance(const QString &name)
{
    const QString dir = privateRuntimeDir();
    if (dir.isEmpty()) {
        // Neither the runtime directory nor the cache's folder is this user's alone.
        failure_ = Failure::of(std::errc::permission_denied, privateCacheDir());
        return;
    }
    socketPath_ = dir + u'/' + name + QStringLiteral(".socket");
    lockPath_ = dir + u'/' + name + QStringLiteral(".lock");
}

PosixSingleInstance::~PosixSingleInstance()
{
    if (server_)
        server_->close();
    lock_.reset(); // releases the lock
}

bool PosixSingleInstance::heldElsewhere() const
{
    if (lock_.valid() || lockPath_.isEmpty())
        return false;
    UniqueFd fd(::open(QFile::encodeName(lockPath_).constData(), O_RDONLY | O_CLOEXEC));
    return fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

bool PosixSingleInstance::raiseRunning()
{
    if (socketPath_.isEmpty())
        return false;
    // The holder may still be starting: its socket answers a moment after the claim.
    const QDeadlineTimer starting(kStartingMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(kAnswerMs))
            break;
        if (starting.hasExpired() || !heldElsewhere())
            return false;
        QThread::msleep(kRetryMs);
    }
    socket.write(kRaise);
    socket.waitForBytesWritten(kAnswerMs);
    // The running launcher answers once its window is forward; a silent one still counts as
    // running, so this start must not open a second window either way.
    socket.waitForReadyRead(kAnswerMs);
    return true;
}

SingleInstance::Claim PosixSingleInstance::claim()
{
    if (lock_.valid())
        return Claim::Claimed;
    if (lockPath_.isEmpty())
        return Claim::Unavailable;
    const QByteArray path = QFile::encodeName(lockPath_);
    UniqueFd fd(::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid()) {
        failure_ = Failure::errnoValue(errno, lockPath_);
        return Claim::Unavailable;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return Claim::Held;
        failure_ = Failure::errnoValue(errno, lockPath_);
        return Claim::Unavailable;
    }
    lock_ = std::move(fd);
    return Claim::Claimed;
}

void PosixSingleInstance::listen(std::function<void()> onRaise)
{
    if (socketPath_.isEmpty())
        return;
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, any socket file left here is from a launcher that did not end cleanly.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_))
        return;
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                     [server = server_.get(), onRaise = std::move(onRaise)] {
                         while (QLocalSocket *client = server->nextPendingConnection()) {
                             QObject::connect(client, &QLocalSocket::disconnected, client,
                                              &QObject::deleteLater);
                             QObject::connect(
                                 client, &QLocalSocket::readyRead, client, [client, onRaise] {
                                     if (!client->canReadLine() || client->readLine() != kRaise)
                                         return;
                                     onRaise();
                                     client->write(kRaised);
                                     client->flush();
                                 });
                         }
                     });
}

} // namespace menu::platform
