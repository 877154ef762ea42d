// Response header lines come from any server: reading the length must end in a number, -1 or
// a refusal with its text, whatever the line holds.
#include "core/Download.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Lines reach the parser as Latin-1 text, exactly as the client hands them on.
    const QString line =
        QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const menu::Result<qint64> length = menu::core::contentLengthOf(line);
    const bool named = line.contains(QLatin1String("Content-Length:"));
    if (length.ok() ? *length != -1 && !named : !named || length.failure().detail.isEmpty())
        std::abort();
    return 0;
}
