#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace menu::platform {

// Turns SIGTERM and SIGINT (the desktop session ending, Ctrl+C) into a call on the
// user-interface thread, so that the launcher closes as if the user had closed it.
class TerminationSignals : public QObject {
  public:
    explicit TerminationSignals(std::function<void()> onTerminate, QObject *parent = nullptr);
    ~TerminationSignals() override;

  private:
    std::function<void()> onTerminate_;
    QSocketNotifier *notifier_ = nullptr;
};

} // namespace menu::platform
