#include "platform/LibraryText.h"

#include <QStringDecoder>

namespace menu::platform {

void prepareLibraryTexts()
{
    // Nothing yet: the system's code page (setlocale LC_CTYPE "") was blamed twice for faults
    // under Wine that proved to lie elsewhere, and stays off until a real Windows has shown it
    // harmless. libcurl's system messages keep only the letters the "C" locale converts, and
    // libraryText reads what there is.
}

QString libraryText(const char *text)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(QByteArrayView(text));
    if (!utf8.hasError())
        return decoded;
    // Whatever the C library converted, read as the ANSI code page (Qt's local 8-bit here).
    return QString::fromLocal8Bit(text);
}

} // namespace menu::platform
