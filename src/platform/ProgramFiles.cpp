#include "platform/ProgramFiles.h"

#include "formats/IconFile.h"
#include "formats/VersionBlock.h"
#include "platform/FileByteSource.h"
#include "platform/Files.h"
#include "platform/IconImage.h"

namespace menu::platform {

VersionBlock FileVersionReader::load(const QString &path) const
{
    const auto source = FileByteSource::open(path);
    if (!source) {
        // A file that cannot be opened has no version information the launcher can see.
        return {isFile(path) ? VersionBlock::Status::NoVersionInfo : VersionBlock::Status::NoFile,
                {}};
    }
    auto block = formats::findVersionBlock(*source);
    if (!block)
        return {VersionBlock::Status::NoVersionInfo, {}};
    return {VersionBlock::Status::Loaded, std::move(*block)};
}

QImage FileIconReader::largeIcon(const QString &path) const
{
    const auto source = FileByteSource::open(path);
    if (!source)
        return {};
    const auto icon = formats::firstIconFile(*source, kLargeIconSize);
    if (!icon)
        return {};
    return sharedIconImage(*icon, kLargeIconSize);
}

} // namespace menu::platform
