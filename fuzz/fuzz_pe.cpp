// Program files from outside: the PE resource walk, the ELF section lookup, the version block
// and the icon directory, all fed from memory.
#include "formats/ByteSource.h"
#include "formats/ElfSection.h"
#include "formats/IconFile.h"
#include "formats/VersionBlock.h"
#include "platform/IconImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace menu::formats;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const MemoryByteSource source(bytes);
    const QString slovak = QString::fromLatin1(kSlovakTable);

    if (const auto block = findVersionBlock(source)) {
        (void)versionValue(*block, slovak, QStringLiteral("FileVersion"));
        (void)versionValue(*block, QString::fromLatin1(kEnglishTable),
                           QStringLiteral("ProductVersion"));
    }
    (void)elfSection(source, kVersionSectionName, 0xFFFF);
    // The input taken as a version block itself.
    (void)versionValue(bytes, slovak, QStringLiteral("FileDatum"));

    if (const auto icon = firstIconFile(source, 32))
        (void)menu::platform::decodeIconFile(*icon, 32);
    return 0;
}
