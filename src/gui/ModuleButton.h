// A module button and a submenu entry: each carries the key of its configuration entry.
#pragma once

#include <QAction>
#include <QToolButton>

class QMenu;

namespace menu::gui {

class ModuleButton : public QToolButton {
    Q_OBJECT
  public:
    explicit ModuleButton(QWidget *parent = nullptr);

    // The entry key ("Tav1"), which a click uses to find the configuration entry again.
    QString CommandLinkHint;
    // The button's own submenu, or the shared one of buttons without entries.
    QMenu *PopupMenu = nullptr;

    // The caption as the program builds it (lines separated by CR).
    QString caption() const { return caption_; }
    void setCaption(const QString &caption);

  protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    QString caption_;
};

class ModuleMenuItem : public QAction {
    Q_OBJECT
  public:
    using QAction::QAction;
    // The entry key ("Tav12"); never displayed.
    QString Hint;
};

} // namespace menu::gui
