// An HTTPS server on 127.0.0.1 (ephemeral port) with a self-signed certificate that the openssl
// tool makes for the test, answering every request with the same bytes. It runs its own event
// loop on a thread of its own, so that a test may block in a download meanwhile.
#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace menu::test {

class TlsTestServer {
  public:
    // Makes the certificate in dir for subjectAltName ("IP:127.0.0.1", "DNS:other.example")
    // and starts listening. ok() is false when the openssl tool or Qt's TLS is missing.
    TlsTestServer(const QString &dir, const QString &subjectAltName, QByteArray response);
    ~TlsTestServer();
    TlsTestServer(const TlsTestServer &) = delete;
    TlsTestServer &operator=(const TlsTestServer &) = delete;

    bool ok() const { return port_ != 0; }
    // Why the server is not there, when it is not.
    const QString &problem() const { return problem_; }
    // The certificate, which is its own authority (PEM).
    const QString &certificateFile() const { return certificate_; }
    // The answer to following requests for path ("/ORVANWIN/orvan_akt.ini"), ahead of the
    // response every other request gets.
    void answer(const QByteArray &path, const QByteArray &response);

    // "https://127.0.0.1:<port>" + path.
    QString address(const QString &path) const;

    // Connections whose TLS handshake began, and requests that were read and answered.
    int handshakes() const { return handshakes_; }
    int requests() const { return requests_; }

  private:
    void listen(const QByteArray &response);
    QByteArray responseTo(const QByteArray &request, const QByteArray &otherwise) const;

    QString certificate_;
    QString key_;
    QString problem_;
    unsigned short port_ = 0;
    std::atomic<int> handshakes_{0};
    std::atomic<int> requests_{0};
    mutable std::mutex mutex_;
    std::map<QByteArray, QByteArray> byPath_;
    QThread thread_;
    std::unique_ptr<QObject> context_; // lives on thread_; the server is its child
};

} // namespace menu::test
