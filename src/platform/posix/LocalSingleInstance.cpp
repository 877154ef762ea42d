#include "platform/posix/LocalSingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace menu::platform {

namespace {
constexpr int kAnswerMs = 2000;
const QByteArray kRaise = QByteArrayLiteral("raise\n");
const QByteArray kRaised = QByteArrayLiteral("raised\n");

QString runtimeDir()
{
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(xdg).isDir())
        return xdg;
    return QDir::tempPath();
}
} // namespace

LocalSingleInstance::LocalSingleInstance(const QString &name)
{
    const QString base = runtimeDir() + QLatin1Char('/') + name + QLatin1Char('-') +
                         QString::number(::getuid());
    socketPath_ = base + QStringLiteral(".socket");
    lockPath_ = base + QStringLiteral(".lock");
}

LocalSingleInstance::~LocalSingleInstance()
{
    if (server_)
        server_->close();
    lock_.reset(); // releases the lock
}

bool LocalSingleInstance::raiseRunning()
{
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kAnswerMs))
        return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(kAnswerMs);
    // The running launcher answers once its window is forward; a silent one still counts as
    // running, so this start must not open a second window either way.
    socket.waitForReadyRead(kAnswerMs);
    return true;
}

bool LocalSingleInstance::claim()
{
    if (lock_.valid())
        return true;
    const QByteArray path = QFile::encodeName(lockPath_);
    UniqueFd fd(::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.valid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    lock_ = std::move(fd);
    return true;
}

void LocalSingleInstance::listen(std::function<void()> onRaise)
{
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
                             QObject::connect(client, &QLocalSocket::readyRead, client,
                                              [client, onRaise] {
                                                  if (!client->canReadLine() ||
                                                      client->readLine() != kRaise)
                                                      return;
                                                  onRaise();
                                                  client->write(kRaised);
                                                  client->flush();
                                              });
                         }
                     });
}

} // namespace menu::platform
