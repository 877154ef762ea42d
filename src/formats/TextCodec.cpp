#include "formats/TextCodec.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace menu::formats {

namespace {

using HighHalf = std::array<char16_t, 128>;

// Characters of the bytes 0x80 to 0xFF; the lower half of both pages is ASCII.
// clang-format off
constexpr HighHalf kWindows1250 = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

constexpr HighHalf kCp852 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7,
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106,
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E,
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A,
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE,
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161,
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4,
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,
};
// clang-format on

const HighHalf &highHalf(CodePage page)
{
    return page == CodePage::Cp852 ? kCp852 : kWindows1250;
}

struct ReverseEntry {
    char16_t ch;
    std::uint8_t byte;
};
using Reverse = std::array<ReverseEntry, 128>;

// Character to byte, sorted by character for a binary search.
Reverse makeReverse(const HighHalf &table)
{
    Reverse reverse{};
    for (std::size_t i = 0; i < table.size(); ++i)
        reverse[i] = {table[i], static_cast<std::uint8_t>(0x80 + i)};
    std::sort(reverse.begin(), reverse.end(),
              [](const ReverseEntry &a, const ReverseEntry &b) { return a.ch < b.ch; });
    return reverse;
}

const Reverse &reverseOf(CodePage page)
{
    static const Reverse windows1250 = makeReverse(kWindows1250);
    static const Reverse cp852 = makeReverse(kCp852);
    return page == CodePage::Cp852 ? cp852 : windows1250;
}

std::optional<std::uint8_t> byteOf(const Reverse &reverse, char16_t ch)
{
    if (ch < 0x80)
        return static_cast<std::uint8_t>(ch);
    const auto found = std::lower_bound(
        reverse.begin(), reverse.end(), ch,
        [](const ReverseEntry &entry, char16_t value) { return entry.ch < value; });
    if (found == reverse.end() || found->ch != ch)
        return std::nullopt;
    return found->byte;
}

} // namespace

QString decodeCodePage(CodePage page, const char *bytes, qsizetype size)
{
    const HighHalf &table = highHalf(page);
    QString text(size, Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        out[i] = QChar(byte < 0x80 ? char16_t(byte) : table[byte - 0x80]);
    }
    return text;
}

std::optional<QByteArray> encodeCodePage(CodePage page, QStringView text)
{
    const Reverse &reverse = reverseOf(page);
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = byteOf(reverse, text[i].unicode());
        if (!byte)
            return std::nullopt;
        bytes[i] = static_cast<char>(*byte);
    }
    return bytes;
}

QByteArray encodeCodePage(CodePage page, QStringView text, char replacement)
{
    const Reverse &reverse = reverseOf(page);
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        bytes[i] = static_cast<char>(byteOf(reverse, text[i].unicode()).value_or(replacement));
    return bytes;
}

bool isValidUtf8(const char *bytes, qsizetype size)
{
    const auto *p = reinterpret_cast<const std::uint8_t *>(bytes);
    qsizetype i = 0;
    while (i < size) {
        const std::uint8_t lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        std::uint8_t low = 0x80;  // allowed range of the second byte, against overlong forms,
        std::uint8_t high = 0xBF; // surrogates and values above U+10FFFF
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (size - i < length || p[i + 1] < low || p[i + 1] > high)
            return false;
        for (int k = 2; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

bool isAscii(const char *bytes, qsizetype size)
{
    return std::all_of(bytes, bytes + size,
                       [](char c) { return static_cast<std::uint8_t>(c) < 0x80; });
}

} // namespace menu::formats
