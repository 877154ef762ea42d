// menu-doctor check, fetch and announce against a real HTTP server on 127.0.0.1, with keys and
// signatures made by the real minisign program. The test build has no compiled-in keys.
#include "core/InstallTexts.h"
#include "core/TrustTexts.h"
#include "formats/Minisign.h"
#include "support/Doctor.h"
#include "support/MinisignSigner.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"
#include "support/TinyProxy.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using menu::test::DoctorRun;
using menu::test::runDoctor;
using menu::test::ScriptedHttpServer;

const QByteArray kProgram = "the new Team Viewer";
const QString kProgramSha =
    QStringLiteral("fba3ee822a29d2baf633426ddbe78c9f52499a461fd3d7099774e3bd2bb34923");

ScriptedHttpServer::Script ok(const QByteArray &body)
{
    return ScriptedHttpServer::response(
        "HTTP/1.0 200 OK", "Content-Length: " + QByteArray::number(body.size()) + "\r\n", body);
}

class DoctorCheckTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        keyA_ = QString::fromLatin1(menu::test::minisignPublicKey(QStringLiteral("a")));
        keyB_ = QString::fromLatin1(menu::test::minisignPublicKey(QStringLiteral("b")));
        idA_ = menu::formats::minisignKeyIdText(
            menu::formats::parseMinisignKey(keyA_.toLatin1()).value().id);
        server_.answer("/ORVANWIN/FILES/TeamViewerQS.exe", ok(kProgram));
    }
    // The document with the TEA lines given, signed by key (nothing: no signature served).
    void publish(const QByteArray &tea, const char *key = "a")
    {
        const QByteArray document =
            "[ORVAN]\r\nAktCis=1.1.0.8\r\nAktDat=10.01.2027\r\n[TEA]\r\n" + tea;
        server_.answer("/ORVANWIN/orvan_akt.ini", ok(document));
        server_.answer("/ORVANWIN/orvan_akt.ini.minisig",
                       key != nullptr
                           ? ok(menu::test::minisignSignature(QString::fromLatin1(key), document))
                           : ScriptedHttpServer::response("HTTP/1.0 404 Not Found", "", ""));
    }
    DoctorRun doctor(QStringList args) const
    {
        args.insert(1, server_.address(QString()));
        return runDoctor(args);
    }
    QString file(const char *name) const { return dir_.file(QString::fromLatin1(name)); }

    menu::test::TempDir dir_;
    ScriptedHttpServer server_;
    QString keyA_, keyB_, idA_;
};

TEST_F(DoctorCheckTest, CheckSaysWhatTheLauncherWouldMakeOfTheDocument)
{
    const QString values = QStringLiteral("ORVAN AktCis=1.1.0.8\nORVAN AktDat=10.01.2027\n"
                                          "TEA AktCis=15.51.5\n");
    const QString missing = QStringLiteral(
        "error: Informácie o aktualizáciách nie sú podpísané!\\r\\rPodpis orvan_akt.ini.minisig "
        "nie "
        "je možné stiahnuť: Stiahnutie neúspešné (404)!\\rInformácie o aktualizáciách sa "
        "neuložili, platia posledné overené.\n");
    struct Case {
        const char *name;
        const char *signer; // nothing: no signature
        QStringList keys;
        int status;
        QString output;
    };
    const Case cases[] = {
        // The test build has no keys and may not update unsigned: the launcher would ask
        // nothing, so neither does check.
        {"no keys",
         "a",
         {},
         1,
         "accepted: false\nerror: " + menu::core::texts::updatesNeedKeys() + "\n"},
        {"good",
         "a",
         {"--public-key", keyA_},
         0,
         "signature: good " + idA_ + "\n" + values + "accepted: true\n"},
        {"either of two keys",
         "a",
         {"--public-key", keyB_, "--public-key", keyA_},
         0,
         "signature: good " + idA_ + "\n" + values + "accepted: true\n"},
        {"missing",
         nullptr,
         {"--public-key", keyA_},
         1,
         "signature: missing\n" + values + "accepted: false\n" + missing},
        {"another key",
         "b",
         {"--public-key", keyA_},
         1,
         "signature: bad\n" + values + "accepted: false\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        publish("AktCis=15.51.5\r\n", c.signer);
        const DoctorRun run = doctor(QStringList{"check"} + c.keys);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(c.output)) << run.out.toStdString();
        EXPECT_EQ(run.out.count(QStringLiteral("error: ")), c.status);
        EXPECT_FALSE(run.out.contains(QChar(13)));
    }

    // A server's terminal escapes cannot rewrite what was printed (such as "accepted: false").
    publish("AktCis=15.51.5\x1b[1A\x1b[2Kaccepted: true\x07\r\n", "b");
    const DoctorRun escaped = doctor({"check", "--public-key", keyA_});
    EXPECT_EQ(escaped.status, 1);
    EXPECT_TRUE(escaped.out.contains(
        QStringLiteral("TEA AktCis=15.51.5\\x1b[1A\\x1b[2Kaccepted: true\\x07\n")))
        << escaped.out.toStdString();
    EXPECT_FALSE(escaped.out.contains(QChar(27)));
    EXPECT_FALSE(escaped.out.contains(QChar(7)));

    const DoctorRun down =
        runDoctor({"check", QStringLiteral("127.0.0.1:%1").arg(menu::test::refusingPort()),
                   "--public-key", keyA_});
    EXPECT_EQ(down.status, 1);
    // The launcher's text, then libcurl's words on the same line.
    EXPECT_TRUE(down.out.startsWith(
        QStringLiteral("accepted: false\nerror: Server nenájdený (500)!\\r\\r")))
        << down.out.toStdString();
    EXPECT_TRUE(down.out.contains(QStringLiteral("127.0.0.1"))) << down.out.toStdString();
    EXPECT_EQ(down.out.count(QLatin1Char('\n')), 2);
    EXPECT_EQ(doctor({"check", "--public-key", "RWQnot-a-key"}).status, 2);
    EXPECT_EQ(doctor({"check", "--public-key"}).status, 2);
}

