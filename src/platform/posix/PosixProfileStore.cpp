#include "platform/posix/PosixProfileStore.h"

#include "core/ProfileFile.h"

namespace menu::platform {

namespace {
// Only the launcher's own file and the module files are read; a reader of many files keeps
// what it read of the latest few.
constexpr qsizetype kKnownFilesMax = 64;
} // namespace

// A settled file: its stamp alone tells whether it changed since.
struct PosixProfileStore::Known {
    core::FileStamp stamp;
    core::ProfileIndex index;
};

PosixProfileStore::PosixProfileStore(std::chrono::nanoseconds settledAge) : settledAge_(settledAge)
{
}

PosixProfileStore::~PosixProfileStore() = default;

std::optional<QString> PosixProfileStore::read(const QString &file, const QString &section,
                                               const QString &key) const
{
    const std::lock_guard lock(mutex_);
    const auto stamp = core::fileStampOf(file);
    const auto found = known_.find(file);
    if (!stamp) {
        if (found != known_.end())
            known_.erase(found);
        return std::nullopt;
    }
    if (found != known_.end() && found.value()->stamp == *stamp)
        return found.value()->index.lookup(section, key);
    if (found != known_.end())
        known_.erase(found);

    // Taken before the read: a change after it gets a later change time than a settled one.
    const std::int64_t readAt = core::stampClockNs();
    core::FileStamp readStamp;
    const auto bytes = core::profileFileBytes(file, &readStamp);
    ++fileReads_;
    if (!bytes)
        return std::nullopt;
    // A file still changing is scanned for the one value, as if nothing were kept.
    if (readStamp.changedNs >= readAt - settledAge_.count())
        return core::profileLookup(*bytes, section, key);
    if (known_.size() >= kKnownFilesMax)
        known_.clear();
    const auto known = std::make_shared<const Known>(Known{readStamp, core::ProfileIndex(*bytes)});
    known_.insert(file, known);
    return known->index.lookup(section, key);
}

bool PosixProfileStore::write(const QString &file, const QString &section, const QString &key,
                              const QString &value)
{
    lastError_.clear();
    {
        const std::lock_guard lock(mutex_);
        known_.remove(file);
    }
    return core::profileWrite(file, section, key, value, &lastError_);
}

std::size_t PosixProfileStore::fileReads() const
{
    const std::lock_guard lock(mutex_);
    return fileReads_;
}

} // namespace menu::platform
