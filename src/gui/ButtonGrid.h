// The panel of module buttons: one button per program of the menu, each with its submenu of
// further entries, arranged in rows or in columns to fit the panel. Without modules it shows a
// notice behind its only button.
#pragma once

#include "core/LauncherSettings.h"
#include "core/MenuModel.h"
#include "platform/Executables.h"
#include "widgets/MessageBoxes.h"

#include <QFrame>
#include <QHash>
#include <QIcon>

#include <vector>

class QMenu;

namespace menu::gui {

class ModuleButton;

class ButtonGrid : public QFrame {
    Q_OBJECT
  public:
    ButtonGrid(const platform::IconReader &icons, widgets::MessageBoxes &boxes,
               QWidget *parent = nullptr);

    // Replaces every button by the buttons of the menu and lays them out.
    void rebuild(const std::vector<core::MenuButton> &buttons);
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

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void removeButtons();
    void addButton(int number, const core::MenuButton &button);
    QMenu *submenuOf(ModuleButton *owner, const core::MenuButton &button);
    void arrange();
    void relayout();
    QIcon programPicture(const QString &path);
    QIcon entryPicture(const core::MenuEntry &entry);

    const platform::IconReader &icons_;
    widgets::MessageBoxes &boxes_;
    core::ButtonArrangement arrangement_ = core::ButtonArrangement::Rows;
    int count_ = 0;
    int columns_ = 0;
    int rows_ = 0;
    QSize laidOutFor_;
    QString notice_;
    bool noticeDecided_ = false;
    QMenu *noEntries_ = nullptr; // the submenu of buttons without entries
    // The pictures made during one build, by the key of the icon image they show: buttons and
    // entries that share an icon share its picture.
    QHash<qint64, QIcon> pictures_;
};

} // namespace menu::gui
