// The rules of the update check that need no window: the version comparison, the reading of
// the update-information document, the time of a check, the worker's run.
#include "core/UpdateCheck.h"

#include "core/Texts.h"
#include "core/UpdateTexts.h"
#include "core/VersionInfo.h"
#include "support/ScriptedHttpServer.h"

#include <cerrno>
#include <optional>
#include <gtest/gtest.h>

using namespace menu::core;

namespace {

TEST(UpdateCheckRules, AnnouncedVersionIsNewerOnlyAsText)
{
    struct Case {
        const char *announced;
        const char *installed;
        bool newer;
    };
    const Case cases[] = {
        {"1.1.0.8", "1.1.0.7", true},
        {"1.1.0.7", "1.1.0.7", false},
        {"1.0.0.10", "1.0.0.9", false},
        {"1.0.0.9", "1.0.0.10", true},
        {"1.1.0.7.1", "1.1.0.7", true},
        {"1.1.0", "1.1.0.7", false},
        {"", "1.1.0.7", false},
        {"", "", false},
        {"0", "", true},
        {"1.1.0.7", "1.1.0.7 ", false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(isLaterVersion(QString::fromUtf8(c.announced), QString::fromUtf8(c.installed)),
                  c.newer)
            << c.announced << " vs " << c.installed;
    }
}

TEST(UpdateCheckRules, DocumentIsAnsiTextUnlessItCarriesAMark)
{
    // Windows-1250: 0xE1 á, 0x9A š. The same bytes read as UTF-8 would be invalid or different.
    const UpdateInfo ansi = readUpdateInfo("; news\r\n[orvan]\r\n aktcis = \"1.2.0.1\" \r\n"
                                           "AktFil=bal\xE1\x9Ak.zip\r\nAktDat=01.02.2024\r\n"
                                           "[OTHER]\r\nAktCis=9\r\n[TEA]\r\nAktFil=tv.exe\r\n");
    EXPECT_EQ(ansi.launcher.version, QStringLiteral("1.2.0.1"));
    EXPECT_EQ(ansi.launcher.date, QStringLiteral("01.02.2024"));
    EXPECT_EQ(ansi.launcher.file, QStringLiteral("balášk.zip"));
    EXPECT_EQ(ansi.teamViewer.version, QString());
    EXPECT_EQ(ansi.teamViewer.file, QStringLiteral("tv.exe"));

    // Valid UTF-8 without a mark is still ANSI; with the mark it is UTF-8.
    EXPECT_EQ(readUpdateInfo("[TEA]\nAktFil=\xC3\xA1\n").teamViewer.file, QStringLiteral("Ăˇ"));
    EXPECT_EQ(readUpdateInfo("\xEF\xBB\xBF[TEA]\nAktFil=\xC3\xA1\n").teamViewer.file,
              QStringLiteral("á"));
    EXPECT_EQ(readUpdateInfo(QByteArray("\xFF\xFE[\0T\0E\0A\0]\0\n\0A\0k\0t\0C\0i\0s\0=\0"
                                        "7\0",
                                        30))
                  .teamViewer.version,
              QStringLiteral("7"));

    const UpdateInfo none = readUpdateInfo("<html>Not here</html>");
    EXPECT_EQ(none.launcher.version + none.launcher.date + none.launcher.file +
                  none.teamViewer.version + none.teamViewer.file,
              QString());
}

TEST(UpdateCheckRules, TimeOfACheckIsSixteenCharacters)
{
    EXPECT_EQ(lastCheckText(QDateTime(QDate(2024, 1, 5), QTime(7, 3, 59)), QLatin1Char(':')),
              QStringLiteral("05.01.2024 07:03"));
    EXPECT_EQ(lastCheckText(QDateTime(QDate(2023, 12, 31), QTime(23, 59)), QLatin1Char('.')),
              QStringLiteral("31.12.2023 23.59"));
    EXPECT_EQ(lastCheckText(QDateTime(QDate(2024, 10, 10), QTime(0, 0)), QLatin1Char(':')).size(),
              16);
}

class ScriptedInternet final : public menu::platform::InternetState {
  public:
    menu::Result<bool> connected() const override
    {
        if (failure)
            return *failure;
        return isConnected;
    }
    bool isConnected = true;
    std::optional<menu::Failure> failure;
};

TEST(UpdateCheckRules, WorkerFetchesAndReadsOnlyWhenConnected)
{
    menu::test::ScriptedHttpServer server;
    server.answer(menu::test::ScriptedHttpServer::response("HTTP/1.0 200 OK", "",
                                                           "[ORVAN]\r\nAktCis=1.1.0.8\r\n"));
    const QString url = server.address(QStringLiteral("/info.ini"));
    ScriptedInternet internet;

    internet.isConnected = false;
    UpdateCheckOutcome outcome = runUpdateCheck(internet, url, {});
    EXPECT_FALSE(outcome.connected);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.text, QString());
    EXPECT_EQ(texts::failedCheckNotice(outcome).text,
              QStringLiteral("Váš počítač nemá pripojenie na internet !"));

    // The test itself failed: its text, and the system's reason in Slovak.
    internet.failure = menu::Failure::errnoValue(EACCES);
    outcome = runUpdateCheck(internet, url, {});
    EXPECT_FALSE(outcome.connected);
    EXPECT_EQ(outcome.text, texts::internetTestFailed());
    EXPECT_EQ(outcome.hint, texts::reason(*internet.failure));
    EXPECT_EQ(server.connections(), 0);

    // Without trusted keys the document alone is fetched, and read on the worker.
    internet = {};
    outcome = runUpdateCheck(internet, url, {});
    EXPECT_TRUE(outcome.connected);
    EXPECT_TRUE(outcome.accepted);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(outcome.text, QString());
    ASSERT_TRUE(outcome.info.has_value());
    EXPECT_EQ(outcome.info->launcher.version, QStringLiteral("1.1.0.8"));
    EXPECT_EQ(server.requestedPaths(), QByteArrayList{"/info.ini"});

    // A failed download: the download's texts, and nothing read.
    server.answer(menu::test::ScriptedHttpServer::response("HTTP/1.0 404 Not Found", "", ""));
    outcome = runUpdateCheck(internet, url, {});
    EXPECT_TRUE(outcome.connected);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_FALSE(outcome.info.has_value());
    EXPECT_EQ(outcome.text, texts::httpResult(404));
}

} // namespace
