#include "gui/ModuleButton.h"

#include "formats/MessageLines.h"

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
    // The caption ends in a line break, which leaves an empty last line under the version.
    setText(formats::messageLines(caption));
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
