#include "support/TlsTestServer.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>

namespace menu::test {

namespace {

// A self-signed certificate and its key, or what went wrong.
QString makeCertificate(const QString &certificate, const QString &key,
                        const QString &subjectAltName)
{
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=menu test server"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=") + subjectAltName, QStringLiteral("-keyout"),
                   key, QStringLiteral("-out"), certificate});
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0)
        return QStringLiteral("the openssl tool made no certificate: ") +
               QString::fromLocal8Bit(openssl.readAll()) + openssl.errorString();
    return {};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TlsTestServer::TlsTestServer(const QString &dir, const QString &subjectAltName, QByteArray response)
    : certificate_(dir + QStringLiteral("/server.crt")), key_(dir + QStringLiteral("/server.key"))
{
    if (!QSslSocket::supportsSsl()) {
        problem_ = QStringLiteral("Qt has no TLS backend");
        return;
    }
    problem_ = makeCertificate(certificate_, key_, subjectAltName);
    if (!problem_.isEmpty())
        return;
    context_ = std::make_unique<QObject>();
    context_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(
        context_.get(), [this, response] { listen(response); }, Qt::BlockingQueuedConnection);
}

TlsTestServer::~TlsTestServer()
{
    if (!thread_.isRunning())
        return;
    // The server and its sockets go on their own thread, before it ends.
    QMetaObject::invokeMethod(
        context_.get(), [this] { qDeleteAll(context_->children()); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

QString TlsTestServer::address(const QString &path) const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(port_) + path;
}

void TlsTestServer::answer(const QByteArray &path, const QByteArray &response)
{
    const std::lock_guard lock(mutex_);
    byPath_[path] = response;
}

QByteArray TlsTestServer::responseTo(const QByteArray &request, const QByteArray &otherwise) const
{
    // "GET <path> HTTP/1.0"
    const QByteArray path = request.left(request.indexOf("\r\n")).split(' ').value(1);
    const std::lock_guard lock(mutex_);
    const auto found = byPath_.find(path);
    return found != byPath_.end() ? found->second : otherwise;
}

// On the server's thread.
void TlsTestServer::listen(const QByteArray &response)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(readAll(certificate_)));
    tls.setPrivateKey(QSslKey(readAll(key_), QSsl::Ec));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    auto *server = new QSslServer(context_.get());
    server->setSslConfiguration(tls);
    QObject::connect(server, &QSslServer::startedEncryptionHandshake, server,
                     [this](QSslSocket *) { ++handshakes_; });
    QObject::connect(
        server, &QTcpServer::pendingConnectionAvailable, server, [this, server, response] {
            while (QTcpSocket *socket = server->nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, response] {
                    if (socket->property("answered").toBool())
                        return;
                    QByteArray request =
                        socket->property("request").toByteArray() + socket->readAll();
                    socket->setProperty("request", request);
                    if (!request.contains("\r\n\r\n"))
                        return;
                    socket->setProperty("answered", true);
                    ++requests_;
                    socket->write(responseTo(request, response));
                    socket->disconnectFromHost();
                });
            }
        });
    if (!server->listen(QHostAddress::LocalHost, 0)) {
        problem_ = QStringLiteral("cannot listen: ") + server->errorString();
        return;
    }
    port_ = server->serverPort();
}

} // namespace menu::test
