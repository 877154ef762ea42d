// Files as the launcher needs them, on either system. Every failure carries the system's
// reason (see Result.h) and the path it concerns.
#pragma once

#include "formats/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

namespace menu::platform {

// The path as the system shows it to its users (backslashes on Windows).
QString nativePath(const QString &path);

// The user's directory for temporary files, without a trailing separator.
QString temporaryDirectory();

// The launcher's directory in the user's own settings storage (not the shared drive), which
// only this user may write; it may not exist yet.
QString userDataDirectory();

// True when a regular file (not a directory) exists at path, links followed.
bool isFile(const QString &path);
// True when anything exists at path, links followed.
bool exists(const QString &path);
bool isDirectory(const QString &path);

// The whole content of a regular file, read without blocking on anything that is not one (a
// pipe in place of a profile file must not hang the launcher). A missing file gives ENOENT,
// a directory EISDIR, anything else that is no regular file EINVAL, one above maxBytes EFBIG.
Result<QByteArray> readWholeFile(const QString &path, qint64 maxBytes);

// What tells one state of a file from another: its identity, size, permission bits, and the
// times of its last change of content and of status, to the nanosecond.
struct FileStamp {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0;
    std::uint32_t mode = 0;
    std::int64_t modifiedNs = 0, changedNs = 0;
    bool operator==(const FileStamp &) const = default;
};

// The stamp of the file at path now (links followed); nothing when there is none.
std::optional<FileStamp> fileStamp(const QString &path);
// The same file read whole together with the stamp it had when read.
struct StampedContent {
    QByteArray bytes;
    FileStamp stamp;
};
Result<StampedContent> readStampedFile(const QString &path, qint64 maxBytes);

// The time on the clock that stamps files (real time), in nanoseconds.
std::int64_t stampClockNs();
// How long after its last change a file's stamp is trusted to show the next one: a change
// within the same tick of the file system's clock leaves the stamp as it was, and coarse file
// systems keep times to two seconds.
inline constexpr std::int64_t kStampSettledNs = 3'000'000'000;

// The names in a directory, without "." and "..".
Result<QStringList> directoryEntries(const QString &dir);

// The path of an existing entry named name in dir, matched without case where the system's
// names have case (the exact name first, else the first of the names that differ only in case
// in code-point order); nothing when there is none. Listings of directories that have not
// changed lately (before nowNs, on the stamp clock, less kStampSettledNs) are kept, so that a
// menu of many targets lists each directory once.
std::optional<QString> entryWithoutCase(const QString &dir, const QString &name,
                                        std::int64_t nowNs = stampClockNs());

// Writes a new file at path with bytes, readable by everyone; never replaces anything that is
// there (EEXIST), and a failure leaves nothing behind.
Status writeNewFile(const QString &path, const QByteArray &bytes);

Status removeFile(const QString &path);
// Creates dir and the directories above it as needed.
Status makeDirectories(const QString &dir);

// Whether the existing file at path (links followed) may be given new content: it must allow
// writing, and one without any write permission is read-only even for an administrator, as a
// file with the read-only attribute is on Windows.
Status mayReplace(const QString &path);

// Free bytes for an unprivileged writer below dir; nothing when unknown.
std::optional<qint64> freeBytes(const QString &dir);

// A regular file open for reading at any offset.
class ReadOnlyFile {
  public:
    // Refuses anything that is not a regular file; never blocks on a pipe.
    static Result<ReadOnlyFile> open(const QString &path);
    ReadOnlyFile(ReadOnlyFile &&) noexcept;
    ReadOnlyFile &operator=(ReadOnlyFile &&) noexcept;
    ~ReadOnlyFile();

    std::uint64_t size() const { return size_; }
    // Exactly length bytes at offset into into; false on an error or when the file is shorter.
    bool readAt(std::uint64_t offset, char *into, std::size_t length) const;

  private:
    struct Native;
    ReadOnlyFile(std::unique_ptr<Native> native, std::uint64_t size);
    std::unique_ptr<Native> native_;
    std::uint64_t size_ = 0;
};

} // namespace menu::platform
