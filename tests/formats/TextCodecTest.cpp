#include "formats/TextCodec.h"

#include <gtest/gtest.h>
#include <set>

using menu::formats::CodePage;
using menu::formats::decodeCodePage;
using menu::formats::encodeCodePage;
using menu::formats::isValidUtf8;

namespace {

TEST(TextCodec, EveryByteRoundTrips)
{
    for (const CodePage page : {CodePage::Windows1250, CodePage::Cp852}) {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString text = decodeCodePage(page, all);
        ASSERT_EQ(text.size(), 256);
        EXPECT_EQ(std::set<char16_t>(text.utf16(), text.utf16() + 256).size(), 256u);
        EXPECT_EQ(encodeCodePage(page, text), all);
    }
}

TEST(TextCodec, SlovakLetters)
{
    const QString letters = QStringLiteral("áäčďéíĺľňóôŕšťúýžÁÄČĎÉÍĹĽŇÓÔŔŠŤÚÝŽ");
    EXPECT_EQ(encodeCodePage(CodePage::Windows1250, letters),
              QByteArray("\xE1\xE4\xE8\xEF\xE9\xED\xE5\xBE\xF2\xF3\xF4\xE0\x9A\x9D\xFA\xFD\x9E"
                         "\xC1\xC4\xC8\xCF\xC9\xCD\xC5\xBC\xD2\xD3\xD4\xC0\x8A\x8D\xDA\xDD\x8E"));
    EXPECT_EQ(encodeCodePage(CodePage::Cp852, letters),
              QByteArray("\xA0\x84\x9F\xD4\x82\xA1\x92\x96\xE5\xA2\x93\xEA\xE7\x9C\xA3\xEC\xA7"
                         "\xB5\x8E\xAC\xD2\x90\xD6\x91\x95\xD5\xE0\xE2\xE8\xE6\x9B\xE9\xED\xA6"));
    EXPECT_FALSE(encodeCodePage(CodePage::Windows1250, QStringLiteral("ж")));
    EXPECT_FALSE(encodeCodePage(CodePage::Cp852, QStringLiteral("€")));
    EXPECT_EQ(encodeCodePage(CodePage::Windows1250, QStringLiteral("žж€"), '?'),
              QByteArray("\x9E?\x80"));
}

TEST(TextCodec, Utf8Validity)
{
    const struct {
        QByteArray bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"ascii", true},
        {"\xC5\xA1\xE2\x82\xAC\xF0\x9F\x98\x80", true},
        {"\x9A", false},             // a continuation byte alone
        {"\xC5", false},             // cut short
        {"\xC0\xAF", false},         // overlong
        {"\xE0\x80\xAF", false},     // overlong
        {"\xED\xA0\x80", false},     // a surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xE8\x0A", false}, // Windows-1250 'č' before a line break
    };
    for (const auto &c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes.toHex().constData();
}

} // namespace
