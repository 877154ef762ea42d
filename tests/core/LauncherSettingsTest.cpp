// menu.ini as typed values: the window's placement, the arrangement, the update check's
// values and the announcements, read from and written to a real file.
#include "core/LauncherSettings.h"

#include "core/Texts.h"
#include "platform/ProfileFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>

using namespace menu::core;
using menu::test::TempDir;

namespace {

const menu::platform::ScreenLimits kScreen{1280, 1000};
const WindowPlacement kWhole{0, 0, 1280, 1000, false};

struct PlacementCase {
    const char *name;
    const char *left, *width, *top, *height, *state;
    WindowPlacement expected;
};

class PlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, FollowsTheStoredValuesOrFallsBackToTheWholeScreen)
{
    const PlacementCase &c = GetParam();
    const WindowPlacement got = placementFrom(QString::fromUtf8(c.left), QString::fromUtf8(c.width),
                                              QString::fromUtf8(c.top), QString::fromUtf8(c.height),
                                              QString::fromUtf8(c.state), kScreen);
    EXPECT_EQ(got.left, c.expected.left);
    EXPECT_EQ(got.top, c.expected.top);
    EXPECT_EQ(got.width, c.expected.width);
    EXPECT_EQ(got.height, c.expected.height);
    EXPECT_EQ(got.maximized, c.expected.maximized);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PlacementTest,
    ::testing::Values(
        PlacementCase{"AsStored", "100", "500", "50", "400", "0", {100, 50, 500, 400, false}},
        PlacementCase{"Maximised", "100", "500", "50", "400", "1", {100, 50, 500, 400, true}},
        PlacementCase{"WidthMissing", "100", "", "50", "400", "0", kWhole},
        PlacementCase{"HeightBlank", "100", "500", "50", "  ", "0", kWhole},
        PlacementCase{"MaximisedWithoutBoundsIsTheWholeScreenMaximised",
                      "",
                      "",
                      "",
                      "",
                      "1",
                      {0, 0, 1280, 1000, true}},
        PlacementCase{
            "NegativeLeftIsZero", "-20", "500", "50", "400", "0", {0, 50, 500, 400, false}},
        PlacementCase{
            "UnparsableLeftIsZero", "abc", "500", "50", "400", "", {0, 50, 500, 400, false}},
        PlacementCase{
            "EndsExactlyAtTheScreen", "780", "500", "600", "400", "0", {780, 600, 500, 400, false}},
        PlacementCase{"OnePixelTooWide", "781", "500", "50", "400", "0", kWhole},
        PlacementCase{"OnePixelTooHigh", "0", "500", "601", "400", "0", kWhole},
        PlacementCase{"HugeValuesDoNotWrap", "2147483647", "2147483647", "0", "10", "0", kWhole},
        PlacementCase{
            "StateWithLeadingZeroIsNormal", "1", "2", "3", "4", "01", {1, 3, 2, 4, false}},
        PlacementCase{
            "StateWithTrailingTextIsNormal", "1", "2", "3", "4", "1x", {1, 3, 2, 4, false}}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(LauncherSettings, ArrangementAndFrequencyValues)
{
    const struct {
        const char *text;
        ButtonArrangement arrangement;
    } arrangements[] = {
        {"Ver", ButtonArrangement::Columns}, {"ver", ButtonArrangement::Columns},
        {"VER", ButtonArrangement::Columns}, {"Vertical", ButtonArrangement::Rows},
        {"Hor", ButtonArrangement::Rows},    {"", ButtonArrangement::Rows},
    };
    for (const auto &c : arrangements)
        EXPECT_EQ(arrangementFrom(QString::fromLatin1(c.text)), c.arrangement) << c.text;
    EXPECT_EQ(arrangementText(ButtonArrangement::Rows), QStringLiteral("Hor"));
    EXPECT_EQ(arrangementText(ButtonArrangement::Columns), QStringLiteral("Ver"));

    // The low eight bits of a whole number; anything else is 0 (check at every start).
    const struct {
        const char *text;
        int frequency;
    } frequencies[] = {{"300", 44}, {"2", 2},   {"-1", 255},       {"x2", 0},
                       {"", 0},     {"256", 0}, {"99999999999", 0}};
    for (const auto &c : frequencies)
        EXPECT_EQ(checkFrequencyFrom(QString::fromLatin1(c.text)), c.frequency) << c.text;
    EXPECT_EQ(parseWholeNumber(QStringLiteral("99999999999"), 7), 7);
    EXPECT_EQ(parseWholeNumber(QStringLiteral("-2147483648")), -2147483647 - 1);
}

TEST(LauncherSettings, ReadAndWriteByNames)
{
    TempDir dir;
    menu::platform::ProfileFiles store;
    LauncherSettings ini(store, dir.path() + QLatin1Char('/'));
    EXPECT_EQ(ini.path(), dir.file(QStringLiteral("menu.ini")));

    EXPECT_EQ(ini.read(QStringLiteral("OPTIONS"), QStringLiteral("Left")), QString());
    EXPECT_TRUE(
        ini.write(QStringLiteral("OPTIONS"), QStringLiteral("Left"), QStringLiteral("10")).ok());
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray("[OPTIONS]\r\nLeft=10\r\n"));
    EXPECT_EQ(ini.read(QStringLiteral("options"), QStringLiteral("left")), QStringLiteral("10"));
    EXPECT_EQ(ini.read(QStringLiteral("OPTIONS"), QStringLiteral("Top")), QString());
    EXPECT_EQ(ini.read(QStringLiteral("ORVAN"), QStringLiteral("Left")), QString());
}

TEST(LauncherSettings, TypedValuesComeBackAsTheyWereSaved)
{
    TempDir dir;
    menu::platform::ProfileFiles store;
    LauncherSettings ini(store, dir.path() + QLatin1Char('/'));
    // Nothing stored: rows, the whole screen, a check at every start, never checked.
    EXPECT_EQ(ini.arrangement(), ButtonArrangement::Rows);
    EXPECT_EQ(ini.placement(kScreen).width, kScreen.maxWidth);
    EXPECT_EQ(ini.checkFrequency(), kCheckAtStart);
    EXPECT_EQ(ini.lastCheck(), QString());

    ASSERT_TRUE(ini.saveAtClose(QRect(10, 20, 600, 400), true, ButtonArrangement::Columns,
                                kCheckNever, QStringLiteral("05.01.2024 07:03"))
                    .ok());
    EXPECT_EQ(ini.arrangement(), ButtonArrangement::Columns);
    const WindowPlacement placement = ini.placement(kScreen);
    EXPECT_EQ(placement.left, 10);
    EXPECT_EQ(placement.top, 20);
    EXPECT_EQ(placement.width, 600);
    EXPECT_EQ(placement.height, 400);
    EXPECT_TRUE(placement.maximized);
    EXPECT_EQ(ini.checkFrequency(), kCheckNever);
    EXPECT_EQ(ini.lastCheck(), QStringLiteral("05.01.2024 07:03"));

    ASSERT_TRUE(ini.saveArrangement(ButtonArrangement::Rows).ok());
    ASSERT_TRUE(ini.saveCheckFrequency(kCheckAtStart).ok());
    EXPECT_EQ(ini.arrangement(), ButtonArrangement::Rows);
    EXPECT_EQ(ini.checkFrequency(), kCheckAtStart);

    ASSERT_TRUE(ini.saveAnnouncements({QStringLiteral("1.1.0.8"), QStringLiteral("10.01.2024"),
                                       QStringLiteral("orvan šč.zip"), 1234, QStringLiteral("AB")},
                                      {QStringLiteral("15.2.2756"), QStringLiteral("ignored"),
                                       QStringLiteral("tv.exe"), std::nullopt, QString()})
                    .ok());
    const Announcement launcher = ini.launcherAnnouncement();
    EXPECT_EQ(launcher.version, QStringLiteral("1.1.0.8"));
    EXPECT_EQ(launcher.length, 1234);
    EXPECT_EQ(launcher.sha256, QStringLiteral("AB"));
    EXPECT_EQ(ini.teamViewerAnnouncement().length, std::nullopt);
    EXPECT_EQ(launcher.date, QStringLiteral("10.01.2024"));
    EXPECT_EQ(launcher.file, QStringLiteral("orvan šč.zip"));
    const Announcement teamViewer = ini.teamViewerAnnouncement();
    EXPECT_EQ(teamViewer.version, QStringLiteral("15.2.2756"));
    EXPECT_EQ(teamViewer.date, QString()); // Team Viewer has no date
    EXPECT_EQ(teamViewer.file, QStringLiteral("tv.exe"));
    EXPECT_EQ(ini.read(QStringLiteral("TEA"), QStringLiteral("AktDat")), QString());
    // The file keeps the system's code page.
    EXPECT_TRUE(dir.read(QStringLiteral("menu.ini")).contains("AktFil=orvan \x9A\xE8.zip\r\n"));
}

TEST(LauncherSettings, WriteFailureNamesTheFileAndLeavesItAlone)
{
    TempDir dir;
    menu::platform::ProfileFiles store;
    dir.write(QStringLiteral("menu.ini/keep"), "x"); // a directory where menu.ini belongs
    LauncherSettings ini(store, dir.path() + QLatin1Char('/'));
    const menu::Status written =
        ini.write(QStringLiteral("OPTIONS"), QStringLiteral("Left"), QStringLiteral("1"));
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.failure().path, ini.path());
    EXPECT_EQ(texts::settingsNotWritten(written.failure()),
              QStringLiteral("Unable to write to ") + menu::platform::nativePath(ini.path()) +
                  QChar(13) + texts::reason(written.failure()));
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini/keep")), QByteArray("x"));
}

