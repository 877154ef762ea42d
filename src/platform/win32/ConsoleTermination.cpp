#include "platform/win32/ConsoleTermination.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <windows.h>

namespace menu::platform {

namespace {
std::atomic<ConsoleTermination *> current{nullptr};

BOOL WINAPI onConsoleEvent(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT)
        return FALSE;
    if (ConsoleTermination *watcher = current.load())
        watcher->requestFromAnyThread();
    return TRUE;
}
} // namespace

ConsoleTermination::ConsoleTermination(std::function<void()> onTerminate, QObject *parent)
    : QObject(parent), onTerminate_(std::move(onTerminate))
{
    current.store(this);
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installNativeEventFilter(this);
}

ConsoleTermination::~ConsoleTermination()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    current.store(nullptr);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
}

void ConsoleTermination::requestFromAnyThread()
{
    QMetaObject::invokeMethod(
        this, [this] { onTerminate_(); }, Qt::QueuedConnection);
}

bool ConsoleTermination::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "windows_generic_MSG")
        return false;
    const MSG *msg = static_cast<const MSG *>(message);
    // WM_ENDSESSION with wParam TRUE: the session ends once the windows have answered.
    if (msg->message == WM_ENDSESSION && msg->wParam != 0)
        onTerminate_();
    return false;
}

} // namespace menu::platform
