#include "platform/posix/PosixProfileStore.h"

#include "core/ProfileFile.h"

namespace menu::platform {

std::optional<QString> PosixProfileStore::read(const QString &file, const QString &section,
                                               const QString &key) const
{
    return core::profileRead(file, section, key);
}

bool PosixProfileStore::write(const QString &file, const QString &section, const QString &key,
                              const QString &value)
{
    lastError_.clear();
    return core::profileWrite(file, section, key, value, &lastError_);
}

} // namespace menu::platform