// A store that records each round of writes and fails the ones asked for.
class RoundStore final : public menu::platform::ProfileStore {
  public:
    std::optional<QString> read(const QString &, const QString &, const QString &) const override
    {
        return std::nullopt;
    }
    std::shared_ptr<const menu::formats::ProfileIndex> readAll(const QString &) const override
    {
        return nullptr;
    }
    menu::Status write(const QString &file, const QString &section, const QString &key,
                       const QString &value) override
    {
        return writeValues(file, {{section, key, value}}, {});
    }
    menu::Status writeValues(const QString &file, const QList<Value> &values,
                             const menu::platform::LockWait &wait) override
    {
        QStringList keys;
        for (const Value &value : values)
            keys << value.key;
        rounds << keys;
        waits << wait.limit;
        if (fail)
            return menu::Failure::errnoValue(ENOSPC, file);
        return {};
    }
    QList<QStringList> rounds;
    QList<std::chrono::milliseconds> waits;
    bool fail = false;
};

// A close and a stored announcement are one round each: another seat's write can fall only
// before or after them, never between their values.
TEST(LauncherSettings, AGroupOfWritesIsOneRound)
{
    RoundStore store;
    LauncherSettings ini(store, QStringLiteral("/p/"));
    store.fail = true;
    const menu::Status atClose =
        ini.saveAtClose(QRect(0, 0, 1, 1), false, ButtonArrangement::Rows, 0, QString());
    ASSERT_FALSE(atClose.ok());
    EXPECT_TRUE(atClose.failure().is(std::errc::no_space_on_device));
    EXPECT_EQ(atClose.failure().path, QStringLiteral("/p/menu.ini"));

    store.fail = false;
    const menu::platform::LockWait once{};
    EXPECT_TRUE(
        ini.saveAtClose(QRect(0, 0, 1, 1), false, ButtonArrangement::Rows, 0, QString(), once)
            .ok());
    EXPECT_TRUE(ini.saveAnnouncements({}, {}).ok());
    const QStringList close{"ButtonsView", "Left",        "Width",  "Top",
                            "Height",      "WindowState", "LicKon", "LicKonLast"};
    const QStringList announced{"AktCis", "AktDat", "AktFil", "AktLen",   "AktSha256",
                                "AktCis", "AktFil", "AktLen", "AktSha256"};
    EXPECT_EQ(store.rounds, (QList<QStringList>{close, close, announced}));
    EXPECT_EQ(store.waits, (QList<std::chrono::milliseconds>{menu::platform::kSettingsLockWait,
                                                             std::chrono::milliseconds(0),
                                                             menu::platform::kSettingsLockWait}));
}

