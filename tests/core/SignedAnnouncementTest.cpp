// The update check end to end on the signed road: UpdateChecker against a real HTTP server on
// 127.0.0.1 that serves the document and its signature, with signatures in minisign's format by
// fixed test keys. A refused document stores nothing and says why in the label.
#include "core/AnnouncedFile.h"
#include "core/AnnouncementFetch.h"
#include "core/DownloadTexts.h"
#include "core/LauncherSettings.h"
#include "core/TrustTexts.h"
#include "core/UpdateTexts.h"
#include "core/TrustedAnnouncement.h"
#include "core/UpdateChecker.h"
#include "formats/Minisign.h"
#include "platform/ProfileFiles.h"
#include "support/MinisignSigner.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"
#include "support/TlsTestServer.h"
#include "support/UpdateServer.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace menu::core;
using menu::formats::MinisignKey;
using menu::test::ScriptedHttpServer;

using menu::test::MinisignFormat;

namespace {

const QByteArray kDocumentPath = "/ORVANWIN/orvan_akt.ini";
const QByteArray kSignaturePath = "/ORVANWIN/orvan_akt.ini.minisig";
const QByteArray kDocument = "[ORVAN]\r\nAktCis=1.1.0.8\r\nAktDat=10.01.2027\r\n"
                             "AktFil=orvan-menu-1.1.0.8.zip\r\nAktLen=1234\r\n"
                             "AktSha256=" +
                             QByteArray(64, 'a') +
                             "\r\n[TEA]\r\nAktCis=15.51.5\r\n"
                             "AktFil=TeamViewerQS.exe\r\n";
const QByteArray kForged = "[ORVAN]\r\nAktCis=9.9.9.99\r\nAktFil=evil.zip\r\n";

class Connected final : public menu::platform::InternetState {
  public:
    menu::Result<bool> connected() const override { return true; }
};
class Noon final : public menu::platform::Clock {
  public:
    QDateTime now() const override { return QDateTime(QDate(2027, 1, 10), QTime(12, 0)); }
};

ScriptedHttpServer::Script ok(const QByteArray &body)
{
    return ScriptedHttpServer::response(
        "HTTP/1.0 200 OK", "Content-Length: " + QByteArray::number(body.size()) + "\r\n", body);
}
ScriptedHttpServer::Script notFound()
{
    return ScriptedHttpServer::response("HTTP/1.0 404 Not Found", "", "");
}

class SignedAnnouncementTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        a_ = menu::formats::parseMinisignKey(menu::test::minisignPublicKey(QStringLiteral("a")));
        b_ = menu::formats::parseMinisignKey(menu::test::minisignPublicKey(QStringLiteral("b")));
    }

    void SetUp() override
    {
        ASSERT_TRUE(a_ && b_);
        // The last good announcement, which a refused document leaves as it is.
        ASSERT_TRUE(settings_
                        .saveAnnouncements({QStringLiteral("1.1.0.6"), QStringLiteral("01.12.2026"),
                                            QStringLiteral("old.zip"), 99, QStringLiteral("ab")},
                                           {})
                        .ok());
    }

    // Signed at the time given (seconds since 1970), as minisign writes it by default.
    static QByteArray sign(const QByteArray &message, const QString &key = QStringLiteral("a"),
                           MinisignFormat format = MinisignFormat::Prehashed,
                           qint64 at = 1800000000)
    {
        return menu::test::minisignSignature(
            key, message, QStringLiteral("timestamp:%1\tfile:orvan_akt.ini\thashed").arg(at),
            format);
    }
    void serve(const QByteArray &document, std::optional<QByteArray> signature)
    {
        server_.answer(kDocumentPath, ok(document));
        server_.answer(kSignaturePath, signature ? ok(*signature) : notFound());
    }

    // One start of a launcher of version running that trusts keys, and its check to the end.
    // Returns the label's last notice.
    // Without keys the launcher was configured to update unsigned unless allowUnsigned says not.
    LabelNotice check(std::vector<MinisignKey> keys, const QString &running = "1.1.0.7",
                      bool allowUnsigned = true)
    {
        UpdateChecker::Context context{settings_, internet_, clock_,
                                       nullptr,   running,   menu::test::updateAddressOn(server_)};
        context.trust = trust(std::move(keys), allowUnsigned);
        checker_.emplace(std::move(context));
        LabelNotice last{QStringLiteral("(none)"), {}, false};
        const QMetaObject::Connection told =
            QObject::connect(&*checker_, &UpdateChecker::noticeChanged,
                             [&last](const LabelNotice &notice) { last = notice; });
        checker_->load();
        checker_->start();
        checker_->timer().start(0);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !checker_->timer().isActive(); }));
        EXPECT_TRUE(QTest::qWaitFor([this] { return !checker_->running(); }, 30000));
        QObject::disconnect(told);
        return last;
    }
    TrustPolicy trust(std::vector<MinisignKey> keys, bool allowUnsigned = false) const
    {
        return {std::move(keys), allowUnsigned, userDir_.path() + QStringLiteral("/orvan-menu")};
    }
    QString stored(const char *section, const char *key) const
    {
        return settings_.read(QLatin1String(section), QLatin1String(key));
    }

    static inline std::optional<MinisignKey> a_, b_;

    menu::test::TempDir dir_;
    menu::test::TempDir userDir_; // the user's own storage
    menu::platform::ProfileFiles store_;
    LauncherSettings settings_{store_, dir_.path() + QLatin1Char('/')};
    Connected internet_;
    Noon clock_;
    ScriptedHttpServer server_;
    std::optional<UpdateChecker> checker_;
};

