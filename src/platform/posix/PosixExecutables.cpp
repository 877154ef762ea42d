// Version information and icons read from the files themselves, as no system service here
// knows the formats of Windows programs.
#include "platform/Executables.h"

#include "core/ByteSource.h"
#include "core/PackagePaths.h"
#include "core/ProgramIcon.h"
#include "core/VersionInfo.h"

namespace menu::platform {

namespace {

class PosixVersionReader final : public VersionReader {
public:
    VersionBlock load(const QString &path) const override
    {
        if (!core::fileExists(path))
            return {VersionBlock::Status::NoFile, {}};
        // A file that cannot be opened has no version information the launcher can see.
        const auto source = core::FileByteSource::open(path);
        if (!source)
            return {VersionBlock::Status::NoVersionInfo, {}};
        auto block = core::findVersionBlock(*source);
        if (!block)
            return {VersionBlock::Status::NoVersionInfo, {}};
        return {VersionBlock::Status::Loaded, std::move(*block)};
    }
};

class PosixIconReader final : public IconReader {
public:
    QImage largeIcon(const QString &path) const override
    {
        return core::loadFirstIcon(path, kLargeIconSize);
    }
};

} // namespace

const VersionReader &systemVersionReader()
{
    static const PosixVersionReader reader;
    return reader;
}

const IconReader &systemIconReader()
{
    static const PosixIconReader reader;
    return reader;
}

} // namespace menu::platform
