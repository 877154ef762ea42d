// A real HTTP proxy for the tests: tinyproxy on 127.0.0.1 (a free port), with its own
// configuration and log in a directory of its own, stopped with the object.
#pragma once

#include "support/TempDir.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace menu::test {

class TinyProxy {
  public:
    struct Options {
        // Basic authentication: only requests with this name and password pass.
        QString user;
        QString password;
        // The only ports a tunnel (CONNECT) may lead to; empty: any.
        QList<int> connectPorts;
    };

    explicit TinyProxy(const Options &options);
    TinyProxy() : TinyProxy(Options{}) {}
    ~TinyProxy();
    TinyProxy(const TinyProxy &) = delete;
    TinyProxy &operator=(const TinyProxy &) = delete;

    // Whether it listens; problem() says why not.
    bool ok() const { return port_ != 0; }
    const QString &problem() const { return problem_; }
    unsigned short port() const { return port_; }
    // "http://127.0.0.1:<port>", with the credentials of Options when withCredentials.
    QString address(bool withCredentials = false) const;
    // The requests the proxy read, as its log shows them ("GET http://... HTTP/1.1",
    // "CONNECT 127.0.0.1:443 HTTP/1.1").
    QStringList requests() const;

  private:
    Options options_;
    TempDir dir_;
    QProcess process_;
    unsigned short port_ = 0;
    QString problem_;
};

} // namespace menu::test
