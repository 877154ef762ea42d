// 8-bit code pages met in the package's files: Windows-1250 (profile files written on a
// Slovak Windows) and the DOS code page 852 (names in ZIP archives without the UTF-8 flag),
// plus a strict UTF-8 check to tell UTF-8 text from 8-bit text.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

namespace menu::formats {

enum class CodePage { Windows1250, Cp852 };

// Every byte decodes to one character (bytes without a character of their own in
// Windows-1250 become the C1 control of the same value, as Windows maps them).
QString decodeCodePage(CodePage page, const char *bytes, qsizetype size);
inline QString decodeCodePage(CodePage page, const QByteArray &bytes)
{
    return decodeCodePage(page, bytes.constData(), bytes.size());
}

// The bytes of text, or nothing when a character has no byte in the code page.
std::optional<QByteArray> encodeCodePage(CodePage page, QStringView text);
// The bytes of text, with replacement for each character the code page lacks (as the system's
// own conversion writes '?').
QByteArray encodeCodePage(CodePage page, QStringView text, char replacement);

// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool isValidUtf8(const char *bytes, qsizetype size);
inline bool isValidUtf8(const QByteArray &bytes)
{
    return isValidUtf8(bytes.constData(), bytes.size());
}

// True when no byte is above 0x7F.
bool isAscii(const char *bytes, qsizetype size);

} // namespace menu::formats
