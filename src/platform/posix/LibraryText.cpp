#include "platform/LibraryText.h"

namespace menu::platform {

void prepareLibraryTexts() {}

QString libraryText(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace menu::platform
