#include "core/UpdateOffer.h"

#include "core/UpdateTexts.h"

#include <gtest/gtest.h>

using menu::core::UpdateCase;

namespace {

struct CaseRow {
    const char *installed, *installedDate, *announced, *announcedDate;
    UpdateCase expected;
};

class UpdateCaseTest : public ::testing::TestWithParam<CaseRow> {};

TEST_P(UpdateCaseTest, FollowsTheTable)
{
    const CaseRow &row = GetParam();
    EXPECT_EQ(menu::core::updateCaseFor(
                  QString::fromUtf8(row.installed), QString::fromUtf8(row.installedDate),
                  QString::fromUtf8(row.announced), QString::fromUtf8(row.announcedDate)),
              row.expected)
        << row.installed << " " << row.installedDate << " / " << row.announced << " "
        << row.announcedDate;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateCaseTest,
    ::testing::Values(
        // A: nothing announced, whatever is installed.
        CaseRow{"1.1.0.7", "04.12.2023", "", "", UpdateCase::A},
        CaseRow{"", "", "", "10.01.2024", UpdateCase::A},
        // B before C: neither version readable.
        CaseRow{"", "", "15.2.2756", "", UpdateCase::B},
        CaseRow{"1.1", "", "2.0", "", UpdateCase::B},
        CaseRow{"1.1.0.7", "", "2.0", "", UpdateCase::C},
        CaseRow{"1.1.0.7", "04.12.2023", "1.1.0.8", "10.01.2024", UpdateCase::D},
        // Same version, the later date decides.
        CaseRow{"1.1.0.7", "04.12.2023", "1.1.0.7", "05.12.2023", UpdateCase::D},
        CaseRow{"1.1.0.7", "05.12.2023", "1.1.0.7", "04.12.2023", UpdateCase::F},
        // Year before month before day: December 2023 is older than January 2024.
        CaseRow{"1.1.0.7", "31.12.2023", "1.1.0.7", "01.01.2024", UpdateCase::D},
        // One date missing: no date keys at all.
        CaseRow{"1.1.0.7", "04.12.2023", "1.1.0.7", "", UpdateCase::E},
        CaseRow{"1.1.0.7", "", "1.1.0.7", "05.12.2023", UpdateCase::E},
        // Dates of other lengths that still add up to 20 are cut by position.
        CaseRow{"1.1.0.7", "4.12.2023", "1.1.0.7", "05.12.2023x", UpdateCase::D},
        CaseRow{"1.1.0.7", "04.12.2023", "1.1.0.7", "04.12.2023", UpdateCase::E},
        // Text, not numbers: 10 sorts before 9.
        CaseRow{"1.1.0.9", "", "1.1.0.10", "", UpdateCase::F},
        CaseRow{"1.1.0.9", "04.12.2023", "1.1.0.10", "10.01.2024", UpdateCase::F},
        // One key a beginning of the other: the shorter is less.
        CaseRow{"1.1.0.7", "", "1.1.0.70", "", UpdateCase::D},
        CaseRow{"15.2.2756", "", "15.2.2756", "", UpdateCase::E},
        CaseRow{"15.4.6.0", "", "15.2.2756", "", UpdateCase::F}));

TEST(UpdateRecommendationTest, CaptionsAndStatesPerPackage)
{
    const auto updateRecommendation = [](UpdateCase c, bool launcher) {
        return menu::core::texts::recommendation(c, launcher);
    };
    struct Row {
        UpdateCase c;
        const char *launcherCaption, *teaCaption;
        bool enabled, noteRed, announcedRed;
    };
    const Row rows[] = {
        {UpdateCase::A, "Stiahnuť a nainštalovať (nie je možné)", "Stiahnuť (nie je možné)", false,
         true, false},
        {UpdateCase::B, "Stiahnuť a nainštalovať", "Stiahnuť", true, true, false},
        {UpdateCase::C, "Stiahnuť a nainštalovať (nie je možné)", "Stiahnuť (nie je možné)", false,
         true, false},
        {UpdateCase::D, "Stiahnuť a nainštalovať", "Stiahnuť", true, true, true},
        {UpdateCase::E, "Stiahnuť a preinštalovať (nie je potrebné)", "Stiahnuť (nie je potrebné)",
         true, false, false},
        {UpdateCase::F, "Stiahnuť a preinštalovať (nie je možné)", "Stiahnuť (nie je možné)", false,
         false, false},
    };
    for (const Row &row : rows) {
        for (const bool launcher : {true, false}) {
            const auto r = updateRecommendation(row.c, launcher);
            EXPECT_EQ(r.buttonCaption,
                      QString::fromUtf8(launcher ? row.launcherCaption : row.teaCaption));
            EXPECT_EQ(r.buttonEnabled, row.enabled);
            EXPECT_EQ(r.noteRed, row.noteRed);
            EXPECT_EQ(r.announcedRed, row.announcedRed);
        }
    }
    EXPECT_EQ(updateRecommendation(UpdateCase::B, true).note,
              QStringLiteral("Doporučené je stiahnuť a nainštalovať program !"));
    EXPECT_EQ(updateRecommendation(UpdateCase::B, false).note,
              QStringLiteral("Doporučené je stiahnuť program !"));
    EXPECT_EQ(updateRecommendation(UpdateCase::D, false).note,
              QStringLiteral("Doporučené je stiahnuť novú verziu programu !"));
}

TEST(UpdateOfferTest, DateKeysOnlyForTwoDatesOfTwentyCharacters)
{
    const struct {
        const char *installed, *announced, *installedKey, *announcedKey;
    } cases[] = {
        {"04.12.2023", "10.01.2024", "20231204", "20240110"},
        {"4.12.2023", "05.12.2023x", "0232.4.", "20231205"}, // cut by position
        {"04.12.2023", "", "", ""},
        {"", "04.12.2023", "", ""},
        {"04.12.2023", "10.01.24", "", ""},
    };
    for (const auto &c : cases) {
        QString installedKey = QStringLiteral("stale");
        QString announcedKey = QStringLiteral("stale");
        menu::core::versionDateKeys(QString::fromLatin1(c.installed),
                                    QString::fromLatin1(c.announced), installedKey, announcedKey);
        EXPECT_EQ(installedKey, QString::fromLatin1(c.installedKey)) << c.installed;
        EXPECT_EQ(announcedKey, QString::fromLatin1(c.announcedKey)) << c.announced;
    }
}

} // namespace
