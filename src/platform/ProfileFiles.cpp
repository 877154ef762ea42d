#include "platform/ProfileFiles.h"

#include "formats/ProfileText.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"

#include <algorithm>

namespace menu::platform {

namespace {
// Only the launcher's own file and the module files are read; a reader of many files keeps
// what it read of the latest few.
constexpr qsizetype kKnownFilesMax = 64;
// How long a file that another program keeps from being shared is tried again.
constexpr std::chrono::milliseconds kSharingRetries{1000};
} // namespace

// A settled file: its stamp alone tells whether it changed since.
struct ProfileFiles::Known {
    FileStamp stamp;
    formats::ProfileIndex index;
};

ProfileFiles::ProfileFiles(std::chrono::nanoseconds settledAge) : settledAge_(settledAge) {}

ProfileFiles::~ProfileFiles() = default;

std::optional<QString> ProfileFiles::read(const QString &file, const QString &section,
                                          const QString &key) const
{
    const std::shared_ptr<const formats::ProfileIndex> index = readAll(file);
    if (!index)
        return std::nullopt;
    return index->lookup(section, key);
}

std::shared_ptr<const formats::ProfileIndex> ProfileFiles::readAll(const QString &file) const
{
    const std::lock_guard lock(mutex_);
    const auto stamp = fileStamp(file);
    const auto found = known_.find(file);
    if (!stamp) {
        if (found != known_.end())
            known_.erase(found);
        return nullptr;
    }
    if (found != known_.end() && found.value()->stamp == *stamp)
        return {found.value(), &found.value()->index};
    if (found != known_.end())
        known_.erase(found);

    // Taken before the read: a change after it gets a later change time than a settled one.
    const std::int64_t readAt = stampClockNs();
    Result<StampedContent> content = readStampedFile(file, formats::kProfileFileMax);
    ++fileReads_;
    if (!content.ok())
        return nullptr;
    const auto known =
        std::make_shared<const Known>(Known{content->stamp, formats::ProfileIndex(content->bytes)});
    // A file still changing is not kept: the next read reads it anew.
    if (content->stamp.changedNs < readAt - settledAge_.count()) {
        if (known_.size() >= kKnownFilesMax)
            known_.clear();
        known_.insert(file, known);
    }
    return {known, &known->index};
}

Status ProfileFiles::write(const QString &file, const QString &section, const QString &key,
                           const QString &value)
{
    return writeValues(file, {{section, key, value}}, LockWait{kSettingsLockWait, {}});
}

Status ProfileFiles::writeValues(const QString &file, const QList<Value> &values,
                                 const LockWait &wait)
{
    {
        const std::lock_guard lock(mutex_);
        known_.remove(file);
    }
    if (file.isEmpty())
        return Failure::of(std::errc::no_such_file_or_directory, file);
    // Other launchers write the same file; the lock keeps their writes from being lost. Where
    // no lock file can be made or locked (a folder this user may not add to, a file system
    // without locks) the write still goes ahead, unguarded as it always was; a lock that
    // another writer holds past the wait is never broken.
    const Result<FileLock> held = FileLock::acquire(file, wait);
    if (!held.ok() && (held.failure().is(std::errc::device_or_resource_busy) ||
                       held.failure().is(std::errc::operation_canceled)))
        return held.failure();
    // A file another program has open for a moment without sharing it (a virus scanner, a
    // backup agent) refuses its read or its replacement: tried again after a short pause.
    const LockWait sharing{std::min(wait.limit, kSharingRetries), wait.cancelled};
    RetryPause pause(sharing);
    for (;;) {
        Status written = writeHolding(file, values);
        if (written.ok() || !written.failure().is(std::errc::device_or_resource_busy) ||
            !pause.next())
            return written;
    }
}

Status ProfileFiles::writeHolding(const QString &file, const QList<Value> &values)
{
    Result<QByteArray> content = readWholeFile(file, formats::kProfileFileMax);
    const bool missing =
        !content.ok() && content.failure().is(std::errc::no_such_file_or_directory);
    // A file that exists but cannot be read is never replaced by one holding only the new key.
    if (!content.ok() && !missing)
        return content.failure();
    const QByteArray old = missing ? QByteArray() : *content;
    QByteArray bytes = old;
    for (const Value &value : values) {
        const formats::ProfileEdit edit =
            formats::profileEdit(bytes, value.section, value.key, value.value);
        if (!edit.ok())
            return Failure::of(edit.encodingRefused ? std::errc::illegal_byte_sequence
                                                    : std::errc::invalid_argument,
                               file, edit.error);
        bytes = edit.bytes;
    }
    if (!missing && bytes == old)
        return {};
    if (!missing) {
        if (Status allowed = mayReplace(file); !allowed.ok())
            return allowed;
    }
    // A link at the file stays a link; the file it names is replaced.
    return replaceFileContent(file, bytes, {.followLink = true, .keepMode = true, .durable = true});
}

std::size_t ProfileFiles::fileReads() const
{
    const std::lock_guard lock(mutex_);
    return fileReads_;
}

} // namespace menu::platform
