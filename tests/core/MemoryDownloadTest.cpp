// What only a document fetched into memory has: its own limit, an empty body that counts, and
// a deadline drawn from that limit. The rest it shares with the file downloads (DownloadTest).
#include "core/Download.h"

#include "core/DownloadTexts.h"
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

ScriptedHttpServer::Script endless()
{
    ScriptedHttpServer::Script script{{{"HTTP/1.0 200 OK\r\n\r\n", 0ms}}, true};
    script.steps.push_back({QByteArray(64 * 1024, 'x'), 0ms});
    script.repeatLast = true;
    return script;
}

TEST(MemoryDownload, OnlyABodyWithinTheLimitArrivesInBoundedTime)
{
    struct Case {
        const char *name;
        ScriptedHttpServer::Script script;
        QByteArray body; // what arrives; empty with a text
        QString text;
        QString hintPart;
        bool tooLarge;
    };
    using S = ScriptedHttpServer;
    // A byte every 50 ms would take 5 s; the whole may last the wait limit (2 s) plus 1000
    // bytes at 16 KB/s.
    const QByteArray slow = "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(100, 'x');
    const Case cases[] = {
        {"exactly the limit",
         S::response("HTTP/1.0 200 OK", "", QByteArray(1000, 'x')),
         QByteArray(1000, 'x'),
         {},
         {},
         false},
        {"empty", S::response("HTTP/1.0 200 OK", "Content-Length: 0\r\n", ""), {}, {}, {}, false},
        {"one byte over",
         S::response("HTTP/1.0 200 OK", "", QByteArray(1001, 'x')),
         {},
         texts::fileTooLarge(1000),
         {},
         true},
        {"3 GB announced",
         S::response("HTTP/1.0 200 OK", "Content-Length: 3000000000\r\n", "x"),
         {},
         texts::fileTooLarge(3000000000, 1000),
         {},
         true},
        {"endless body", endless(), {}, texts::fileTooLarge(1000), {}, true},
        {"drip",
         S::byteByByte(slow, 50ms),
         {},
         texts::downloadCritical(),
         texts::transferTooLong(QStringLiteral("2.061")),
         false},
        {"204",
         S::response("HTTP/1.0 204 No Content", "", ""),
         {},
         texts::statusNotAFile(204),
         {},
         false},
    };
    ScriptedHttpServer server;
    DownloadOptions options;
    options.waitLimit = 2s;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer(c.script);
        const auto fetched = downloadToMemory(server.address("/doc"), 1000, options);
        EXPECT_EQ(fetched.result.ok, c.text.isEmpty());
        EXPECT_EQ(fetched.result.text, c.text);
        EXPECT_TRUE(fetched.result.hint.contains(c.hintPart)) << fetched.result.hint.toStdString();
        EXPECT_EQ(fetched.result.tooLarge, c.tooLarge);
        EXPECT_EQ(fetched.body, c.body);
    }
}

TEST(MemoryDownload, ACancelEndsAtOnce)
{
    ScriptedHttpServer server;
    server.answer({{}, true}); // connected, and silent
    CancelToken cancel;
    cancel.cancel();
    DownloadOptions options;
    options.cancel = &cancel;
    const auto fetched = downloadToMemory(server.address("/doc"), 1000, options);
    EXPECT_TRUE(fetched.result.cancelled);
    EXPECT_EQ(fetched.result.text, texts::downloadCancelled());
}

} // namespace
