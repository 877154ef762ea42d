// Desktop entries: the quoting of Exec and the escapes of values, which a desktop undoes in
// that order (the value's escapes first, then the quotes).
#include "formats/DesktopEntry.h"

#include <QList>

#include <gtest/gtest.h>

using menu::formats::DesktopEntryData;
using menu::formats::desktopEntryEncode;

namespace {

TEST(DesktopEntry, QuotesTheProgramAndEscapesEachValue)
{
    const struct {
        const char *program;
        const char *dir;
        const char *exec; // the Exec line as written
        const char *path; // the Path line as written
    } cases[] = {
        {"/d/ORVAN/MENU/menu", "/d/ORVAN/MENU/", "Exec=\"/d/ORVAN/MENU/menu\"",
         "Path=/d/ORVAN/MENU/"},
        {"/Účtovníctvo 2024/m", "/Účtovníctvo 2024/", "Exec=\"/Účtovníctvo 2024/m\"",
         "Path=/Účtovníctvo 2024/"},
        // $ ` " \ take a backslash inside the quotes, and every backslash is then doubled.
        {"/a $x `y` \"q\"/m", "/a $x/", "Exec=\"/a \\\\$x \\\\`y\\\\` \\\\\"q\\\\\"/m\"",
         "Path=/a $x/"},
        {"/a\\b/m", "/a\\b/", "Exec=\"/a\\\\\\\\b/m\"", "Path=/a\\\\b/"},
        // A percent sign is not a field code; such a program is started through env.
        {"/100% /m", "/100% /", "Exec=env \"/100%% /m\"", "Path=/100% /"},
        {"/n\nl/m", " /lead", "Exec=\"/n\\nl/m\"", "Path=\\s/lead"},
    };
    for (const auto &c : cases) {
        const auto entry =
            desktopEntryEncode({QStringLiteral("ORVAN"), QString::fromUtf8(c.program),
                                QString::fromUtf8(c.dir), QStringLiteral("x.png")});
        ASSERT_TRUE(entry.ok()) << c.program;
        const QList<QByteArray> lines = entry->split('\n');
        EXPECT_TRUE(lines.contains(QByteArray(c.exec))) << entry->toStdString();
        EXPECT_TRUE(lines.contains(QByteArray(c.path))) << entry->toStdString();
        EXPECT_EQ(lines.first(), QByteArray("[Desktop Entry]"));
        EXPECT_TRUE(lines.contains(QByteArray("Type=Application")));
        EXPECT_TRUE(lines.contains(QByteArray("Name=ORVAN")));
        EXPECT_TRUE(lines.contains(QByteArray("Icon=x.png")));
    }
}

TEST(DesktopEntry, RefusesWhatItCannotHold)
{
    const DesktopEntryData refused[] = {
        {QStringLiteral("ORVAN"), QString(), QStringLiteral("/d/"), QString()},
        {QStringLiteral("ORVAN"), QStringLiteral("/d/m") + QChar(0), QString(), QString()},
        {QStringLiteral("OR") + QChar(0), QStringLiteral("/d/m"), QString(), QString()},
    };
    for (const DesktopEntryData &data : refused) {
        const auto entry = desktopEntryEncode(data);
        ASSERT_FALSE(entry.ok());
        EXPECT_TRUE(entry.failure().is(std::errc::invalid_argument));
    }
    // Without a working directory or an icon, their keys are left out.
    const auto bare = desktopEntryEncode({QStringLiteral("ORVAN"), QStringLiteral("/d/m"), {}, {}});
    ASSERT_TRUE(bare.ok());
    EXPECT_FALSE(bare->contains("Path="));
    EXPECT_FALSE(bare->contains("Icon="));
}

} // namespace
