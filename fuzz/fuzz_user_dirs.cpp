// The user-dirs.dirs file is the user's to edit: any bytes must give a desktop path that is
// absolute and without a trailing slash, or none.
#include "formats/UserDirs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto desktop = menu::formats::xdgDesktopDir(bytes, QStringLiteral("/home/jana"));
    if (desktop) {
        if (!desktop->startsWith(QLatin1Char('/')))
            std::abort();
        if (desktop->size() > 1 && desktop->endsWith(QLatin1Char('/')))
            std::abort();
    }
    return 0;
}
