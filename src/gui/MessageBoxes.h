// The message-box service: modal boxes with the Slovak titles and button captions. Windows
// show every box through it, so that tests can record the boxes and answer them.
#pragma once

#include "core/Notice.h"
#include "widgets/ErrorBox.h"

#include <QString>

class QWidget;

namespace menu::gui {

using core::BoxAnswer;
using core::BoxKind;

class MessageBoxes : public widgets::ErrorBox {
  public:
    // Error, warning and information boxes have OK only; a confirmation has Yes and No.
    virtual BoxAnswer show(QWidget *owner, BoxKind kind, const QString &text) = 0;
    // The box of the general error handler: error icon, OK, the given title.
    virtual void showFault(QWidget *owner, const QString &title, const QString &text) = 0;

    void tell(QWidget *owner, const core::Notice &notice) { show(owner, notice.kind, notice.text); }
    void showError(QWidget *owner, const QString &text) override
    {
        show(owner, BoxKind::Error, text);
    }
};

} // namespace menu::gui
