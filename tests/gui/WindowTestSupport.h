// Finding the launcher's widgets by their object names, and acting on a dialog while it runs
// modally.
#pragma once

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace menu::test {

// The child of parent called name; a test failure when there is none.
template <class T> T *child(const QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Runs open, which shows a dialog modally, and runs steps on the dialog inside its event loop.
// The steps are expected to close it; a dialog they leave open is a failure and is closed, so
// that a failed step does not hang the test. True when the steps ran.
template <class Dialog>
bool withModalDialog(const char *name, const std::function<void()> &open,
                     const std::function<void(Dialog &)> &steps)
{
    bool ran = false;
    // Owned here: when open shows no dialog, nothing is left to fire later.
    QTimer act;
    act.setSingleShot(true);
    QObject::connect(&act, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->objectName() != QLatin1String(name)) {
            ADD_FAILURE() << "no modal dialog " << name;
            return;
        }
        ran = true;
        steps(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the steps left " << name << " open";
            dialog->reject();
        }
    });
    act.start(0);
    open();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    return ran;
}

} // namespace menu::test
