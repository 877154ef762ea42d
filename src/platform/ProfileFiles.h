// Profile strings read from and written to INI files with the rules of the Windows profile
// functions (formats/ProfileText.h), on either system.
//
// Every read answers from the file as it is at that moment. What was read of a file is kept
// while the file's stamp (identity, size, permissions, change times) stays the same, checked at
// every read, so that building a menu does not scan each module file once per value; reads
// never take the lock. Writes change lines and replace the file atomically, holding the file's
// lock (FileLock.h) from the read to the replacement; a file that exists but cannot be read, or
// may not be written, is never replaced.
#pragma once

#include "platform/Files.h"
#include "platform/Services.h"

#include <QHash>
#include <chrono>
#include <memory>
#include <mutex>

namespace menu::platform {

class ProfileFiles : public ProfileStore {
  public:
    // A file whose status changed less than this long before it was read may be changed
    // again without a visible change of its stamp; until it is older it is read anew at every
    // read.
    static constexpr std::chrono::nanoseconds kSettledAge{kStampSettledNs};

    explicit ProfileFiles(std::chrono::nanoseconds settledAge = kSettledAge);
    ~ProfileFiles() override;

    std::optional<QString> read(const QString &file, const QString &section,
                                const QString &key) const override;
    std::shared_ptr<const formats::ProfileIndex> readAll(const QString &file) const override;
    Status write(const QString &file, const QString &section, const QString &key,
                 const QString &value) override;
    Status writeValues(const QString &file, const QList<Value> &values,
                       const LockWait &wait) override;

    // How many times the content of a file has been read.
    std::size_t fileReads() const;

  private:
    struct Known;
    Status writeHolding(const QString &file, const QList<Value> &values);

    std::chrono::nanoseconds settledAge_;
    mutable std::mutex mutex_;
    mutable QHash<QString, std::shared_ptr<const Known>> known_;
    mutable std::size_t fileReads_ = 0;
};

} // namespace menu::platform