TEST_F(SignedAnnouncementTest, RefusedDocumentsStoreNothingAndTheLabelSaysWhy)
{
    const QByteArray good = sign(kDocument);
    QByteArray comment = good;
    comment.replace("timestamp:18", "timestamp:19"); // a later time of signing, forged
    QByteArray changed = kDocument;
    changed.replace("AktCis=1.1.0.8", "AktCis=1.1.0.9");
    const QString unsignedText = QStringLiteral("Informácie o aktualizáciách nie sú podpísané!");
    const QString invalid = QStringLiteral("Podpis informácií o aktualizáciách je neplatný!");
    const QString unknown = QStringLiteral("Informácie o aktualizáciách podpísal neznámy kľúč!");
    struct Case {
        const char *name;
        QByteArray document;
        std::optional<QByteArray> signature; // nothing: 404
        QString text;
        const char *detail; // in the tooltip
    };
    const Case cases[] = {
        {"no signature", kDocument, std::nullopt, unsignedText, "(404)"},
        {"forged version, unsigned", kForged, std::nullopt, unsignedText, "orvan_akt.ini.minisig"},
        {"another key", kDocument, sign(kDocument, "b"), unknown, "nie je medzi kľúčmi"},
        {"document changed by one byte", changed, good, invalid, "zmenili"},
        {"trusted comment changed", kDocument, comment, invalid, "komentár"},
        {"empty signature", kDocument, QByteArray(), invalid, "nemá tvar"},
        {"truncated signature", kDocument, good.left(good.size() / 2), invalid, "nemá tvar"},
        {"public key for a signature", kDocument,
         "untrusted comment: minisign public key\n" + menu::test::minisignPublicKey("a") + "\n",
         invalid, "nemá tvar"},
        {"longer than a signature", kDocument, good + QByteArray(5000, '\n'), invalid, "nemá tvar"},
        {"legacy format", kDocument, sign(kDocument, "a", MinisignFormat::Legacy), invalid,
         "starom formáte"},
        {"no time of signing", kDocument,
         menu::test::minisignSignature("a", kDocument, "orvan_akt.ini 1.1.0.8"),
         QStringLiteral("Podpis informácií o aktualizáciách nemá čas podpisu!"), "timestamp:"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        serve(c.document, c.signature);
        const LabelNotice notice = check({*a_});
        EXPECT_EQ(notice.text, QStringLiteral("UPOZORNENIE !\r") + c.text);
        EXPECT_TRUE(notice.red);
        EXPECT_TRUE(notice.hint.startsWith(c.text + QStringLiteral("\r\r")));
        EXPECT_TRUE(notice.hint.contains(QString::fromUtf8(c.detail))) << notice.hint.toStdString();
        EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.6"));
        EXPECT_EQ(stored("ORVAN", "AktLen"), QStringLiteral("99"));
        EXPECT_EQ(checker_->launcherAnnouncement().version, QStringLiteral("1.1.0.6"));
        EXPECT_EQ(checker_->lastCheck(), QString());
    }
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("menu.ini"), QStringLiteral("menu.ini.lock")}));
}

TEST_F(SignedAnnouncementTest, GoodSignatureOfEitherTrustedKeyStoresTheDocument)
{
    for (const char *key : {"a", "b"}) {
        SCOPED_TRACE(key);
        serve(kDocument, sign(kDocument, QString::fromLatin1(key)));
        // A launcher already at the announced version: nothing waits, the label empties.
        const LabelNotice notice = check({*a_, *b_}, QStringLiteral("1.1.0.8"));
        EXPECT_EQ(notice.text, QString());
        EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.8"));
        EXPECT_EQ(stored("ORVAN", "AktLen"), QStringLiteral("1234"));
        EXPECT_EQ(stored("ORVAN", "AktSha256"), QString(64, u'a'));
        EXPECT_EQ(stored("TEA", "AktFil"), QStringLiteral("TeamViewerQS.exe"));
        EXPECT_EQ(checker_->lastCheck(), QStringLiteral("10.01.2027 12:00"));
        EXPECT_EQ(server_.requestedPaths().mid(server_.requestedPaths().size() - 2),
                  (QByteArrayList{kDocumentPath, kSignaturePath}));
    }
}

