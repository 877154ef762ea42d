#include "gui/ModuleButton.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace menu::gui {

ModuleButton::ModuleButton(const core::EntryKey &key, QWidget *parent)
    : QToolButton(parent), key_(key)
{
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(32, 32));
    setAutoRaise(false);
}

void ModuleButton::setCaption(const QString &caption)
{
    caption_ = caption;
    // Lines are separated by CR as on Windows; the button breaks lines at LF. The caption
    // ends in a CR, which leaves an empty last line under the version.
    QString shown = caption;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setText(shown);
}

void ModuleButton::contextMenuEvent(QContextMenuEvent *event)
{
    if (submenu_ == nullptr) {
        QToolButton::contextMenuEvent(event);
        return;
    }
    submenu_->popup(event->globalPos());
    event->accept();
}

} // namespace menu::gui
