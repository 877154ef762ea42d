#pragma once

#include "gui/MessageBoxes.h"

namespace menu::gui {

// Modal Qt message boxes with the Slovak titles and button captions.
class QtMessageBoxes final : public MessageBoxes {
  public:
    BoxAnswer show(QWidget *owner, BoxKind kind, const QString &text) override;
    void showFault(QWidget *owner, const QString &title, const QString &text) override;
};

// The title of a box of the given kind: "Chyba", "Upozornenie", "Informácia", "Potvrdenie".
QString boxTitle(BoxKind kind);

} // namespace menu::gui
