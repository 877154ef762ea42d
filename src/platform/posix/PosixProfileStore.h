// Profile strings on this system: the launcher's own INI engine with the Windows rules.
#pragma once

#include "platform/platform.h"

namespace menu::platform {

class PosixProfileStore : public ProfileStore {
  public:
    std::optional<QString> read(const QString &file, const QString &section,
                                const QString &key) const override;
    bool write(const QString &file, const QString &section, const QString &key,
               const QString &value) override;

    // The system's reason for the last failed write (empty after a successful one).
    QString lastError() const { return lastError_; }

  private:
    QString lastError_;
};

} // namespace menu::platform