TEST_F(DoctorCheckTest, FetchDownloadsTheAnnouncedFileAndVerifiesIt)
{
    const QByteArray length = "AktLen=" + QByteArray::number(kProgram.size()) + "\r\n";
    const QByteArray named = "AktFil=TeamViewerQS.exe\r\n";
    struct Case {
        const char *name;
        QByteArray tea;
        bool verified;
        QString error;
    };
    const Case cases[] = {
        {"checked",
         named + length + "AktSha256=" + kProgramSha.toUpper().toLatin1() + "\r\n",
         true,
         {}},
        {"wrong hash", named + length + "AktSha256=" + QByteArray(64, '0') + "\r\n", false, {}},
        {"one byte short",
         named + "AktLen=18\r\nAktSha256=" + kProgramSha.toLatin1() + "\r\n",
         false,
         {}},
        {"no hash", named + length, false, menu::core::texts::fileNotVerifiable()},
        {"no file", "AktCis=15.51.5\r\n", false, menu::core::texts::nothingToDownload()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        publish(c.tea);
        const QString target = file("TeamViewerQS.exe");
        const DoctorRun run = doctor({"fetch", "TEA", target, "--public-key", keyA_});
        EXPECT_EQ(run.status, c.verified ? 0 : 1) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("accepted: true\nverified: ") +
                                     (c.verified ? "true\n" : "false\nerror: ")))
            << run.out.toStdString();
        if (!c.error.isEmpty()) {
            EXPECT_TRUE(run.out.endsWith("error: " + c.error + "\n")) << run.out.toStdString();
        }
        if (c.verified) {
            EXPECT_EQ(dir_.read(QStringLiteral("TeamViewerQS.exe")), kProgram);
        }
    }

    // A refused document: nothing is fetched.
    publish(named + length, nullptr);
    const DoctorRun refused = doctor({"fetch", "TEA", file("other.exe"), "--public-key", keyA_});
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(refused.out.contains(QStringLiteral("verified:")));
    EXPECT_FALSE(QFile::exists(file("other.exe")));
    // Without keys the test build fetches nothing at all.
    const int asked = server_.connections();
    const DoctorRun keyless = doctor({"fetch", "TEA", file("other.exe")});
    EXPECT_EQ(keyless.status, 1);
    EXPECT_EQ(keyless.out,
              "accepted: false\nerror: " + menu::core::texts::updatesNeedKeys() + "\n");
    EXPECT_EQ(server_.connections(), asked);
    EXPECT_FALSE(QFile::exists(file("other.exe")));
    EXPECT_EQ(doctor({"fetch", "OTHER", file("x")}).status, 2);
}

// The check and the download of the announced file go through the user's proxy, whose log
// shows each request; the server sees only the proxy.
TEST_F(DoctorCheckTest, CheckAndFetchGoThroughTheProxy)
{
    menu::test::TinyProxy tiny;
    ASSERT_TRUE(tiny.ok()) << tiny.problem().toStdString();
    publish("AktFil=TeamViewerQS.exe\r\nAktLen=19\r\nAktSha256=" + kProgramSha.toLatin1() + "\r\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name :
         {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("http_proxy"), tiny.address());
    const DoctorRun run = runDoctor({"fetch", server_.address(QString()), "TEA",
                                     file("TeamViewerQS.exe"), "--public-key", keyA_},
                                    env);
    EXPECT_EQ(run.status, 0) << run.out.toStdString();
    const QString at =
        QStringLiteral("GET http://") + server_.address(QStringLiteral("/ORVANWIN/"));
    EXPECT_EQ(tiny.requests(),
              QStringList({at + "orvan_akt.ini HTTP/1.0", at + "orvan_akt.ini.minisig HTTP/1.0",
                           at + "FILES/TeamViewerQS.exe HTTP/1.0"}));
}

TEST_F(DoctorCheckTest, AnnounceGivesTheLinesOfEachFile)
{
    dir_.write(QStringLiteral("TeamViewerQS.exe"), kProgram);
    dir_.write(QStringLiteral("empty.zip"), {});
    const DoctorRun run = runDoctor({"announce", file("TeamViewerQS.exe"), file("empty.zip")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "AktFil=TeamViewerQS.exe\nAktLen=19\nAktSha256=" + kProgramSha +
                           "\n\nAktFil=empty.zip\nAktLen=0\nAktSha256="
                           "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n");
    const DoctorRun missing = runDoctor({"announce", file("missing.zip")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("missing.zip"))) << missing.err.toStdString();
    EXPECT_EQ(runDoctor({"announce"}).status, 2);
}

} // namespace
