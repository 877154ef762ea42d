// Version information and icons read from program files by the launcher's own readers, so
// that both systems show exactly the same versions and pictures.
#pragma once

#include "platform/Executables.h"

namespace menu::platform {

class FileVersionReader final : public VersionReader {
  public:
    VersionBlock load(const QString &path) const override;
};

class FileIconReader final : public IconReader {
  public:
    QImage largeIcon(const QString &path) const override;
};

} // namespace menu::platform