// Asks a real store, counting every time the file is asked for.
class CountingStore final : public menu::platform::ProfileStore {
  public:
    std::optional<QString> read(const QString &file, const QString &section,
                                const QString &key) const override
    {
        ++asked;
        return files.read(file, section, key);
    }
    std::shared_ptr<const menu::formats::ProfileIndex> readAll(const QString &file) const override
    {
        ++asked;
        return files.readAll(file);
    }
    menu::Status write(const QString &file, const QString &section, const QString &key,
                       const QString &value) override
    {
        return files.write(file, section, key, value);
    }
    menu::Status writeValues(const QString &file, const QList<Value> &values,
                             const menu::platform::LockWait &wait) override
    {
        return files.writeValues(file, values, wait);
    }
    menu::platform::ProfileFiles files;
    mutable std::atomic<int> asked = 0;
};

// A batch asks for the file once however many values its thread reads, nested or not, and
// reads it again after its own writes; other threads, and reads after it, see the file itself.
TEST(LauncherSettings, ABatchReadsTheFileOnceForItsThread)
{
    TempDir dir;
    dir.write(QStringLiteral("menu.ini"),
              "[OPTIONS]\r\nButtonsView=Ver\r\nLeft=5\r\nTop=6\r\nWidth=700\r\nHeight=500\r\n"
              "[ORVAN]\r\nAktCis=1.1.0.8\r\n");
    CountingStore store;
    LauncherSettings ini(store, dir.path() + QLatin1Char('/'));
    {
        const LauncherSettings::Batch batch(ini);
        {
            const LauncherSettings::Batch inner(ini);
            EXPECT_EQ(ini.arrangement(), ButtonArrangement::Columns);
        }
        EXPECT_EQ(ini.placement(kScreen).width, 700);
        EXPECT_EQ(ini.launcherAnnouncement().version, QStringLiteral("1.1.0.8"));
        EXPECT_EQ(store.asked, 1);

        dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\nButtonsView=Hor\r\n");
        std::thread([&] { EXPECT_EQ(ini.arrangement(), ButtonArrangement::Rows); }).join();
        EXPECT_EQ(ini.arrangement(), ButtonArrangement::Columns); // the batch's reading

        ASSERT_TRUE(ini.saveCheckFrequency(2).ok());
        EXPECT_EQ(ini.checkFrequency(), 2);
        EXPECT_EQ(ini.arrangement(), ButtonArrangement::Rows);
    }
    dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\nButtonsView=Ver\r\n");
    EXPECT_EQ(ini.arrangement(), ButtonArrangement::Columns);
}

} // namespace
