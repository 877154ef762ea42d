// The grey panel right of the buttons: a sunken box at its foot holds the update notice.
#pragma once

#include <QFrame>
#include <QLabel>

namespace menu::gui {

struct InfoPanel {
    QFrame *panel = nullptr;
    QLabel *notice = nullptr; // "updateInfoLabel"
};

InfoPanel createInfoPanel(QWidget *parent);

} // namespace menu::gui
