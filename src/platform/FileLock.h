// A lock for one read-modify-write of a shared file. menu.ini lies beside the launcher, so
// every user of the computer writes it, and every computer when the package is on a network
// drive; each writer holds this lock from its read to the replacement of the file, so that no
// write loses another. The lock is advisory: readers never wait for it.
#pragma once

#include "formats/Result.h"

#include <QString>

#include <memory>

namespace menu::platform {

class FileLock {
  public:
    // Waits until this process holds the lock of the file at path (links followed). A file
    // replaced or removed while this waits is noticed, and the one there now is locked. A
    // missing file is created empty to carry the lock.
    static Result<FileLock> acquire(const QString &path);

    FileLock(FileLock &&) noexcept;
    FileLock &operator=(FileLock &&) noexcept;
    // Releases the lock.
    ~FileLock();

    // Whether acquire created the file.
    bool createdFile() const;
    // Removes the file acquire created, while it is still the one at the path: the write it
    // was created for failed, and no empty file may stay in its place.
    void removeCreatedFile();

  private:
    struct Native;
    explicit FileLock(std::unique_ptr<Native> native);
    std::unique_ptr<Native> native_;
};

} // namespace menu::platform
