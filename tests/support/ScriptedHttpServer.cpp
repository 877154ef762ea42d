#include "support/ScriptedHttpServer.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <type_traits>
#include <utility>

// The few socket calls in which Winsock and POSIX differ; everything below uses only these.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace menu::test {

namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket noSocket = INVALID_SOCKET;

// Winsock, started once for the whole test program and left running until it ends.
void startWinsock()
{
    static const int started = [] {
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
            throw std::runtime_error("WSAStartup");
        return 0;
    }();
    static_cast<void>(started);
}

// Not inherited by the programs that tests start, like SOCK_CLOEXEC.
Socket openSocket(int type)
{
    startWinsock();
    return ::WSASocketW(AF_INET, type, 0, nullptr, 0,
                        WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
}

void closeSocket(Socket socket)
{
    ::closesocket(socket);
}

int pollSockets(pollfd *fds, ULONG count, int timeout)
{
    return ::WSAPoll(fds, count, timeout);
}

// Non-blocking, so that a send never waits for a client that stopped reading.
Socket acceptClient(Socket listener)
{
    const Socket client = ::accept(listener, nullptr, nullptr);
    u_long nonBlocking = 1;
    if (client != INVALID_SOCKET && ::ioctlsocket(client, FIONBIO, &nonBlocking) != 0) {
        ::closesocket(client);
        return INVALID_SOCKET;
    }
    return client;
}

// Bytes sent; 0 when the socket has no room now; -1 when the peer has gone.
qsizetype sendNow(Socket socket, const char *data, qsizetype size)
{
    const int sent = ::send(socket, data, static_cast<int>(std::min<qsizetype>(size, INT_MAX)), 0);
    if (sent == SOCKET_ERROR)
        return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    return sent;
}

qsizetype receive(Socket socket, char *buffer, int size)
{
    return ::recv(socket, buffer, size, 0);
}
#else
using Socket = int;
constexpr Socket noSocket = -1;

Socket openSocket(int type)
{
    return ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
}

void closeSocket(Socket socket)
{
    ::close(socket);
}

int pollSockets(pollfd *fds, nfds_t count, int timeout)
{
    return ::poll(fds, count, timeout);
}

Socket acceptClient(Socket listener)
{
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

// Bytes sent; 0 when the socket has no room now; -1 when the peer has gone.
qsizetype sendNow(Socket socket, const char *data, qsizetype size)
{
    const ssize_t sent =
        ::send(socket, data, static_cast<size_t>(size), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    return sent;
}

qsizetype receive(Socket socket, char *buffer, int size)
{
    return ::recv(socket, buffer, static_cast<size_t>(size), 0);
}
#endif

// Closes a socket when the scope ends.
struct OwnedSocket {
    Socket socket = noSocket;
    explicit OwnedSocket(Socket value) : socket(value) {}
    ~OwnedSocket()
    {
        if (socket != noSocket)
            closeSocket(socket);
    }
    OwnedSocket(OwnedSocket &&other) noexcept : socket(other.release()) {}
    OwnedSocket(const OwnedSocket &) = delete;
    OwnedSocket &operator=(const OwnedSocket &) = delete;
    Socket release() { return std::exchange(socket, noSocket); }
};

// A socket of type bound to 127.0.0.1 on a port the system picks; address receives it.
OwnedSocket boundSocket(int type, sockaddr_in &address)
{
    OwnedSocket owned(openSocket(type));
    if (owned.socket == noSocket)
        throw std::runtime_error("socket");
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(owned.socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(owned.socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("bind");
    return owned;
}

// Waits until socket is ready for events, or the wake socket is readable: true for the former.
bool readyUnlessWoken(Socket socket, short events, Socket wake)
{
    pollfd fds[2] = {{socket, events, 0}, {wake, POLLIN, 0}};
    return pollSockets(fds, 2, -1) > 0 && (fds[1].revents & POLLIN) == 0;
}

} // namespace

ScriptedHttpServer::ScriptedHttpServer()
{
    static_assert(std::is_same_v<menu::test::Socket, ScriptedHttpServer::Socket>);
    sockaddr_in address{};
    OwnedSocket listener = boundSocket(SOCK_STREAM, address);
    port_ = ntohs(address.sin_port);
    if (::listen(listener.socket, 16) != 0)
        throw std::runtime_error("listen");
    OwnedSocket wake = boundSocket(SOCK_DGRAM, address);
    if (::connect(wake.socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        throw std::runtime_error("connect");
    listener_ = listener.release();
    wake_ = wake.release();
    thread_ = std::thread([this] { serve(); });
}

ScriptedHttpServer::~ScriptedHttpServer()
{
    stopping_ = true;
    const char byte = 0;
    sendNow(wake_, &byte, 1);
    thread_.join();
    closeSocket(listener_);
    closeSocket(wake_);
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

void ScriptedHttpServer::answerInTurn(std::vector<Script> scripts)
{
    const std::lock_guard lock(mutex_);
    turns_ = std::move(scripts);
    nextTurn_ = 0;
}

QByteArrayList ScriptedHttpServer::requests() const
{
    const std::lock_guard lock(mutex_);
    return requests_;
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
    return requests_.isEmpty() ? QByteArray() : requests_.constLast();
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
        if (!readyUnlessWoken(listener_, POLLIN, wake_))
            continue;
        const OwnedSocket client(acceptClient(listener_));
        if (client.socket == noSocket)
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
            if (!readyUnlessWoken(client.socket, POLLIN, wake_))
                break;
            char buffer[4096];
            const qsizetype got = receive(client.socket, buffer, sizeof buffer);
            if (got <= 0)
                break;
            request.append(buffer, got);
        }
        Script script;
        {
            // "GET /path HTTP/1.0"
            const QByteArray path = request.left(request.indexOf("\r\n")).split(' ').value(1);
            const std::lock_guard lock(mutex_);
            requests_.append(request);
            paths_.append(path);
            const auto scripted = byPath_.find(path);
            if (!turns_.empty())
                script = turns_.at(std::min(nextTurn_++, turns_.size() - 1));
            else
                script = scripted != byPath_.end() ? scripted->second : script_;
        }
        play(client.socket, script);
    }
}

// Sends one step whole, then pauses; false once the client has gone or the server stops.
bool ScriptedHttpServer::send(Socket client, const Step &step)
{
    qsizetype done = 0;
    while (done < step.bytes.size()) {
        // A client that stops reading must not hold the server: it waits for room or the end.
        if (stopping_ || !readyUnlessWoken(client, POLLOUT, wake_))
            return false;
        const qsizetype sent =
            sendNow(client, step.bytes.constData() + done, step.bytes.size() - done);
        if (sent < 0)
            return false;
        done += sent;
    }
    if (step.pauseAfter.count() > 0) {
        pollfd wake{wake_, POLLIN, 0};
        pollSockets(&wake, 1, static_cast<int>(step.pauseAfter.count()));
    }
    return !stopping_;
}

void ScriptedHttpServer::play(Socket client, const Script &script)
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
        if (!readyUnlessWoken(client, POLLIN, wake_))
            return;
        char buffer[256];
        if (receive(client, buffer, sizeof buffer) <= 0)
            return;
    }
}

unsigned short refusingPort()
{
    sockaddr_in address{};
    const OwnedSocket socket = boundSocket(SOCK_STREAM, address);
    // Bound for a moment only to find a free port; nothing listens on it afterwards.
    return ntohs(address.sin_port);
}

} // namespace menu::test
