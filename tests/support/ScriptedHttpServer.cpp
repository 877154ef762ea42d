#include "support/ScriptedHttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace menu::test {

namespace {

// Closes a descriptor when the scope ends.
struct Fd {
    int fd = -1;
    explicit Fd(int value) : fd(value) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
};

int boundSocket(sockaddr_in &address)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("bind");
    }
    return fd;
}

} // namespace

ScriptedHttpServer::ScriptedHttpServer()
{
    sockaddr_in address{};
    listener_ = boundSocket(address);
    port_ = ntohs(address.sin_port);
    int pipeFds[2];
    if (::listen(listener_, 16) != 0 || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        ::close(listener_);
        throw std::runtime_error("listen");
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    thread_ = std::thread([this] { serve(); });
}

ScriptedHttpServer::~ScriptedHttpServer()
{
    stopping_ = true;
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(wakeWrite_, &byte, 1);
    thread_.join();
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void ScriptedHttpServer::answer(Script script)
{
    const std::lock_guard lock(mutex_);
    script_ = std::move(script);
}

void ScriptedHttpServer::answer(const QByteArray &path, Script script)
{
    const std::lock_guard lock(mutex_);
    if (script.steps.empty() && !script.holdOpen)
        byPath_.erase(path);
    else
        byPath_[path] = std::move(script);
}

QByteArrayList ScriptedHttpServer::requestedPaths() const
{
    const std::lock_guard lock(mutex_);
    return paths_;
}

QString ScriptedHttpServer::address(const QString &path) const
{
    return QStringLiteral("127.0.0.1:%1").arg(port_) + path;
}

QByteArray ScriptedHttpServer::lastRequest() const
{
    const std::lock_guard lock(mutex_);
    return lastRequest_;
}

ScriptedHttpServer::Script ScriptedHttpServer::response(const QByteArray &statusLine,
                                                        const QByteArray &headers,
                                                        const QByteArray &body)
{
    return Script{{{statusLine + "\r\n" + headers + "\r\n" + body, {}}}, false};
}

ScriptedHttpServer::Script ScriptedHttpServer::byteByByte(const QByteArray &bytes,
                                                          std::chrono::milliseconds pause)
{
    Script script;
    for (const char c : bytes)
        script.steps.push_back({QByteArray(1, c), pause});
    return script;
}

void ScriptedHttpServer::serve()
{
    while (!stopping_) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN) != 0)
            continue;
        const Fd client(::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC));
        if (client.fd < 0)
            continue;
        ++connections_;
        bool atOnce = false;
        {
            const std::lock_guard lock(mutex_);
            atOnce = script_.answerAtOnce;
        }
        // The request header, up to its empty line.
        QByteArray request;
        while (!atOnce && !stopping_ && !request.contains("\r\n\r\n")) {
            pollfd in[2] = {{client.fd, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
            if (::poll(in, 2, -1) <= 0 || (in[1].revents & POLLIN) != 0)
                break;
            char buffer[4096];
            const ssize_t got = ::recv(client.fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, got);
        }
        Script script;
        {
            // "GET /path HTTP/1.0"
            const QByteArray path = request.left(request.indexOf("\r\n")).split(' ').value(1);
            const std::lock_guard lock(mutex_);
            lastRequest_ = request;
            paths_.append(path);
            const auto scripted = byPath_.find(path);
            script = scripted != byPath_.end() ? scripted->second : script_;
        }
        play(client.fd, script);
    }
}

// Sends one step whole, then pauses; false once the client has gone or the server stops.
bool ScriptedHttpServer::send(int client, const Step &step)
{
    qsizetype done = 0;
    while (done < step.bytes.size()) {
        // A client that stops reading must not hold the server: it waits for room or the end.
        pollfd fds[2] = {{client, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
        if (stopping_ || ::poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN) != 0)
            return false;
        const ssize_t sent =
            ::send(client, step.bytes.constData() + done,
                   static_cast<size_t>(step.bytes.size() - done), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        done += std::max<ssize_t>(sent, 0);
    }
    if (step.pauseAfter.count() > 0) {
        pollfd wake{wakeRead_, POLLIN, 0};
        ::poll(&wake, 1, static_cast<int>(step.pauseAfter.count()));
    }
    return !stopping_;
}

void ScriptedHttpServer::play(int client, const Script &script)
{
    for (const Step &step : script.steps) {
        if (!send(client, step))
            return;
    }
    while (script.repeatLast && !script.steps.empty()) {
        if (!send(client, script.steps.back()))
            return;
    }
    if (!script.holdOpen)
        return;
    // Hold until the client gives up (its read ends) or the server stops.
    while (!stopping_) {
        pollfd fds[2] = {{client, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN) != 0)
            return;
        char buffer[256];
        if (::recv(client, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}

unsigned short refusingPort()
{
    sockaddr_in address{};
    const Fd fd(boundSocket(address));
    // Bound for a moment only to find a free port; nothing listens on it afterwards.
    return ntohs(address.sin_port);
}

} // namespace menu::test
