// Response header lines come from any server: reading the length must end in a number, -1 or
// ContentLengthError, whatever the line holds.
#include "core/Download.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Lines reach the parser as Latin-1 text, exactly as the client hands them on.
    const QString line =
        QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        const std::int32_t value = menu::core::contentLengthOf(line);
        if (value != -1 && !line.contains(QLatin1String("Content-Length:")))
            std::abort();
    } catch (const menu::core::ContentLengthError &) {
        if (!line.contains(QLatin1String("Content-Length:")))
            std::abort();
    }
    return 0;
}
