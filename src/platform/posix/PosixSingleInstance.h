#pragma once

#include "platform/Services.h"
#include "platform/posix/UniqueFd.h"

#include <QLocalServer>

#include <memory>

namespace menu::platform {

// One launcher per user: a lock file plays the named mutex, a local socket beside it lets a
// later start ask the running launcher to bring its window forward. Both live in a directory
// of this user alone (privateRuntimeDir), so another user's files can never stand in for them.
class PosixSingleInstance final : public SingleInstance {
  public:
    // name: the mutex name, which names the two files.
    explicit PosixSingleInstance(const QString &name);
    ~PosixSingleInstance() override;

    bool raiseRunning() override;
    Claim claim() override;
    Failure claimFailure() const override { return failure_; }
    void listen(std::function<void()> onRaise) override;

  private:
    bool heldElsewhere() const;

    QString socketPath_;
    QString lockPath_;
    UniqueFd lock_;
    Failure failure_;
    std::unique_ptr<QLocalServer> server_;
};

// A directory only this user can use: $XDG_RUNTIME_DIR when it is the user's own (owned by
// the user, mode 0700, no link), else $XDG_CACHE_HOME/orvan-menu (~/.cache/orvan-menu), made
// with mode 0700 or narrowed to it. Empty when neither can be had.
QString privateRuntimeDir();
// The folder privateRuntimeDir makes in the cache: $XDG_CACHE_HOME/orvan-menu or
// ~/.cache/orvan-menu; empty without a home.
QString privateCacheDir();

} // namespace menu::platform
