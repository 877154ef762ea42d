// A lock for one read-modify-write of a shared file. menu.ini lies beside the launcher, so
// every user of the computer writes it, and every computer when the package is on a network
// drive; each writer holds this lock from its read to the replacement of the file, so that no
// write loses another. The lock is advisory: readers never wait for it.
//
// The lock is taken on a lock file beside the guarded one (menu.ini.lock), never on the
// guarded file itself: that one is replaced by every write, and a waiter would end up guarding
// a file nobody reads any more. The lock file is created once, never replaced and never
// removed, so every writer on every seat locks the same file.
#pragma once

#include "formats/Result.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

namespace menu::platform {

// How long a writer waits for the lock, and what may end the wait early.
struct LockWait {
    // Anyone who can read the lock file can hold it, on any seat: the wait is always bounded.
    // Zero tries once.
    std::chrono::milliseconds limit{0};
    // Asked between tries; true gives up at once (ECANCELED).
    std::function<bool()> cancelled;
};

// A few seconds: long enough for other seats' writes, short enough for a user to wait.
inline constexpr std::chrono::milliseconds kSettingsLockWait{4000};

// The lock file that guards path.
QString lockFileOf(const QString &path);

// The pauses between the tries of one wait: short at first, growing, all within wait.limit.
class RetryPause {
  public:
    explicit RetryPause(const LockWait &wait);
    // Sleeps before the next try; false (and no sleep) when no try is left: cancelled() tells
    // why.
    bool next();
    bool cancelled() const { return cancelled_; }

  private:
    const LockWait &wait_;
    std::chrono::steady_clock::time_point deadline_;
    std::chrono::milliseconds pause_{1};
    bool cancelled_ = false;
};

class FileLock {
  public:
    // Holds the lock of the file at path (its lock file, created when missing) once no other
    // holder has it, within wait. A holder that stays past the wait gives EBUSY; a cancelled
    // wait ECANCELED; a lock file that cannot be opened the system's reason.
    static Result<FileLock> acquire(const QString &path, const LockWait &wait);

    FileLock(FileLock &&) noexcept;
    FileLock &operator=(FileLock &&) noexcept;
    // Releases the lock.
    ~FileLock();

  private:
    struct Native;
    explicit FileLock(std::unique_ptr<Native> native);
    std::unique_ptr<Native> native_;
};

} // namespace menu::platform
