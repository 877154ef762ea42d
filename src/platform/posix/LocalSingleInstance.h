#pragma once

#include "platform/Services.h"
#include "platform/posix/UniqueFd.h"

#include <QLocalServer>

#include <memory>

namespace menu::platform {

// One launcher per user: a lock file plays the named mutex, a local socket beside it lets a
// later start ask the running launcher to bring its window forward.
class LocalSingleInstance final : public SingleInstance {
public:
    // name: the mutex name; the files go into $XDG_RUNTIME_DIR (else the temporary directory)
    // and carry the user id, so users of one machine do not see each other.
    explicit LocalSingleInstance(const QString &name);
    ~LocalSingleInstance() override;

    bool raiseRunning() override;
    bool claim() override;
    void listen(std::function<void()> onRaise) override;

    QString socketPath() const { return socketPath_; }

private:
    QString socketPath_;
    QString lockPath_;
    UniqueFd lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace menu::platform
