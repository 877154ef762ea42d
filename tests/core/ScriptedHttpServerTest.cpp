// The scripted HTTP server's own sockets, on POSIX and on Winsock alike: a client gets the
// script, the request is seen, and the server ends at once whatever its thread waits for.
#include "support/ScriptedHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

using menu::test::ScriptedHttpServer;
using namespace std::chrono_literals;

namespace {

const QByteArray kHead = "HTTP/1.0 200 OK\r\n\r\n";

struct ServerCase {
    const char *name;
    ScriptedHttpServer::Script script;
    bool clientAsks; // the client sends its request
    QByteArray arrives;
};

TEST(ScriptedHttpServer, PlaysTheScriptAndStopsWhateverItWaitsFor)
{
    const ServerCase cases[] = {
        {"whole answer, then closed", ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "body"),
         true, kHead + "body"},
        {"held open after the answer", {{{kHead, 0ms}}, true}, true, kHead},
        {"in a long pause", {{{kHead, 1h}, {"never", 0ms}}}, true, kHead},
        // Fills the sockets' buffers: the server waits for room that never comes.
        {"an endless body",
         {{{kHead, 0ms}, {QByteArray(65536, 'x'), 0ms}}, false, true},
         true,
         kHead},
        {"waiting for the request",
         ScriptedHttpServer::response("HTTP/1.0 200 OK", "", ""),
         false,
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<ScriptedHttpServer> server(std::in_place);
        server->answer(c.script);
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server->port());
        ASSERT_TRUE(client.waitForConnected(10'000)) << client.errorString().toStdString();
        // Connected is not yet accepted: the server's thread takes it from the backlog.
        ASSERT_TRUE(QTest::qWaitFor([&] { return server->connections() == 1; }, 10'000));
        if (c.clientAsks) {
            client.write("GET /ORVANWIN/orvan_akt.ini HTTP/1.0\r\nHost: x\r\n\r\n");
            ASSERT_TRUE(client.waitForBytesWritten(10'000));
        }
        QByteArray got;
        while (got.size() < c.arrives.size() && client.waitForReadyRead(10'000))
            got += client.read(c.arrives.size() - got.size());
        EXPECT_EQ(got, c.arrives);
        if (c.clientAsks) {
            EXPECT_EQ(server->requestedPaths(), QByteArrayList{"/ORVANWIN/orvan_akt.ini"});
        }
        // Returns only once the server's thread has ended; the connection goes with it.
        server.reset();
        EXPECT_TRUE(client.state() == QAbstractSocket::UnconnectedState ||
                    client.waitForDisconnected(10'000));
    }
}

TEST(ScriptedHttpServer, NothingListensOnTheRefusingPort)
{
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, menu::test::refusingPort());
    EXPECT_FALSE(client.waitForConnected(10'000));
    EXPECT_EQ(client.error(), QAbstractSocket::ConnectionRefusedError);
}

} // namespace
