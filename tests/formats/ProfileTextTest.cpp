#include "formats/ProfileText.h"

#include <gtest/gtest.h>
#include <optional>

using menu::formats::kProfileValueMax;
using menu::formats::profileEdit;
using menu::formats::profileLookup;
using menu::formats::profileUpdate;

namespace {

std::optional<QString> lookup(const QByteArray &bytes, const char *section, const char *key)
{
    return profileLookup(bytes, QString::fromUtf8(section), QString::fromUtf8(key));
}

QByteArray update(const QByteArray &bytes, const char *section, const char *key,
                  const QString &value)
{
    return profileUpdate(bytes, QString::fromUtf8(section), QString::fromUtf8(key), value);
}

struct ReadCase {
    const char *name;
    QByteArray file;
    const char *section;
    const char *key;
    std::optional<const char *> expected; // UTF-8
};

class ReadRules : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadRules, ReadsAsWindowsDoes)
{
    const ReadCase &c = GetParam();
    const auto value = lookup(c.file, c.section, c.key);
    if (!c.expected) {
        EXPECT_FALSE(value.has_value()) << value->toStdString();
    } else {
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->toStdString(), *c.expected);
    }
}

const ReadCase kReadCases[] = {
    {"plain", "[OPTIONS]\r\nLeft=10\r\n", "OPTIONS", "Left", "10"},
    {"namesWithoutCase", "[options]\r\nleft=10\r\n", "OPTIONS", "Left", "10"},
    {"namesTrimmed", "  [ OPTIONS ]  \nLeft   =10\n", " OPTIONS", "Left ", "10"},
    {"valueTrimmed", "[A]\nk= \t 10 \t \n", "A", "k", "10"},
    {"doubleQuotesDropped", "[A]\nk=  \" x y \"  \n", "A", "k", " x y "},
    {"singleQuotesDropped", "[A]\nk='x'\n", "A", "k", "x"},
    {"onlyOnePairDropped", "[A]\nk=\"\"x\"\"\n", "A", "k", "\"x\""},
    {"mismatchedQuotesKept", "[A]\nk=\"x'\n", "A", "k", "\"x'"},
    {"loneQuoteKept", "[A]\nk=\"\n", "A", "k", "\""},
    {"emptyQuotes", "[A]\nk=\"\"\n", "A", "k", ""},
    {"emptyValue", "[A]\nk=\n", "A", "k", ""},
    {"valueWithEquals", "[A]\nk=a=b\n", "A", "k", "a=b"},
    {"missingKey", "[A]\nk=1\n", "A", "j", std::nullopt},
    {"missingSection", "[A]\nk=1\n", "B", "k", std::nullopt},
    {"keyOfOtherSection", "[A]\nk=1\n[B]\nj=2\n", "A", "j", std::nullopt},
    {"keyBeforeAnySection", "k=1\n[A]\n", "A", "k", std::nullopt},
    {"commentLine", "[A]\n;k=1\n  ; k=2\nk=3\n", "A", "k", "3"},
    {"commentedSection", "[A]\n;[B]\nk=1\n", "A", "k", "1"},
    {"lineWithoutEquals", "[A]\nk\nk=2\n", "A", "k", "2"},
    {"firstDuplicateKey", "[A]\nk=1\nK=2\n", "A", "k", "1"},
    {"firstDuplicateSection", "[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "k", "1"},
    {"laterDuplicateSectionUnseen", "[A]\nk=1\n[a]\nj=3\n", "A", "j", std::nullopt},
    {"lfOnly", "[A]\nk=1\nj=2", "A", "j", "2"},
    {"crOnly", "[A]\rk=1\rj=2\r", "A", "j", "2"},
    {"mixedBreaks", "[A]\r\nk=1\rj=2\nl=3", "A", "l", "3"},
    {"sectionToLastBracket", "[a]b]\nk=1\n", "a]b", "k", "1"},
    {"bracketWithoutClose", "[A]\n[k=1\n", "A", "[k", "1"},
    {"emptyNameNeverMatches", "[A]\n=1\n", "A", "", std::nullopt},
    {"emptyFile", "", "A", "k", std::nullopt},
    {"nulBytes", QByteArray("[A]\nk=1\0\0\nj=2\n", 14), "A", "j", "2"},
    {"utf8Value", "[A]\nk=\xC5\xA1\xC4\x8D\n", "A", "k", "šč"},
    {"utf8Bom", "\xEF\xBB\xBF[A]\nk=\xC5\xA1\n", "A", "k", "š"},
    {"windows1250", "[A]\nk=\x9A\xE8\n", "A", "k", "šč"},
    {"invalidUtf8IsWindows1250", "[A]\nk=\xC5\xA1\nj=\xE8\n", "A", "k", "Ĺˇ"},
    {"windows1250Names", "[\x8A]\n\xE8=1\n", "Š", "Č", "1"},
    {"overlongUtf8IsWindows1250", "[A]\nk=\xC0\xAF\n", "A", "k", "ŔŻ"},
};

INSTANTIATE_TEST_SUITE_P(Profile, ReadRules, ::testing::ValuesIn(kReadCases),
                         [](const auto &param) { return std::string(param.param.name); });

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes;
    bytes.append(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    for (const QChar ch : text) {
        const char hi = static_cast<char>(ch.unicode() >> 8);
        const char lo = static_cast<char>(ch.unicode() & 0xFF);
        bytes.append(bigEndian ? hi : lo);
        bytes.append(bigEndian ? lo : hi);
    }
    return bytes;
}

TEST(ProfileEncoding, Utf16WithByteOrderMark)
{
    const QString text = QStringLiteral("[Menu1]\r\nNaz=Účtovníctvo 😀\r\n");
    for (const bool bigEndian : {false, true}) {
        const QByteArray file = utf16(text, bigEndian);
        EXPECT_EQ(lookup(file, "menu1", "naz"), QStringLiteral("Účtovníctvo 😀"));

        const QByteArray written = update(file, "Menu1", "Dop", QStringLiteral("č"));
        EXPECT_EQ(written, utf16(text + QStringLiteral("Dop=č\r\n"), bigEndian));
    }
}

TEST(ProfileEncoding, OddUtf16BodyKeepsItsLastByte)
{
    const QByteArray file = utf16(QStringLiteral("[A]\nk=1\n"), false) + 'x';
    EXPECT_EQ(lookup(file, "A", "k"), QStringLiteral("1"));
    const QByteArray written = update(file, "B", "j", QStringLiteral("2"));
    EXPECT_EQ(written, utf16(QStringLiteral("[A]\nk=1\n[B]\nj=2\n"), false) + 'x');
    EXPECT_EQ(lookup(written, "B", "j"), QStringLiteral("2"));
}

TEST(ProfileEncoding, WritesKeepTheFilesEncoding)
{
    // Windows-1250 stays Windows-1250, UTF-8 stays UTF-8.
    EXPECT_EQ(update("[A]\r\nk=\x9A\r\n", "A", "j", QStringLiteral("č")),
              QByteArray("[A]\r\nk=\x9A\r\nj=\xE8\r\n"));
    EXPECT_EQ(update("[A]\nk=\xC5\xA1\n", "A", "j", QStringLiteral("č")),
              QByteArray("[A]\nk=\xC5\xA1\nj=\xC4\x8D\n"));
    EXPECT_EQ(update("\xEF\xBB\xBF[A]\n", "A", "j", QStringLiteral("č")),
              QByteArray("\xEF\xBB\xBF[A]\nj=\xC4\x8D\n"));
}

TEST(ProfileEncoding, NewOrAsciiFileIsWindows1250WhenItFits)
{
    EXPECT_EQ(update({}, "A", "k", QStringLiteral("š")), QByteArray("[A]\r\nk=\x9A\r\n"));
    // A character beyond Windows-1250 makes the file UTF-8.
    EXPECT_EQ(update({}, "A", "k", QStringLiteral("€ж")),
              QByteArray("[A]\r\nk=\xE2\x82\xAC\xD0\xB6\r\n"));
    // Windows-1250 bytes that would read as UTF-8 ("Ă©" is C3 A9): UTF-8 instead.
    const QByteArray ambiguous = update({}, "A", "k", QStringLiteral("Ă©"));
    EXPECT_EQ(lookup(ambiguous, "A", "k"), QStringLiteral("Ă©"));
}

TEST(ProfileEncoding, RefusesTextTheFileCannotHold)
{
    const QByteArray file("[A]\nk=\x9A\n");
    const auto edit =
        profileEdit(file, QStringLiteral("A"), QStringLiteral("j"), QStringLiteral("ж"));
    EXPECT_FALSE(edit.ok());
    EXPECT_EQ(edit.bytes, file);
}

TEST(ProfileEncoding, RefusesAWriteThatWouldChangeHowOtherTextReads)
{
    // The only invalid UTF-8 is the value replaced; the rest would then read as UTF-8.
    const QByteArray file("[A]\nk=\x9A\nj=\xC3\xA9\n");
    EXPECT_EQ(lookup(file, "A", "j"), QStringLiteral("Ă©"));
    EXPECT_FALSE(
        profileEdit(file, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1")).ok());
}

TEST(ProfileValue, CutAt2047Characters)
{
    const QByteArray longValue(5000, 'x');
    const auto value = lookup("[A]\nk=" + longValue + "\n", "A", "k");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->size(), kProfileValueMax);

    // Cutting never leaves half of a surrogate pair.
    const QString pairs = QString(kProfileValueMax - 1, QLatin1Char('a')) + QStringLiteral("😀😀");
    const auto wide = profileLookup(utf16(QStringLiteral("[A]\nk=") + pairs, false),
                                    QStringLiteral("A"), QStringLiteral("k"));
    ASSERT_TRUE(wide);
    EXPECT_EQ(*wide, pairs.left(kProfileValueMax - 1));
}

TEST(ProfileValue, TenMegabyteLine)
{
    QByteArray file("[A]\nbig=");
    file.append(QByteArray(10 * 1024 * 1024, 'y'));
    file.append("\nk=1\n");
    EXPECT_EQ(lookup(file, "A", "k"), QStringLiteral("1"));
    EXPECT_EQ(lookup(file, "A", "big")->size(), kProfileValueMax);
    const QByteArray written = update(file, "A", "big", QStringLiteral("small"));
    EXPECT_EQ(written, QByteArray("[A]\nbig=small\nk=1\n"));
}

struct WriteCase {
    const char *name;
    QByteArray before;
    const char *section;
    const char *key;
    const char *value;
    QByteArray after;
};

class WriteRules : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteRules, ChangesOnlyWhatItMust)
{
    const WriteCase &c = GetParam();
    const QByteArray written = update(c.before, c.section, c.key, QString::fromUtf8(c.value));
    EXPECT_EQ(written.toStdString(), c.after.toStdString());
    EXPECT_EQ(
        lookup(written, c.section, c.key),
        profileLookup("[s]\nk=" + QByteArray(c.value), QStringLiteral("s"), QStringLiteral("k")));
}

const WriteCase kWriteCases[] = {
    {"newFile", "", "OPTIONS", "Left", "10", "[OPTIONS]\r\nLeft=10\r\n"},
    {"replaceValue", "; x\r\n[A]\r\nk=1\r\nj=2\r\n", "A", "k", "33",
     "; x\r\n[A]\r\nk=33\r\nj=2\r\n"},
    {"replaceKeepsKeySpellingAndBlanks", "[a]\n  KEY =  old  \n", "A", "key", "new",
     "[a]\n  KEY =  new\n"},
    {"firstDuplicateChanged", "[A]\nk=1\nk=2\n[A]\nk=3\n", "A", "k", "9",
     "[A]\nk=9\nk=2\n[A]\nk=3\n"},
    {"appendAfterLastFilledLine", "[A]\nk=1\n\n\n[B]\nj=2\n", "A", "n", "5",
     "[A]\nk=1\nn=5\n\n\n[B]\nj=2\n"},
    {"appendAfterComment", "[A]\nk=1\n; end\n\n[B]\n", "A", "n", "5",
     "[A]\nk=1\n; end\nn=5\n\n[B]\n"},
    {"appendToHeaderOnly", "[A]\r\n[B]\r\n", "A", "n", "5", "[A]\r\nn=5\r\n[B]\r\n"},
    {"appendAtEndWithoutBreak", "[A]\nk=1", "A", "n", "5", "[A]\nk=1\nn=5"},
    {"endsLikeThePrecedingLine", "[A]\rk=1\n\n[B]\r", "A", "n", "5", "[A]\rk=1\nn=5\n\n[B]\r"},
    {"newSectionAtEnd", "[A]\nk=1\n", "B", "n", "5", "[A]\nk=1\n[B]\nn=5\n"},
    {"newSectionAfterOpenLine", "[A]\rk=1", "B", "n", "5", "[A]\rk=1\r[B]\rn=5\r"},
    {"keyNamesTrimmed", "", " A ", " k ", "v", "[A]\r\nk=v\r\n"},
    {"valueWithQuotesStored", "[A]\n", "A", "k", "\"q\"", "[A]\nk=\"q\"\n"},
    {"keepsGarbageBytes", QByteArray("\x01\xFF\0\n[A]\nk=1\n\xFE", 13), "A", "k", "2",
     QByteArray("\x01\xFF\0\n[A]\nk=2\n\xFE", 13)},
};

INSTANTIATE_TEST_SUITE_P(Profile, WriteRules, ::testing::ValuesIn(kWriteCases),
                         [](const auto &param) { return std::string(param.param.name); });

TEST(ProfileWriteRules, RefusesWhatWouldNotReadBack)
{
    const QByteArray file("[A]\nk=1\n");
    const struct {
        const char *section, *key, *value;
    } refused[] = {
        {"", "k", "v"},     {"A", "", "v"},    {"A", " ", "v"},   {"A", "k", "a\nb"},
        {"A", "k", "a\rb"}, {"A\n", "k", "v"}, {"A", "a=b", "v"}, {"A", ";k", "v"},
        {"A", "[k", "v]"},  {"A", "[k]", "v"},
    };
    for (const auto &r : refused) {
        const auto edit = profileEdit(file, QString::fromUtf8(r.section), QString::fromUtf8(r.key),
                                      QString::fromUtf8(r.value));
        EXPECT_FALSE(edit.ok()) << r.section << "/" << r.key << "/" << r.value;
        EXPECT_EQ(edit.bytes, file);
    }
    const QString halfCharacter(1, QChar(0xD83D));
    EXPECT_FALSE(profileEdit(file, QStringLiteral("A"), QStringLiteral("k"), halfCharacter).ok());
}

} // namespace