// The fault of old: a forged later version, once stored, was offered at every start and no
// check ran again. Refused where keys are trusted; without keys it is stored as before, but the
// next start checks anyway and the honest document replaces it.
TEST_F(SignedAnnouncementTest, AForgedAnnouncementDoesNotStick)
{
    serve(kForged, std::nullopt);
    check({*a_});
    EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.6"));

    check({});
    EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("9.9.9.99"));
    EXPECT_EQ(server_.requestedPaths().count(kSignaturePath), 1); // only the build with keys

    serve(kDocument, sign(kDocument));
    const int before = server_.connections();
    const LabelNotice notice = check({*a_});
    EXPECT_EQ(server_.connections(), before + 2);
    EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.8"));
    // The newer version it announces waits: the label says so, as at a start.
    EXPECT_EQ(notice.text, texts::newerVersionNotice().text);
}

// Over HTTPS the document and its signature come only from a server whose certificate an
// authority the launcher trusts has issued; another is refused as untrusted, before a request.
TEST_F(SignedAnnouncementTest, OverHttpsOnlyATrustedCertificateIsBelieved)
{
    const auto whole = [](const QByteArray &body) {
        return "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\n\r\n" + body;
    };
    menu::test::TempDir certificates;
    menu::test::TlsTestServer server(certificates.path(), QStringLiteral("IP:127.0.0.1"),
                                     "HTTP/1.0 404 Not Found\r\n\r\n");
    if (!server.ok())
        GTEST_SKIP() << server.problem().toStdString();
    server.answer(kDocumentPath, whole(kDocument));
    server.answer(kSignaturePath, whole(sign(kDocument)));
    const std::vector<MinisignKey> keys{*a_};
    for (const bool trusted : {true, false}) {
        SCOPED_TRACE(trusted ? "trusted" : "untrusted");
        DownloadOptions options;
        if (trusted)
            options.certificateAuthorities = server.certificateFile();
        const int before = server.requests();
        const FetchedAnnouncement fetched =
            fetchAnnouncement(server.address(QString::fromLatin1(kDocumentPath)), keys, options);
        EXPECT_EQ(fetched.accepted, trusted) << fetched.hint.toStdString();
        EXPECT_EQ(server.requests() - before, trusted ? 2 : 0);
        if (trusted) {
            EXPECT_EQ(fetched.document, kDocument);
            EXPECT_EQ(fetched.signature, SignatureState::Good);
            continue;
        }
        EXPECT_FALSE(fetched.arrived);
        EXPECT_EQ(fetched.text, texts::certificateRejected());
        EXPECT_TRUE(fetched.hint.startsWith(texts::certificateRejectedHint(QString())));
        EXPECT_GT(fetched.hint.size(), texts::certificateRejectedHint(QString()).size());
    }
}

TEST_F(SignedAnnouncementTest, DocumentAboveOneMegabyteIsRefusedUnread)
{
    const QByteArray large = kDocument + QByteArray(kAnnouncementMax, ';');
    for (const bool announced : {true, false}) {
        SCOPED_TRACE(announced ? "length announced" : "no length");
        server_.answer(kDocumentPath,
                       announced ? ok(large)
                                 : ScriptedHttpServer::response("HTTP/1.0 200 OK", "", large));
        const LabelNotice notice = check({});
        EXPECT_TRUE(notice.text.startsWith(QStringLiteral("UPOZORNENIE !\r")));
        EXPECT_TRUE(notice.text.contains(QStringLiteral("1048576"))) << notice.text.toStdString();
        EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.6"));
    }
}

