// A module button: a large button with the program's icon and a four-line caption, carrying
// the key of its configuration entry and its own submenu of further entries.
#pragma once

#include "core/MenuModel.h"

#include <QToolButton>

class QMenu;

namespace menu::gui {

class ModuleButton : public QToolButton {
    Q_OBJECT
  public:
    explicit ModuleButton(const core::EntryKey &key, QWidget *parent = nullptr);

    // The configuration entry a click starts.
    const core::EntryKey &key() const { return key_; }
    // The caption as the launcher builds it (lines separated by CR).
    QString caption() const { return caption_; }
    void setCaption(const QString &caption);
    // The menu of a right click: the button's own submenu, or the shared one of buttons
    // without entries.
    QMenu *submenu() const { return submenu_; }
    void setSubmenu(QMenu *menu) { submenu_ = menu; }

  protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    core::EntryKey key_;
    QString caption_;
    QMenu *submenu_ = nullptr;
};

} // namespace menu::gui
