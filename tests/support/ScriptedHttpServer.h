// A real HTTP server on 127.0.0.1 (ephemeral port) that answers every connection as the test
// scripts it: pieces of bytes with pauses between them, then closing or holding the
// connection open. It reads the request header first and keeps the last one for inspection.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace menu::test {

class ScriptedHttpServer {
  public:
    struct Step {
        QByteArray bytes;
        std::chrono::milliseconds pauseAfter{0};
    };

    struct Script {
        std::vector<Step> steps;
        // After the last step: close the connection, or keep it open until the client goes.
        bool holdOpen = false;
        // Play the last step again and again, until the client goes: a body without end.
        bool repeatLast = false;
        // Answer as soon as the client connects, without reading its request (for a client
        // that speaks first in another protocol).
        bool answerAtOnce = false;
    };

    ScriptedHttpServer();
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer &) = delete;
    ScriptedHttpServer &operator=(const ScriptedHttpServer &) = delete;

    // The answer to every following connection.
    void answer(Script script);
    // The answer to following requests for path ("/ORVANWIN/orvan_akt.ini"), ahead of the one
    // above; an empty script forgets it.
    void answer(const QByteArray &path, Script script);
    // One script for each following connection in turn, ahead of the ones above; the last
    // answers every connection after it.
    void answerInTurn(std::vector<Script> scripts);

    unsigned short port() const { return port_; }
    // "127.0.0.1:<port>" + path: an address as the launcher writes it, without a scheme.
    QString address(const QString &path) const;

    QByteArray lastRequest() const;
    // Every request header so far, in order.
    QByteArrayList requests() const;
    // The path of every request so far, in order.
    QByteArrayList requestedPaths() const;
    int connections() const { return connections_; }

    // A whole response in one piece.
    static Script response(const QByteArray &statusLine, const QByteArray &headers,
                           const QByteArray &body);
    // The same bytes one at a time with a pause after each.
    static Script byteByByte(const QByteArray &bytes, std::chrono::milliseconds pause);

  private:
    // A socket as the system names it: SOCKET (an unsigned integer as wide as a pointer) on
    // Windows, a file descriptor elsewhere.
#ifdef _WIN32
    using Socket = std::uintptr_t;
#else
    using Socket = int;
#endif

    void serve();
    void play(Socket client, const Script &script);
    bool send(Socket client, const Step &step);

    Socket listener_;
    // A loopback datagram socket connected to itself: a datagram the destructor sends makes it
    // readable, which ends every wait of the server's thread.
    Socket wake_;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    Script script_;
    std::map<QByteArray, Script> byPath_;
    std::vector<Script> turns_;
    std::size_t nextTurn_ = 0;
    QByteArrayList requests_;
    QByteArrayList paths_;
    std::thread thread_;
};

// A port on 127.0.0.1 on which nothing listens: connecting is refused.
unsigned short refusingPort();

} // namespace menu::test
