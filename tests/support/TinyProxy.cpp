#include "support/TinyProxy.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

namespace menu::test {

namespace {

// A port nobody listens on now (the system's choice); tinyproxy takes it right after.
unsigned short freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool answers(unsigned short port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(1000);
}

} // namespace

TinyProxy::TinyProxy(const Options &options) : options_(options)
{
    const unsigned short port = freePort();
    QByteArray config = "Port " + QByteArray::number(port) +
                        "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nAllow 127.0.0.1\n"
                        "LogLevel Connect\nLogFile \"" +
                        dir_.file(QStringLiteral("tinyproxy.log")).toUtf8() + "\"\n";
    if (!options.user.isEmpty())
        config += "BasicAuth " + options.user.toUtf8() + ' ' + options.password.toUtf8() + '\n';
    for (const int allowed : options.connectPorts)
        config += "ConnectPort " + QByteArray::number(allowed) + '\n';
    const QString file = dir_.write(QStringLiteral("tinyproxy.conf"), config);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"), file});
    if (!process_.waitForStarted(10000)) {
        problem_ =
            QStringLiteral("tinyproxy does not start (scripts/install-deps.sh installs it): ") +
            process_.errorString();
        return;
    }
    // Ready once it accepts a connection; bounded, in case it ends on a fault of its own.
    const QDeadlineTimer deadline(10000);
    while (!answers(port)) {
        if (deadline.hasExpired() || process_.state() != QProcess::Running) {
            problem_ = QStringLiteral("tinyproxy does not listen on port %1").arg(port);
            return;
        }
        process_.waitForFinished(50); // a wait that ends at once when it stops
    }
    port_ = port;
}

TinyProxy::~TinyProxy()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }
}

QString TinyProxy::address(bool withCredentials) const
{
    const QString credentials =
        withCredentials ? options_.user + u':' + options_.password + u'@' : QString();
    return QStringLiteral("http://") + credentials + QStringLiteral("127.0.0.1:") +
           QString::number(port_);
}

QStringList TinyProxy::requests() const
{
    static const QRegularExpression request(
        QStringLiteral("Request \\(file descriptor \\d+\\): (.*)$"));
    QStringList found;
    const QString log = QString::fromUtf8(dir_.read(QStringLiteral("tinyproxy.log")));
    for (const QString &line : log.split(u'\n')) {
        const auto match = request.match(line);
        if (match.hasMatch())
            found << match.captured(1).trimmed();
    }
    return found;
}

} // namespace menu::test
