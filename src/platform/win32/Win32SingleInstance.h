#pragma once

#include "platform/Services.h"
#include "platform/win32/UniqueHandle.h"

#include <QWinEventNotifier>

#include <memory>

namespace menu::platform {

// One launcher per user session: the named mutex is the claim. Beside it a named event lets a
// later start ask the running launcher to bring its window forward; the later start allows
// the running one to take the foreground, which Windows grants only to the process the user
// last worked with.
class Win32SingleInstance final : public SingleInstance {
  public:
    // name: the mutex's name ("Orvan-Menu"); the event is name + "-raise". Both live in the
    // session's namespace, so users of one computer do not see each other's.
    explicit Win32SingleInstance(const QString &name);
    ~Win32SingleInstance() override;

    bool raiseRunning() override;
    Claim claim() override;
    Failure claimFailure() const override { return failure_; }
    void listen(std::function<void()> onRaise) override;

  private:
    // Whether another process owns the mutex now.
    bool heldElsewhere() const;

    QString name_;
    win32::UniqueHandle mutex_;
    Failure failure_;
    win32::UniqueHandle raise_;
    std::unique_ptr<QWinEventNotifier> notifier_;
};

} // namespace menu::platform
