// Downloads over HTTPS from a local server whose certificate the test makes: the certificate is
// verified, and a failed check is a clear error after which nothing else is tried.
#include "core/Download.h"
#include "core/DownloadTexts.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"
#include "support/TlsTestServer.h"

#include <QDir>
#include <gtest/gtest.h>

using menu::core::DownloadOptions;
using menu::core::DownloadResult;
using menu::test::TlsTestServer;
namespace texts = menu::core::texts;

namespace {

const QByteArray kAnswer = "HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\nsecured";

struct CertificateCase {
    const char *name;
    const char *subjectAltName;
    bool trustIt; // the test's certificate is given as the authority
    bool accepted;
};

TEST(DownloadHttps, OnlyACertificateOfATrustedAuthorityForTheHostIsAccepted)
{
    const CertificateCase cases[] = {
        {"trusted, for 127.0.0.1", "IP:127.0.0.1", true, true},
        {"self-signed, not trusted", "IP:127.0.0.1", false, false},
        {"trusted, for another name", "DNS:other.example", true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        menu::test::TempDir dir;
        TlsTestServer server(dir.path(), QString::fromLatin1(c.subjectAltName), kAnswer);
        if (!server.ok())
            GTEST_SKIP() << server.problem().toStdString();
        const QString target = dir.write(QStringLiteral("target.bin"), "old content");
        DownloadOptions options;
        if (c.trustIt)
            options.certificateAuthorities = server.certificateFile();
        const DownloadResult outcome =
            menu::core::download(server.address(QStringLiteral("/FILES/tv.exe")), target, options);
        EXPECT_EQ(outcome.ok, c.accepted) << outcome.hint.toStdString();
        EXPECT_EQ(dir.read(QStringLiteral("target.bin")),
                  c.accepted ? QByteArray("secured") : QByteArray("old content"));
        // One connection, and no second try without TLS (which the server would see as a
        // handshake that begins and fails).
        EXPECT_EQ(server.handshakes(), 1);
        EXPECT_EQ(server.requests(), c.accepted ? 1 : 0);
        if (c.accepted)
            continue;
        EXPECT_EQ(outcome.kind, menu::core::FailureKind::CertificateUntrusted);
        EXPECT_EQ(outcome.text, texts::certificateRejected());
        EXPECT_TRUE(outcome.hint.startsWith(texts::certificateRejectedHint(QString())))
            << outcome.hint.toStdString();
        EXPECT_GT(outcome.hint.size(), texts::certificateRejectedHint(QString()).size());
    }
}

// A server that answers in plain HTTP where TLS was asked for.
TEST(DownloadHttps, APlainAnswerToAnHttpsRequestIsASecureConnectionError)
{
    menu::test::ScriptedHttpServer server;
    auto plain = menu::test::ScriptedHttpServer::response("HTTP/1.0 400 Bad Request", "", "");
    plain.answerAtOnce = true;
    server.answer(plain);
    menu::test::TempDir dir;
    const QString target = dir.write(QStringLiteral("target.bin"), "old content");
    const DownloadResult outcome = menu::core::download(
        QStringLiteral("https://") + server.address(QStringLiteral("/x")), target);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, texts::secureConnectionFailed());
    EXPECT_TRUE(outcome.hint.startsWith(texts::secureConnectionFailedHint(QString())));
    EXPECT_EQ(dir.read(QStringLiteral("target.bin")), QByteArray("old content"));
    EXPECT_EQ(server.connections(), 1);
}

} // namespace
