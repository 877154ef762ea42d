#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <functional>

namespace menu::platform {

// Turns the end of the session (WM_ENDSESSION to the launcher's windows) and Ctrl+C or the
// closing of a console it was started from into a call on the user-interface thread, so that
// the launcher closes as if the user had closed it.
class ConsoleTermination : public QObject, public QAbstractNativeEventFilter {
  public:
    explicit ConsoleTermination(std::function<void()> onTerminate, QObject *parent = nullptr);
    ~ConsoleTermination() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // Called by the console's handler thread.
    void requestFromAnyThread();

  private:
    std::function<void()> onTerminate_;
};

} // namespace menu::platform
