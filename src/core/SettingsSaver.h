// Writes of menu.ini that never make the user-interface thread wait for another writer. A
// round first runs at once, without waiting for the lock; when another seat or user holds it,
// the round runs again on a worker, which waits a few seconds at most, and its outcome arrives
// later on the user-interface thread. Rounds keep the order in which they were asked for, and
// none waits longer than the wait from the moment it was asked for.
#pragma once

#include "core/BackgroundJob.h"
#include "formats/Result.h"
#include "platform/FileLock.h"

#include <QObject>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace menu::core {

class SettingsSaver : public QObject {
    Q_OBJECT
  public:
    // One locked round of writes; it may run on a worker, so it owns what it writes.
    using Round = std::function<Status(const platform::LockWait &wait)>;
    using Done = std::function<void(const Status &saved)>;

    explicit SettingsSaver(std::chrono::milliseconds wait = platform::kSettingsLockWait,
                           QObject *parent = nullptr);
    // Gives up a waiting round and waits for its worker.
    ~SettingsSaver() override;

    // The round's outcome when it ran at once; nothing when it waits for the lock (or behind
    // an earlier round that does): done then gets the outcome on this thread, unless cancel()
    // came first.
    std::optional<Status> save(Round round, Done done);
    // Gives up every round not yet done, without calling their done; returns once no round
    // runs any more.
    void cancel();
    // True while a round waits.
    bool waiting() const { return !queue_.empty(); }

  private:
    struct Pending {
        Round round;
        Done done;
        // Each round waits from when it was asked for, not after the rounds before it.
        std::chrono::steady_clock::time_point deadline;
    };
    void startFirst();
    void finishFirst(bool cancelled);

    std::chrono::milliseconds wait_;
    std::deque<Pending> queue_; // the first one runs on job_
    std::shared_ptr<Status> outcome_;
    BackgroundJob job_;
};

} // namespace menu::core
