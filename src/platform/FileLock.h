// An advisory lock on a file between the processes that ask for it (two launchers of one
// package writing menu.ini). It never keeps anyone from reading or replacing the file; it only
// makes a second locker wait or be refused while the first holds it.
#pragma once

#include "formats/Result.h"

#include <QString>

#include <memory>

namespace menu::platform {

class FileLock {
  public:
    enum class Mode { Shared, Exclusive };
    enum class Wait { No, UntilFree };

    // Locks the file at path (made, empty, when missing). Wait::No refuses a lock that another
    // holder keeps with EBUSY.
    static Result<FileLock> lock(const QString &path, Mode mode, Wait wait);

    FileLock(FileLock &&) noexcept;
    FileLock &operator=(FileLock &&) noexcept;
    // Gives the lock back.
    ~FileLock();

  private:
    struct Native;
    explicit FileLock(std::unique_ptr<Native> native);
    std::unique_ptr<Native> native_;
};

} // namespace menu::platform
