#include "platform/win32/MutexSingleInstance.h"

#include "platform/win32/WinError.h"

namespace menu::platform {

namespace {
std::wstring raiseEventName(const QString &name)
{
    return (name + QStringLiteral("-raise")).toStdWString();
}
} // namespace

MutexSingleInstance::MutexSingleInstance(const QString &name) : name_(name) {}

MutexSingleInstance::~MutexSingleInstance()
{
    notifier_.reset();
    if (mutex_.valid())
        ::ReleaseMutex(mutex_.get());
}

bool MutexSingleInstance::raiseRunning()
{
    // Only the running launcher makes the event; opening it is the question "is one there?".
    const win32::UniqueHandle event(
        ::OpenEventW(EVENT_MODIFY_STATE, FALSE, raiseEventName(name_).c_str()));
    if (!event.valid())
        return false;
    ::AllowSetForegroundWindow(ASFW_ANY);
    ::SetEvent(event.get());
    return true;
}

bool MutexSingleInstance::claim()
{
    if (mutex_.valid())
        return true;
    win32::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, name_.toStdWString().c_str()));
    if (!mutex.valid())
        return false;
    // An existing mutex belongs to a running launcher; one it left behind by ending without
    // releasing it is abandoned, and is ours then.
    const DWORD waited = ::WaitForSingleObject(mutex.get(), 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return false;
    mutex_ = std::move(mutex);
    return true;
}

void MutexSingleInstance::listen(std::function<void()> onRaise)
{
    raise_.reset(::CreateEventW(nullptr, FALSE, FALSE, raiseEventName(name_).c_str()));
    if (!raise_.valid())
        return;
    notifier_ = std::make_unique<QWinEventNotifier>(raise_.get());
    QObject::connect(notifier_.get(), &QWinEventNotifier::activated, notifier_.get(),
                     [onRaise = std::move(onRaise)] { onRaise(); });
}

} // namespace menu::platform
