// The parts of the atomic replacement both systems share.
#include "platform/AtomicFile.h"

namespace menu::platform {

Status replaceFileContent(const QString &target, const QByteArray &bytes,
                          const AtomicFile::Options &options)
{
    Result<AtomicFile> file = AtomicFile::begin(target, options);
    if (!file.ok())
        return file.failure();
    if (Status written = file->write(bytes); !written.ok())
        return written;
    return file->commit();
}

} // namespace menu::platform
