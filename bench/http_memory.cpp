// Memory of a large download. An in-process server generates the body on the fly; the peak
// resident size of the process is compared before and after a progress download of it, as a
// ratio to the body size. The reference is the same body held in memory whole (about 1.0);
// the download streams to disk, so its ratio should stay near 0.
//
// Usage: bench_http_memory [megabytes]   (default 200)
#include "core/HttpDown.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr qint64 kChunk = 64 * 1024;

struct Fd {
    int fd;
    explicit Fd(int value) : fd(value) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
};

// Peak resident set of this process so far, in bytes.
qint64 peakRss()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<qint64>(usage.ru_maxrss) * 1024;
}

// Serves `connections` requests, each answered with a body of `size` bytes made on the fly.
class BodyServer {
  public:
    BodyServer(qint64 size, int connections)
        : size_(size), listener_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_.fd < 0 ||
            ::bind(listener_.fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::getsockname(listener_.fd, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
            ::listen(listener_.fd, 4) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, connections] {
            for (int i = 0; i < connections; ++i)
                serveOne();
        });
    }
    ~BodyServer() { thread_.join(); }

    QString address() const { return QStringLiteral("127.0.0.1:%1/big.bin").arg(port_); }

  private:
    void serveOne()
    {
        const Fd client(::accept(listener_.fd, nullptr, nullptr));
        if (client.fd < 0)
            return;
        QByteArray request;
        char buffer[4096];
        while (!request.contains("\r\n\r\n")) {
            const ssize_t got = ::recv(client.fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return;
            request.append(buffer, got);
        }
        const QByteArray header =
            "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(size_) + "\r\n\r\n";
        if (!sendAll(client.fd, header))
            return;
        QByteArray chunk(kChunk, '\0');
        for (qint64 i = 0; i < kChunk; ++i)
            chunk[i] = static_cast<char>('a' + i % 26);
        for (qint64 sent = 0; sent < size_; sent += kChunk) {
            if (!sendAll(client.fd, chunk.left(std::min(kChunk, size_ - sent))))
                return;
        }
    }

    static bool sendAll(int fd, const QByteArray &bytes)
    {
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t sent = ::send(fd, bytes.constData() + done,
                                        static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            done += sent;
        }
        return true;
    }

    qint64 size_;
    Fd listener_;
    unsigned short port_ = 0;
    std::thread thread_;
};

class CountingMonitor final : public menu::core::IHttpDownProgress {
  public:
    void HttpDownProgressNotification(const QString &, std::int32_t CurrentProgress,
                                      std::int32_t) override
    {
        last = CurrentProgress;
        ++calls;
    }
    std::int32_t last = 0;
    long calls = 0;
};

// The reference: the whole body read from the connection into memory.
qint64 readWhole(const QString &address)
{
    const int colon = address.indexOf(QLatin1Char(':'));
    const int slash = address.indexOf(QLatin1Char('/'));
    const Fd fd(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    server.sin_port =
        htons(static_cast<unsigned short>(address.mid(colon + 1, slash - colon - 1).toUInt()));
    if (::connect(fd.fd, reinterpret_cast<sockaddr *>(&server), sizeof server) != 0)
        throw std::runtime_error("cannot connect");
    const QByteArray request = "GET /big.bin HTTP/1.0\r\n\r\n";
    if (::send(fd.fd, request.constData(), static_cast<size_t>(request.size()), 0) < 0)
        throw std::runtime_error("cannot send");
    QByteArray whole;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::recv(fd.fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        whole.append(buffer, got);
    }
    return whole.size();
}

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 200;
    const qint64 size = megabytes * 1024 * 1024;
    QTemporaryDir dir;
    if (!dir.isValid() || size <= 0) {
        std::fprintf(stderr, "usage: bench_http_memory [megabytes]\n");
        return 2;
    }
    const QString target = dir.filePath(QStringLiteral("big.bin"));

    BodyServer server(size, 2);
    // A first small piece of work loads libcurl and Qt's file code, so that their own memory
    // is not counted against the download.
    menu::core::THttpDown down;
    CountingMonitor monitor;
    QString text;
    QString hint;
    down.fHttpDownProgress2(QStringLiteral("127.0.0.1:1/"), target, monitor, text, hint);

    const qint64 before = peakRss();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = down.fHttpDownProgress2(server.address(), target, monitor, text, hint);
    const auto took = std::chrono::steady_clock::now() - start;
    const qint64 afterDownload = peakRss();
    if (!ok || QFile(target).size() != size) {
        std::fprintf(stderr, "download failed: %s\n%s\n", qPrintable(text), qPrintable(hint));
        return 1;
    }

    const auto referenceStart = std::chrono::steady_clock::now();
    const qint64 held = readWhole(server.address());
    const auto referenceTook = std::chrono::steady_clock::now() - referenceStart;
    const qint64 afterReference = peakRss();

    const double downloadRatio = double(afterDownload - before) / double(size);
    const double referenceRatio = double(afterReference - afterDownload) / double(size);
    std::printf("body                          %lld bytes, %ld notifications\n",
                static_cast<long long>(size), monitor.calls);
    std::printf("peak memory growth, download  %.4f x body\n", downloadRatio);
    std::printf("peak memory growth, in memory %.4f x body (reference, %lld bytes held)\n",
                referenceRatio, static_cast<long long>(held));
    std::printf("time, download / in memory    %.2f (%.2f s / %.2f s)\n",
                seconds(took) / seconds(referenceTook), seconds(took), seconds(referenceTook));
    return downloadRatio < 0.1 ? 0 : 1;
}
