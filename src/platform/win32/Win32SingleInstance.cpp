#include "platform/win32/Win32SingleInstance.h"

#include "platform/win32/WinError.h"

#include <QDeadlineTimer>

namespace menu::platform {

namespace {
// The launcher that holds the mutex makes its event a moment after the claim.
constexpr int kStartingMs = 5000;
constexpr DWORD kRetryMs = 50;

std::wstring raiseEventName(const QString &name)
{
    return (name + QStringLiteral("-raise")).toStdWString();
}
} // namespace

Win32SingleInstance::Win32SingleInstance(const QString &name) : name_(name) {}

Win32SingleInstance::~Win32SingleInstance()
{
    notifier_.reset();
    if (mutex_.valid())
        ::ReleaseMutex(mutex_.get());
}

bool Win32SingleInstance::heldElsewhere() const
{
    if (mutex_.valid())
        return false;
    const win32::UniqueHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, name_.toStdWString().c_str()));
    if (!mutex.valid())
        return false;
    const DWORD waited = ::WaitForSingleObject(mutex.get(), 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        ::ReleaseMutex(mutex.get()); // free: the owner ended; this was only a look
    return waited == WAIT_TIMEOUT;
}

bool Win32SingleInstance::raiseRunning()
{
    // Only the running launcher makes the event; opening it is the question "is one there?".
    const QDeadlineTimer starting(kStartingMs);
    win32::UniqueHandle event;
    for (;;) {
        event.reset(::OpenEventW(EVENT_MODIFY_STATE, FALSE, raiseEventName(name_).c_str()));
        if (event.valid())
            break;
        if (starting.hasExpired() || !heldElsewhere())
            return false;
        ::Sleep(kRetryMs);
    }
    ::AllowSetForegroundWindow(ASFW_ANY);
    ::SetEvent(event.get());
    return true;
}

SingleInstance::Claim Win32SingleInstance::claim()
{
    if (mutex_.valid())
        return Claim::Claimed;
    win32::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, name_.toStdWString().c_str()));
    if (!mutex.valid()) {
        failure_ = win32::lastFailure(name_);
        return Claim::Unavailable;
    }
    // An existing mutex belongs to a running launcher; one it left behind by ending without
    // releasing it is abandoned, and is ours then.
    const DWORD waited = ::WaitForSingleObject(mutex.get(), 0);
    if (waited == WAIT_TIMEOUT)
        return Claim::Held;
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        failure_ = win32::lastFailure(name_);
        return Claim::Unavailable;
    }
    mutex_ = std::move(mutex);
    return Claim::Claimed;
}

void Win32SingleInstance::listen(std::function<void()> onRaise)
{
    raise_.reset(::CreateEventW(nullptr, FALSE, FALSE, raiseEventName(name_).c_str()));
    if (!raise_.valid())
        return;
    notifier_ = std::make_unique<QWinEventNotifier>(raise_.get());
    QObject::connect(notifier_.get(), &QWinEventNotifier::activated, notifier_.get(),
                     [onRaise = std::move(onRaise)] { onRaise(); });
}

} // namespace menu::platform
