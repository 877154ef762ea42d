// A large download from a local server. An in-process server generates the body on the fly;
// the launcher's progress download fetches it, then the curl command-line tool fetches the
// same body from the same server. Prints the throughput as a ratio to curl's, the peak
// resident size of both, and how far the download raised this program's peak above its idle
// size (the body streams to disk, so that stays small whatever the body's size).
//
// The same body is also fetched as an announced file, checked against its length and SHA-256
// while it streams, and that throughput is printed as a ratio to the unchecked one.
//
// Usage: bench_http_memory [megabytes]   (default 512)
#include "core/Download.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <netinet/in.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr qint64 kChunk = 64 * 1024;

// The server's body is this chunk again and again, cut at its size.
QByteArray bodyChunk()
{
    QByteArray chunk(kChunk, '\0');
    for (qint64 i = 0; i < kChunk; ++i)
        chunk[i] = static_cast<char>('a' + i % 26);
    return chunk;
}

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
        const QByteArray chunk = bodyChunk();
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

QString bodySha256(qint64 size)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QByteArray chunk = bodyChunk();
    for (qint64 done = 0; done < size; done += kChunk)
        hash.addData(chunk.left(std::min(kChunk, size - done)));
    return QString::fromLatin1(hash.result().toHex());
}

struct CountingMonitor {
    void operator()(const menu::core::DownloadProgress &progress)
    {
        last = progress.received;
        ++calls;
    }
    std::int32_t last = 0;
    long calls = 0;
};

// The reference: the curl command-line tool fetching the same body from the same server into
// a file. Gives its time and its own peak resident size, or nothing when it could not run.
struct CurlRun {
    bool ok = false;
    std::chrono::steady_clock::duration took{};
    qint64 peak = 0;
};

// VmHWM of a running process, in bytes; 0 when it cannot be read.
qint64 highWaterMark(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

CurlRun runCurl(const QString &address, const QString &target)
{
    const QByteArray url = "http://" + address.toUtf8();
    const QByteArray file = QFile::encodeName(target);
    const char *argv[] = {"curl", "--silent", "--show-error",   "--http1.0",     "--noproxy",
                          "*",    "--output", file.constData(), url.constData(), nullptr};
    CurlRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (::posix_spawnp(&child, "curl", nullptr, nullptr, const_cast<char *const *>(argv),
                       environ) != 0)
        return run;
    // The child's own peak: what the kernel reports at its end would include this process's,
    // carried over by the spawn, so its high-water mark is read while it runs.
    int status = 0;
    for (;;) {
        const qint64 high = highWaterMark(child);
        if (high > 0)
            run.peak = high;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        if (done < 0)
            return run;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.took = std::chrono::steady_clock::now() - start;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 512;
    const qint64 size = megabytes * 1024 * 1024;
    QTemporaryDir dir;
    if (!dir.isValid() || size <= 0 || size > std::numeric_limits<std::int32_t>::max()) {
        std::fprintf(stderr, "usage: bench_http_memory [megabytes below 2048]\n");
        return 2;
    }
    const QString target = dir.filePath(QStringLiteral("big.bin"));
    const QString curlTarget = dir.filePath(QStringLiteral("curl.bin"));

    BodyServer server(size, 3);
    // A first small piece of work loads libcurl and Qt's file code, so that their own memory
    // is counted as the idle program's, not against the download.
    CountingMonitor monitor;
    menu::core::DownloadOptions options;
    options.progress = [&monitor](const menu::core::DownloadProgress &progress) {
        monitor(progress);
    };
    options.maxBytes = size; // above the cap of real downloads when asked for

    (void)menu::core::download(QStringLiteral("127.0.0.1:1/"), target, options);

    const qint64 idle = peakRss();
    const auto start = std::chrono::steady_clock::now();
    const menu::core::DownloadResult result =
        menu::core::download(server.address(), target, options);
    const auto took = std::chrono::steady_clock::now() - start;
    const qint64 peak = peakRss();
    if (!result.ok || QFile(target).size() != size) {
        std::fprintf(stderr, "download failed: %s\n%s\n", qPrintable(result.text),
                     qPrintable(result.hint));
        return 1;
    }
    QFile::remove(target);

    menu::core::DownloadOptions checked = options;
    checked.expectedLength = size;
    checked.expectedSha256 = bodySha256(size);
    const auto checkedStart = std::chrono::steady_clock::now();
    const menu::core::DownloadResult checkedResult =
        menu::core::download(server.address(), target, checked);
    const auto checkedTook = std::chrono::steady_clock::now() - checkedStart;
    if (!checkedResult.ok) {
        std::fprintf(stderr, "checked download failed: %s\n", qPrintable(checkedResult.text));
        return 1;
    }
    QFile::remove(target);

    const CurlRun curl = runCurl(server.address(), curlTarget);
    if (!curl.ok || QFile(curlTarget).size() != size) {
        std::fprintf(stderr, "the curl tool could not fetch the body\n");
        return 1;
    }

    const double mb = double(size) / (1024.0 * 1024.0);
    const double ours = mb / seconds(took);
    const double theirs = mb / seconds(curl.took);
    const double growth = double(peak - idle) / (1024.0 * 1024.0);
    std::printf("body                          %lld bytes, %ld notifications\n",
                static_cast<long long>(size), monitor.calls);
    std::printf("throughput, download / curl   %.2f (%.0f MB/s / %.0f MB/s)\n", ours / theirs, ours,
                theirs);
    std::printf("throughput, checked / plain   %.2f (%.0f MB/s)\n",
                seconds(took) / seconds(checkedTook), mb / seconds(checkedTook));
    std::printf("peak memory, download         %.1f MB (%.1f MB above the idle program)\n",
                double(peak) / (1024.0 * 1024.0), growth);
    std::printf("peak memory, curl tool        %.1f MB\n", double(curl.peak) / (1024.0 * 1024.0));
    // The aim: memory stays within 16 MB of the idle program, whatever the body's size.
    return growth <= 16.0 ? 0 : 1;
}
