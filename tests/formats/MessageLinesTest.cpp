// Line breaks of message texts: each CR LF, lone CR and lone LF is one break.
#include "formats/MessageLines.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageLines, EachKindOfBreakIsOneLine)
{
    const struct {
        const char *text;
        const char *shown;
    } cases[] = {
        {"", ""},
        {"no break", "no break"},
        {"a\r\nb", "a\nb"},
        {"a\rb", "a\nb"},
        {"a\nb", "a\nb"},
        // Two breaks in a row are an empty line, whatever they are made of.
        {"a\r\n\r\nb", "a\n\nb"},
        {"a\r\rb", "a\n\nb"},
        {"a\n\rb", "a\n\nb"},
        {"a\r\r\nb", "a\n\nb"},
        // Breaks at either end stay.
        {"\r\na\r", "\na\n"},
        {"a\r\n", "a\n"},
        {"\n\r", "\n\n"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(menu::formats::messageLines(QString::fromLatin1(c.text)),
                  QString::fromLatin1(c.shown))
            << QByteArray(c.text).toPercentEncoding().constData();
    }
}

} // namespace
