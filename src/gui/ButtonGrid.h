// The panel of module buttons: one button per program of the menu, each with its submenu of
// further entries, arranged in rows or in columns to fit the panel. Without modules it shows a
// notice behind its only button.
#pragma once

#include "core/LauncherSettings.h"
#include "core/MenuFill.h"
#include "core/MenuModel.h"
#include "platform/Executables.h"
#include "gui/MessageBoxes.h"

#include <QFrame>
#include <QHash>
#include <QIcon>
#include <vector>

class QMenu;

namespace menu::gui {

class ModuleButton;

class ButtonGrid : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool filling READ filling)
  public:
    ButtonGrid(const platform::IconReader &icons, MessageBoxes &boxes, QWidget *parent = nullptr);

    // Replaces every button by the buttons of the menu and lays them out; a fill still running
    // is cancelled. Buttons without their details wait in a neutral state: captioned, clickable,
    // a blank picture of the icon's size, no version line.
    void rebuild(const std::vector<core::MenuButton> &buttons);
    // Details the buttons in the background; each button is completed in place, in order.
    // What the cache file kept is shown at once and checked in the background.
    void fill(const core::MenuModel &model, const QString &cacheFile = {});
    bool filling() const { return fill_ != nullptr && fill_->running(); }
    // Cancels the fill and waits for its workers; the buttons stay as they are.
    void stopFill();
    // The menu as shown: with the details that have arrived.
    const std::vector<core::MenuButton> &menu() const { return menu_; }
    void setArrangement(core::ButtonArrangement arrangement);
    core::ButtonArrangement arrangement() const { return arrangement_; }

    int buttonCount() const { return count_; }
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    // The button numbered n (from 1), or none when its creation failed.
    ModuleButton *button(int n) const;
    // The notice drawn behind the buttons (empty when there is none).
    QString notice() const { return notice_; }

  Q_SIGNALS:
    // A button or a submenu entry was clicked.
    void launchRequested(const core::EntryKey &key);
    // Every button has its details.
    void filled();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void removeButtons();
    void addButton(int number, const core::MenuButton &button);
    void showDetails(ModuleButton *shown, const core::MenuButton &button);
    void showEntryDetails(QMenu *submenu, const core::MenuButton &button);
    void detailArrived(int index, const core::MenuButton &button);
    QMenu *submenuOf(ModuleButton *owner, const core::MenuButton &button);
    void arrange();
    void relayout();
    QIcon programPicture(const QImage &icon);
    QIcon entryPicture(const core::MenuEntry &entry);

    const platform::IconReader &icons_;
    MessageBoxes &boxes_;
    core::ButtonArrangement arrangement_ = core::ButtonArrangement::Rows;
    int count_ = 0;
    int columns_ = 0;
    int rows_ = 0;
    QSize laidOutFor_;
    QString notice_;
    bool noticeDecided_ = false;
    QMenu *noEntries_ = nullptr; // the submenu of buttons without entries
    QIcon neutral_;              // a button's picture until its details arrive
    std::vector<core::MenuButton> menu_;
    core::MenuFill *fill_ = nullptr;
    // The pictures made during one build and its fill, by the key of the icon image they
    // show: buttons and entries that share an icon share its picture.
    QHash<qint64, QIcon> pictures_;
};

} // namespace menu::gui
