#include "platform/LibraryText.h"

#include <QStringDecoder>

#include <clocale>

namespace menu::platform {

void prepareLibraryTexts()
{
    // Only the conversions of characters: numbers and times keep the C library's own format.
    std::setlocale(LC_CTYPE, "");
}

QString libraryText(const char *text)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(QByteArrayView(text));
    if (!utf8.hasError())
        return decoded;
    // The locale "" chose the ANSI code page, which is what Qt's local 8-bit is on Windows.
    return QString::fromLocal8Bit(text);
}

} // namespace menu::platform
