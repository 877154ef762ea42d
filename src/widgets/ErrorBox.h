// How a control tells its user that an entry is wrong. The application hands its own box service
// to the controls, so that its boxes look alike and tests can record them.
#pragma once

#include <QString>

class QWidget;

namespace menu::widgets {

class ErrorBox {
  public:
    virtual ~ErrorBox() = default;
    virtual void showError(QWidget *owner, const QString &text) = 0;
};

// A modal error box with the given title and one "OK" button; the text's CR, LF and CR LF each
// break one line.
void showPlainErrorBox(QWidget *owner, const QString &title, const QString &text);

} // namespace menu::widgets
