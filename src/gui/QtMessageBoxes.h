#pragma once

#include "platform/platform.h"

namespace menu::gui {

// Modal Qt message boxes with the Slovak titles and button captions.
class QtMessageBoxes final : public platform::MessageBoxes {
public:
    platform::BoxAnswer show(QWidget *owner, platform::BoxKind kind, const QString &text) override;
    void showFault(QWidget *owner, const QString &title, const QString &text) override;
};

// The title of a box of the given kind: "Chyba", "Upozornenie", "Informácia", "Potvrdenie".
QString boxTitle(platform::BoxKind kind);

} // namespace menu::gui