// The attacks on the stored announcements: a replay of an older signed document, a forged
// menu.ini, and a build without keys. Each is refused with a reason and authorises nothing.
TEST_F(SignedAnnouncementTest, AttacksOnTheStoredAnnouncementAuthoriseNothing)
{
    QByteArray older = kDocument;
    older.replace("1.1.0.8", "1.1.0.6");
    serve(kDocument, sign(kDocument, "a", MinisignFormat::Prehashed, 1800000200));
    EXPECT_EQ(check({*a_}).text, QString());
    ASSERT_TRUE(checker_->trustedInfo());
    EXPECT_EQ(checker_->trustedInfo()->launcher.version, QStringLiteral("1.1.0.8"));

    // A replay: the vendor once signed 1.1.0.6, earlier. Refused, nothing changes.
    serve(older, sign(older, "a", MinisignFormat::Prehashed, 1800000100));
    const LabelNotice replay = check({*a_});
    EXPECT_EQ(
        replay.text,
        QStringLiteral("UPOZORNENIE !\rInformácie o aktualizáciách sú staršie ako už prijaté!"));
    EXPECT_TRUE(replay.red);
    EXPECT_TRUE(replay.hint.contains(QStringLiteral("Staršie informácie sa neprijímajú")));
    EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.8"));
    EXPECT_EQ(checker_->trustedInfo()->launcher.version, QStringLiteral("1.1.0.8"));
    // The same document again, or a later one, is taken.
    serve(kDocument, sign(kDocument, "a", MinisignFormat::Prehashed, 1800000200));
    EXPECT_EQ(check({*a_}).text, texts::newerVersionNotice().text);
    serve(older, sign(older, "a", MinisignFormat::Prehashed, 1800000300));
    EXPECT_EQ(check({*a_}).text, QString());
    EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.6"));

    // A forged menu.ini shows its values, but what may be offered or fetched is the signed one;
    // a kept document changed in the user's storage is no longer trusted at all.
    ASSERT_TRUE(
        settings_
            .write(QStringLiteral("ORVAN"), QStringLiteral("AktCis"), QStringLiteral("9.9.9.99"))
            .ok());
    ASSERT_TRUE(
        settings_
            .write(QStringLiteral("ORVAN"), QStringLiteral("AktFil"), QStringLiteral("evil.zip"))
            .ok());
    checker_->load();
    EXPECT_EQ(checker_->launcherAnnouncement().file, QStringLiteral("evil.zip"));
    EXPECT_EQ(checker_->trustedInfo()->launcher.file, QStringLiteral("orvan-menu-1.1.0.6.zip"));
    const QString kept = userDir_.path() + QStringLiteral("/orvan-menu/orvan_akt.ini");
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("\r\n[ORVAN]\r\nAktFil=evil.zip\r\n");
    file.close();
    EXPECT_FALSE(checker_->trustedInfo());
    EXPECT_FALSE(trustedUpdateInfo(trust({*b_}), settings_));
}

// The attacks that need no signature of the vendor's, on every system the tests run on.
class UnsignedAttackTest : public SignedAnnouncementTest {
  protected:
    // A key that parses (algorithm "Ed", all else zero) and that nothing was signed with.
    const MinisignKey key_ =
        *menu::formats::parseMinisignKey(QByteArray("RWQ") + QByteArray(53, 'A'));
};

// A forged menu.ini, and a forged document in the user's storage, authorise no download.
TEST_F(UnsignedAttackTest, AForgedMenuIniOrKeptDocumentAuthorisesNothing)
{
    ASSERT_TRUE(
        settings_
            .saveAnnouncements(
                {QStringLiteral("9.9.9.99"), {}, QStringLiteral("evil.zip"), 4, QString(64, u'e')},
                {})
            .ok());
    const Announcement forged = settings_.launcherAnnouncement();
    EXPECT_EQ(forged.file, QStringLiteral("evil.zip"));
    EXPECT_FALSE(trustedUpdateInfo(trust({key_}), settings_));
    ASSERT_TRUE(keepAnnouncement(trust({key_}), {kForged, "untrusted comment: forged\n", 0}).ok());
    EXPECT_FALSE(keptAnnouncement(trust({key_})));
    EXPECT_FALSE(trustedUpdateInfo(trust({key_}), settings_));
    EXPECT_EQ(trustRefusal(forged, std::nullopt, true)->text, texts::announcementNotVerified());
    EXPECT_EQ(trustRefusal(forged, std::nullopt, false)->text, texts::updatesNeedKeys());
    EXPECT_FALSE(trustedUpdateInfo(trust({}), settings_));
}

TEST_F(UnsignedAttackTest, ABuildWithoutKeysFetchesNothingUnlessConfiguredTo)
{
    serve(kForged, std::nullopt);
    const LabelNotice notice = check({}, QStringLiteral("1.1.0.7"), false);
    EXPECT_EQ(notice.text, QStringLiteral("UPOZORNENIE !\r") + texts::updatesNeedKeys());
    EXPECT_EQ(server_.connections(), 0);
    EXPECT_EQ(stored("ORVAN", "AktCis"), QStringLiteral("1.1.0.6"));
    EXPECT_FALSE(checker_->trustedInfo());
    EXPECT_EQ(buildNote(trust({})), QStringLiteral("Zostava bez kľúčov: aktualizácie sú vypnuté."));
    EXPECT_EQ(buildNote(trust({}, true)),
              QStringLiteral("Zostava bez kľúčov: aktualizácie sa neoverujú podpisom!"));
    EXPECT_EQ(buildNote(trust({key_})), QString());

    check({}, QStringLiteral("1.1.0.7"), true);
    EXPECT_EQ(checker_->trustedInfo()->launcher.version, QStringLiteral("9.9.9.99"));
}

} // namespace
