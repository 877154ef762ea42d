// Number and date texts of typed edit fields, with Slovak settings on 15.3.2024.
#include "widgets/DateUtil.h"
#include "widgets/EditValue.h"
// The system's forms on the POSIX side of the seam; the test of them is left out elsewhere.
#if __has_include("platform/posix/Regional.h")
#include "platform/posix/Regional.h"
#define MENU_HAS_POSIX_REGIONAL 1
#endif

#include <gtest/gtest.h>

#include <utility>

using namespace menu::widgets;
using menu::platform::slovakFormats;

namespace {
const QDate kToday(2024, 3, 15);

struct Case {
    ValueType type;
    const char *mask;
    const char *input;
    const char *expected; // the text shown afterwards
    bool valid;
};

class NormaliseTest : public ::testing::TestWithParam<Case> {};

TEST_P(NormaliseTest, ShowsAndValidates)
{
    const Case &c = GetParam();
    const EditText result = normaliseEditText(QString::fromUtf8(c.input), c.type,
                                              QString::fromUtf8(c.mask), slovakFormats(), kToday);
    EXPECT_EQ(result.text, QString::fromUtf8(c.expected)) << c.input;
    EXPECT_EQ(result.valid, c.valid) << c.input;
    EXPECT_EQ(result.errorMessage.isEmpty(), c.valid) << c.input;
}

INSTANTIATE_TEST_SUITE_P(
    Slovak, NormaliseTest,
    ::testing::Values(
        // Whole numbers: stray characters go, the date separator stays and spoils the number.
        Case{ValueType::Integer, "0", "12a3", "123", true},
        Case{ValueType::Integer, "0", "abc", "0", true},
        Case{ValueType::Integer, "0", "", "0", true},
        Case{ValueType::Integer, "0", "1.5", "1.5", false},
        Case{ValueType::Integer, "0", "-42", "-42", true},
        Case{ValueType::Integer, "0", "+7", "7", true},
        Case{ValueType::Integer, "0", "2147483647", "2147483647", true},
        Case{ValueType::Integer, "0", "-2147483648", "-2147483648", true},
        Case{ValueType::Integer, "0", "2147483648", "2147483648", false},
        Case{ValueType::Integer, "0", "1-2", "1-2", false},
        Case{ValueType::Integer, "000", "7", "007", true},
        Case{ValueType::Integer, "", "0012", "12", true},
        // Decimal numbers: comma is the decimal separator, blanks are dropped.
        Case{ValueType::Decimal, "0.00", "12,5", "12,50", true},
        Case{ValueType::Decimal, "0.00", "1 234,5", "1234,50", true},
        Case{ValueType::Decimal, "0.00", "12,345", "12,35", true},
        Case{ValueType::Decimal, "0.00", "-12,345", "-12,35", true},
        Case{ValueType::Decimal, "0.00", "-0,001", "0,00", true},
        Case{ValueType::Decimal, "0.00", "9,999", "10,00", true},
        Case{ValueType::Decimal, "0.00", ",5", "0,50", true},
        Case{ValueType::Decimal, "0.00", "1,2,3", "1,2,3", false},
        Case{ValueType::Decimal, "0.00", "1.5", "1.5", false},
        Case{ValueType::Decimal, "0.00", "-", "-", false},
        Case{ValueType::Decimal, "", "2,50", "2,5", true},
        Case{ValueType::Decimal, "0.##", "2,50", "2,5", true},
        Case{ValueType::Decimal, "0.##", "2", "2", true},
        Case{ValueType::Decimal, "#.00", "0,5", ",50", true},
        // Amounts: "%s" is the currency symbol.
        Case{ValueType::Currency, "0.00 %s", "12", "12,00 €", true},
        Case{ValueType::Currency, "0.00 %s", "12,00 €", "12,00 €", true},
        Case{ValueType::Currency, "0.00 %s", "1,2,3", "1,2,3", false},
        Case{ValueType::Currency, "%s 0.00", "-3", "€ -3,00", true},
        // Dates: completed from today, written d.M.yyyy.
        Case{ValueType::Date, "", "5", "5.3.2024", true},
        Case{ValueType::Date, "", "5/4", "5.4.2024", true},
        Case{ValueType::Date, "", "5 4 2023", "5.4.2023", true},
        Case{ValueType::Date, "", "", "", true},
        Case{ValueType::Date, "", "05.04.24", "5.4.2024", true},
        Case{ValueType::Date, "", "1-2-80", "1.2.1980", true},
        Case{ValueType::Date, "", "29.2", "29.2.2024", true},
        Case{ValueType::Date, "", "29.2.2023", "29.2.2023", false},
        Case{ValueType::Date, "", "32", "32", false}, Case{ValueType::Date, "", "x", "x", false},
        Case{ValueType::Date, "", "1.2.3.4", "1.2.3.4", false},
        // Text stays as typed.
        Case{ValueType::Text, "0", " a1,5 ", " a1,5 ", true}));

TEST(EditValue, ErrorTextsNameTheExpectedForm)
{
    const auto sk = slovakFormats();
    const std::pair<ValueType, const char *> texts[] = {
        {ValueType::Integer, "Doplňte celé číslo!"},
        {ValueType::Decimal, "Doplňte desatinné číslo!"},
        {ValueType::Currency, "Doplňte sumu v €!"},
        {ValueType::Date, "Doplňte dátum v tvare \"d.M.yyyy\"!"},
        {ValueType::Text, ""}};
    for (const auto &[type, text] : texts)
        EXPECT_EQ(conversionErrorText(type, sk), QString::fromUtf8(text)) << text;
    EXPECT_EQ(normaliseEditText(QStringLiteral("32"), ValueType::Date, {}, sk, kToday).errorMessage,
              QStringLiteral("Doplňte dátum v tvare \"d.M.yyyy\"!"));
}

TEST(EditValue, NumberCharactersKeepSignsDigitsAndSeparators)
{
    const auto sk = slovakFormats();
    EXPECT_EQ(numberCharacters(QStringLiteral("a+-1 2,3.4/€ž"), sk), QStringLiteral("+-12,3.4"));
    EXPECT_EQ(numberCharacters(QStringLiteral("€"), sk), QStringLiteral("0"));
    EXPECT_EQ(numberCharacters(QString(), sk), QStringLiteral("0"));
}

TEST(EditValue, GeneralFormNeverUsesAnExponent)
{
    const QChar comma = QLatin1Char(',');
    EXPECT_EQ(formatGeneral(0.1, comma), QStringLiteral("0,1"));
    EXPECT_EQ(formatGeneral(-2.5, comma), QStringLiteral("-2,5"));
    EXPECT_EQ(formatGeneral(1e20, comma), QStringLiteral("100000000000000000000"));
    EXPECT_EQ(formatGeneral(1.5e-7, comma), QStringLiteral("0,00000015"));
    EXPECT_EQ(formatGeneral(1.0 / 3, comma), QStringLiteral("0,333333333333333"));
    // A general text goes back through numberCharacters and reads as the same number.
    const double value = 123456789.125;
    EXPECT_EQ(readDecimal(numberCharacters(formatGeneral(value, comma), slovakFormats()), comma),
              value);
}

TEST(EditValue, PatternPlacesDigitsSignAndLiterals)
{
    const QChar comma = QLatin1Char(',');
    EXPECT_EQ(formatNumber(1234567, QStringLiteral("0"), comma), QStringLiteral("1234567"));
    EXPECT_EQ(formatNumber(5, QStringLiteral("Kus: 00 ks"), comma), QStringLiteral("Kus: 05 ks"));
    EXPECT_EQ(formatNumber(-5, QStringLiteral("Kus: 0"), comma), QStringLiteral("Kus: -5"));
    EXPECT_EQ(formatNumber(-0.5, QStringLiteral(".0"), comma), QStringLiteral("-,5"));
    EXPECT_EQ(formatNumber(12, QStringLiteral("0.00 %s"), comma), QStringLiteral("12,00 %s"));
    // A symbol holding a full stop is not taken for the decimal marker.
    EXPECT_EQ(formatNumber(3, QStringLiteral("%s 0.0"), comma, QStringLiteral("лв.")),
              QStringLiteral("лв. 3,0"));
    EXPECT_EQ(formatNumber(2.5, QStringLiteral("bez miest"), comma), QStringLiteral("2,5"));
}

TEST(DateUtil, PartsAndSeparators)
{
    const QChar dot = QLatin1Char('.');
    EXPECT_EQ(unifyDateSeparators(QStringLiteral("1 2,3-4.5/6:7a8"), dot),
              QStringLiteral("1.2.3.4.5.6.78"));
    EXPECT_EQ(appendSeparator(QStringLiteral("5"), dot), QStringLiteral("5."));
    EXPECT_EQ(appendSeparator(QStringLiteral("5."), dot), QStringLiteral("5."));
    EXPECT_EQ(appendSeparator(QString(), dot), QString());

    struct Part {
        const char *text;
        const char *p1, *p2, *p3;
    };
    const Part parts[] = {{"5", "5", "", ""},
                          {"5.4", "5", "4", ""},
                          {"5.4.2023", "5", "4", "2023"},
                          {"5.4.20.23", "5", "4.20", "23"},
                          {".", "", "", ""},
                          {"", "", "", ""}};
    for (const Part &p : parts) {
        const QString s = QString::fromLatin1(p.text);
        EXPECT_EQ(datePart(s, 1, dot), QString::fromLatin1(p.p1)) << p.text;
        EXPECT_EQ(datePart(s, 2, dot), QString::fromLatin1(p.p2)) << p.text;
        EXPECT_EQ(datePart(s, 3, dot), QString::fromLatin1(p.p3)) << p.text;
    }
    EXPECT_EQ(datePart(QStringLiteral("1.2.3"), 4, dot), QString());
}

TEST(DateUtil, OtherOrdersAndFormats)
{
    menu::platform::RegionalFormats iso = slovakFormats();
    iso.dateSeparator = QLatin1Char('-');
    iso.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    EXPECT_EQ(readDate(QStringLiteral("2024-02-29"), iso, kToday), QDate(2024, 2, 29));
    EXPECT_EQ(readDate(QStringLiteral("02-29"), iso, kToday), QDate(2024, 2, 29));
    EXPECT_EQ(formatDate(QDate(2024, 3, 5), iso.shortDateFormat), QStringLiteral("2024-03-05"));
    EXPECT_EQ(readDate(QStringLiteral("0.1.2024"), slovakFormats(), kToday), std::nullopt);
    EXPECT_EQ(readDate(QStringLiteral("1.1.99999"), slovakFormats(), kToday), std::nullopt);
}

TEST(DateUtil, TimesInTheLongFormat)
{
    const auto sk = slovakFormats();
    EXPECT_EQ(formatTime(QTime(7, 5, 9), sk.longTimeFormat), QStringLiteral("7:05:09"));
    EXPECT_EQ(readTime(QStringLiteral("7:05:09"), sk), QTime(7, 5, 9));
    EXPECT_EQ(readTime(QStringLiteral("23:59"), sk), QTime(23, 59));
    EXPECT_EQ(readTime(QStringLiteral("24:00"), sk), std::nullopt);
    EXPECT_EQ(readTime(QStringLiteral("7"), sk), std::nullopt);
    EXPECT_EQ(readTime(QStringLiteral("12:30 AM"), sk), QTime(0, 30));
    EXPECT_EQ(formatTime(QTime(13, 0), QStringLiteral("h:mm AP")), QStringLiteral("1:00 PM"));
}

#ifdef MENU_HAS_POSIX_REGIONAL
TEST(PosixRegional, SlovakLocaleGivesTheFormsSlovakUsersType)
{
    const auto sk = menu::platform::posix::formatsFromLocale(QLocale(QStringLiteral("sk_SK")));
    EXPECT_EQ(sk.decimalSeparator, QLatin1Char(','));
    EXPECT_EQ(sk.dateSeparator, QLatin1Char('.'));
    EXPECT_EQ(sk.shortDateFormat, QStringLiteral("d.M.yyyy"));
    EXPECT_EQ(sk.longTimeFormat, QStringLiteral("H:mm:ss"));
    EXPECT_EQ(sk.currencySymbol, QStringLiteral("€"));
    const auto us = menu::platform::posix::formatsFromLocale(QLocale(QStringLiteral("en_US")));
    EXPECT_EQ(us.dateSeparator, QLatin1Char('/'));
    EXPECT_EQ(us.decimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(us.shortDateFormat, QStringLiteral("M/d/yy"));
    // Month names and blank separators become numbers and one separator.
    const auto c = menu::platform::posix::formatsFromLocale(QLocale::c());
    EXPECT_EQ(c.shortDateFormat, QStringLiteral("d.MM.yyyy"));
    EXPECT_EQ(c.dateSeparator, QLatin1Char('.'));
    const auto hu = menu::platform::posix::formatsFromLocale(QLocale(QStringLiteral("hu_HU")));
    EXPECT_EQ(readDate(QStringLiteral("2024.03.05"), hu, kToday), QDate(2024, 3, 5));
}
#endif
} // namespace
