// The general error handler of the windows: an error that an event handler does not catch
// ends that handler and is shown in an error box titled with the application title; the
// program goes on. Nothing below the windows raises; this boundary catches what Qt or a
// library might.
#pragma once

#include "gui/MessageBoxes.h"

#include <QApplication>

#include <exception>
#include <utility>

namespace menu::gui {

// The boxes the handler shows its errors in (the application's, or a test's recorder).
void setFaultBoxes(MessageBoxes *boxes);
void reportFault(QWidget *owner, const QString &text);
void reportCurrentException(QWidget *owner);

// Runs an event handler's body; an error it raises is reported and ends only that handler.
template <class Body> bool guarded(QWidget *owner, Body &&body)
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        reportCurrentException(owner);
        return false;
    }
}

// The last line of defence: errors that escape an event handler anyway.
class MenuApplication : public QApplication {
  public:
    MenuApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// The application-wide hourglass cursor around long operations. It keeps no count: every
// "off" restores the normal cursor, also inside an enclosing operation that is still running.
void CursorWait(bool on);

// CursorWait on for a scope, off when it ends however it ends.
class CursorWaitScope {
  public:
    CursorWaitScope() { CursorWait(true); }
    ~CursorWaitScope() { CursorWait(false); }
    CursorWaitScope(const CursorWaitScope &) = delete;
    CursorWaitScope &operator=(const CursorWaitScope &) = delete;
};

} // namespace menu::gui
