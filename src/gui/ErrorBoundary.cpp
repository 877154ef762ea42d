#include "gui/ErrorBoundary.h"

#include "core/Texts.h"
#include "gui/QtMessageBoxes.h"

#include <QCursor>

namespace menu::gui {

namespace {
MessageBoxes *faultBoxes = nullptr;
} // namespace

void setFaultBoxes(MessageBoxes *boxes)
{
    faultBoxes = boxes;
}

void reportFault(QWidget *owner, const QString &text)
{
    static QtMessageBoxes fallback;
    MessageBoxes &boxes = faultBoxes != nullptr ? *faultBoxes : fallback;
    boxes.showFault(owner, core::texts::appTitle(), core::texts::faultMessage(text));
}

void reportCurrentException(QWidget *owner)
{
    try {
        throw;
    } catch (const std::exception &error) {
        reportFault(owner, QString::fromUtf8(error.what()));
    } catch (...) {
        reportFault(owner, core::texts::unknownFault());
    }
}

MenuApplication::MenuApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool MenuApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException(nullptr);
        return false;
    }
}

void CursorWait(bool on)
{
    if (on) {
        if (QApplication::overrideCursor() != nullptr)
            QApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        return;
    }
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
}

} // namespace menu::gui
