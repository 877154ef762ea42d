// Profile strings on this system: the launcher's own INI engine with the Windows rules.
#pragma once

#include "core/ProfileFile.h"
#include "platform/platform.h"

#include <QHash>
#include <chrono>
#include <memory>
#include <mutex>

namespace menu::platform {

// Every read answers from the file as it is at that moment. What was read of a file is kept
// while the file's stamp (identity, size, permissions, change times to the nanosecond) stays
// the same, checked at every read, so that building a menu does not scan each module file
// once per value.
class PosixProfileStore : public ProfileStore {
  public:
    // A file whose status changed less than this long before it was read may be changed
    // again without a visible change of its stamp; until it is older it is read anew at every
    // read.
    static constexpr std::chrono::nanoseconds kSettledAge{core::kStampSettledNs};

    explicit PosixProfileStore(std::chrono::nanoseconds settledAge = kSettledAge);
    ~PosixProfileStore() override;

    std::optional<QString> read(const QString &file, const QString &section,
                                const QString &key) const override;
    bool write(const QString &file, const QString &section, const QString &key,
               const QString &value) override;

    // The system's reason for the last failed write (empty after a successful one).
    QString lastError() const { return lastError_; }
    // How many times the content of a file has been read.
    std::size_t fileReads() const;

  private:
    struct Known;

    std::chrono::nanoseconds settledAge_;
    mutable std::mutex mutex_;
    mutable QHash<QString, std::shared_ptr<const Known>> known_;
    mutable std::size_t fileReads_ = 0;
    QString lastError_;
};

} // namespace menu::platform
