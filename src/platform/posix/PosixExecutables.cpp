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
        const auto source = core::FileByteSource::open(path);
        if (!source) {
            // A file that cannot be opened has no version information the launcher can see.
            return {core::fileExists(path) ? VersionBlock::Status::NoVersionInfo
                                           : VersionBlock::Status::NoFile,
                    {}};
        }
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
