// Small documents fetched into memory from a real HTTP server on 127.0.0.1: only a whole 200
// body within the limit arrives; every other answer ends in bounded time with its text.
#include "core/Download.h"

#include "core/Texts.h"
#include "core/TrustTexts.h"
#include "core/UpdateTexts.h"
#include "support/ScriptedHttpServer.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using menu::core::CancelToken;
using menu::core::DownloadOptions;
using menu::core::downloadToMemory;
using menu::test::ScriptedHttpServer;
namespace texts = menu::core::texts;

namespace {

const QString kCriticalStart = QStringLiteral("Kritická chyba pri sťahovaní!\r\r");

ScriptedHttpServer::Script endless()
{
    ScriptedHttpServer::Script script{{{"HTTP/1.0 200 OK\r\n\r\n", 0ms}}, true};
    for (int i = 0; i < 200; ++i)
        script.steps.push_back({QByteArray(64 * 1024, 'x'), 0ms});
    return script;
}

TEST(MemoryDownload, OnlyAWhole200BodyWithinTheLimitArrives)
{
    struct Case {
        const char *name;
        ScriptedHttpServer::Script script;
        bool ok;
        QString text;
        QString hintPart; // after the critical error's first line
        bool tooLarge;
    };
    using S = ScriptedHttpServer;
    const QString tooLarge = texts::downloadTooLarge(1000);
    // A byte every 50 ms would take 5 s; the whole may last the wait limit plus 1000 bytes at
    // 16 KB/s.
    const QByteArray slow = "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(100, 'x');
    const Case cases[] = {
        {"whole", S::response("HTTP/1.0 200 OK", "Content-Length: 3\r\n", "abc"), true, {}, {},
         false},
        {"without a length", S::response("HTTP/1.0 200 OK", "", "abc"), true, {}, {}, false},
        {"exactly the limit", S::response("HTTP/1.0 200 OK", "", QByteArray(1000, 'x')), true,
         {}, {}, false},
        {"one byte over", S::response("HTTP/1.0 200 OK", "", QByteArray(1001, 'x')), false, {},
         tooLarge, true},
        {"3 GB announced", S::response("HTTP/1.0 200 OK", "Content-Length: 3000000000\r\n", "x"),
         false, {}, tooLarge, true},
        {"endless body", endless(), false, {}, tooLarge, true},
        {"one byte short",
         S::response("HTTP/1.0 200 OK", "Content-Length: 4\r\n", "abc"), false, {},
         texts::connectionEndedEarly(3, 4), false},
        {"chunked without its last chunk",
         S::response("HTTP/1.1 200 OK", "Transfer-Encoding: chunked\r\n", "3\r\nabc\r\n"), false,
         {}, QStringLiteral("Spojenie sa skončilo predčasne"), false},
        {"drip", S::byteByByte(slow, 50ms), false, {}, QStringLiteral("príliš dlho"), false},
        {"404", S::response("HTTP/1.0 404 Not Found", "", "gone"), false, texts::httpResult(404),
         {}, false},
        {"204", S::response("HTTP/1.0 204 No Content", "", ""), false,
         texts::unexpectedAnswer(204), {}, false},
        {"206", S::response("HTTP/1.0 206 Partial Content", "", "abc"), false,
         texts::unexpectedAnswer(206), {}, false},
    };
    ScriptedHttpServer server;
    DownloadOptions options;
    options.waitLimit = 2s;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer(c.script);
        const auto fetched = downloadToMemory(server.address("/doc"), 1000, options);
        EXPECT_EQ(fetched.result.ok, c.ok);
        EXPECT_EQ(fetched.tooLarge, c.tooLarge);
        EXPECT_FALSE(fetched.result.cancelled);
        if (c.ok) {
            EXPECT_EQ(fetched.body, c.script.steps.front().bytes.mid(
                                        c.script.steps.front().bytes.indexOf("\r\n\r\n") + 4));
            continue;
        }
        EXPECT_EQ(fetched.body, QByteArray());
        if (c.hintPart.isEmpty()) {
            EXPECT_EQ(fetched.result.text, c.text);
            continue;
        }
        EXPECT_EQ(fetched.result.text, texts::downloadCritical());
        EXPECT_TRUE(fetched.result.hint.startsWith(kCriticalStart));
        EXPECT_TRUE(fetched.result.hint.contains(c.hintPart)) << fetched.result.hint.toStdString();
    }
}

TEST(MemoryDownload, NoAnswerAndACancelEndAtOnce)
{
    ScriptedHttpServer server;
    server.answer({{}, true}); // connected, and silent
    DownloadOptions options;
    options.waitLimit = 300ms;
    auto fetched = downloadToMemory(server.address("/doc"), 1000, options);
    EXPECT_FALSE(fetched.result.ok);
    EXPECT_EQ(fetched.result.text, texts::httpResult(500));

    fetched = downloadToMemory(QStringLiteral("127.0.0.1:%1/doc").arg(menu::test::refusingPort()),
                               1000, options);
    EXPECT_EQ(fetched.result.text, texts::httpResult(500));

    CancelToken cancel;
    cancel.cancel();
    options.cancel = &cancel;
    options.waitLimit = 60s;
    fetched = downloadToMemory(server.address("/doc"), 1000, options);
    EXPECT_TRUE(fetched.result.cancelled);
    EXPECT_EQ(fetched.result.text, texts::downloadCancelled());
}

} // namespace
