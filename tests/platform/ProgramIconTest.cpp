#include "formats/ByteSource.h"
#include "formats/IconFile.h"
#include "platform/IconImage.h"
#include "platform/ProgramFiles.h"
#include "support/TempDir.h"
#include "support/PeFixtures.h"

#include <gtest/gtest.h>

#include <QColor>

using namespace menu::test;

namespace {

QImage largeIcon(const QString &path)
{
    return menu::platform::FileIconReader().largeIcon(path);
}

void expectRoundIcon(const QImage &icon, QRgb colour)
{
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.format(), QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "corner outside the circle";
    const QRgb centre = icon.pixel(16, 16);
    EXPECT_EQ(qAlpha(centre), 255);
    EXPECT_EQ(centre & 0xFFFFFF, colour & 0xFFFFFF);
}

TEST(ProgramIcon, TakesTheImageNearestTheLargeIconSize)
{
    // The fixtures' icon has a red 48, a blue 32 and a green 16 pixel image.
    for (const char *name : {"slovak.exe", "slovak32.exe", "three-sizes.ico"}) {
        SCOPED_TRACE(name);
        expectRoundIcon(largeIcon(peFixture(name)), qRgb(0, 0, 255));
    }
}

TEST(ProgramIcon, ScalesAPngImageToTheLargeIconSize)
{
    for (const char *name : {"empty-version.exe", "big.ico"}) {
        SCOPED_TRACE(name);
        expectRoundIcon(largeIcon(peFixture(name)), qRgb(0, 0xC0, 0));
    }
}

// Copies of a program share one decoded picture; a file changed in place shows its new icon.
TEST(ProgramIcon, SameIconSharedChangedFileShowsItsNewIcon)
{
    TempDir dir;
    const QString first = dir.write(QStringLiteral("a/tav.exe"), readAll(peFixture("slovak.exe")));
    const QString second = dir.write(QStringLiteral("b/tav.exe"), readAll(peFixture("slovak.exe")));
    const QImage one = largeIcon(first);
    ASSERT_FALSE(one.isNull());
    EXPECT_EQ(largeIcon(second).cacheKey(), one.cacheKey());

    dir.write(QStringLiteral("a/tav.exe"), readAll(peFixture("empty-version.exe")));
    const QImage changed = largeIcon(first);
    EXPECT_NE(changed.cacheKey(), one.cacheKey());
    expectRoundIcon(changed, qRgb(0, 0xC0, 0));
}

TEST(ProgramIcon, NothingForFilesWithoutAUsableIcon)
{
    TempDir dir;
    const QStringList paths = {
        peFixture("english.exe"),
        peFixture("no-resources.exe"),
        QStringLiteral(MENU_PATH),
        dir.write(QStringLiteral("readme.txt"), "text"),
        dir.write(QStringLiteral("empty.ico"), QByteArray()),
        dir.write(QStringLiteral("header-only.ico"), QByteArray("\0\0\1\0\1\0", 6)),
        dir.path(),
        dir.file(QStringLiteral("missing.exe")),
        QStringLiteral("/dev/zero"),
    };
    for (const QString &path : paths)
        EXPECT_TRUE(largeIcon(path).isNull()) << path.toStdString();
}

// A one-image .ico with a bottom-up 32 x 32 DIB of the given depth whose pixels are all red
// (colour index 1, or BGRA with alpha 0), and a mask that hides the left half.
QByteArray maskedIcon(int bits)
{
    QByteArray dib;
    auto put = [&dib](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            dib.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put(40, 4);
    put(32, 4);
    put(64, 4); // picture and mask
    put(1, 2);
    put(static_cast<std::uint32_t>(bits), 2);
    for (int i = 0; i < 6; ++i)
        put(0, 4);
    if (bits == 4) {
        put(0x000000, 4);
        put(0xFF0000, 4); // RGBQUAD of red
        for (int i = 2; i < 16; ++i)
            put(0, 4);
        dib.append(QByteArray(32 * 16, '\x11'));
    } else {
        for (int i = 0; i < 32 * 32; ++i)
            put(0x00FF0000, 4);
    }
    for (int row = 0; row < 32; ++row)
        dib.append(QByteArray("\xFF\xFF\x00\x00", 4));

    QByteArray icon("\0\0\1\0\1\0", 6);
    icon.append(QByteArray("\x20\x20", 2));
    icon.append(static_cast<char>(bits == 4 ? 16 : 0));
    icon.append('\0');
    icon.append(QByteArray("\1\0", 2));
    icon.append(static_cast<char>(bits));
    icon.append('\0');
    const auto size = static_cast<std::uint32_t>(dib.size());
    for (int i = 0; i < 4; ++i)
        icon.append(static_cast<char>((size >> (8 * i)) & 0xFF));
    icon.append(QByteArray("\x16\0\0\0", 4));
    icon.append(dib);
    return icon;
}

TEST(ProgramIcon, MaskHidesPixelsOfImagesWithoutAlpha)
{
    TempDir dir;
    for (int bits : {4, 32}) {
        SCOPED_TRACE(bits);
        const QString path = dir.write(QStringLiteral("masked%1.ico").arg(bits), maskedIcon(bits));
        const QImage icon = largeIcon(path);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(qAlpha(icon.pixel(3, 10)), 0);
        EXPECT_EQ(icon.pixel(24, 10), qRgba(255, 0, 0, 255));
    }
}

TEST(ProgramIcon, DamagedFilesNeverGiveABrokenPicture)
{
    const QByteArray pe = readAll(peFixture("slovak.exe"));
    const auto whole = menu::formats::firstIconFile(menu::formats::MemoryByteSource(pe), 32);
    ASSERT_TRUE(whole);
    for (qsizetype length = 0; length < pe.size(); ++length) {
        const menu::formats::MemoryByteSource cut(pe.left(length));
        const auto icon = menu::formats::firstIconFile(cut, 32);
        if (icon) {
            EXPECT_EQ(*icon, *whole) << length;
        }
    }
    // The decoder meets cut images too, when the directory overstates them.
    for (qsizetype length = 0; length < whole->size(); length += 7)
        (void)menu::platform::decodeIconFile(whole->left(length), 32);
}

} // namespace
