// TypedEdit: the single-line edit control of the package's data-entry forms. On top of QLineEdit it
// adds a value type with normalisation and validation of every text put into it, colour cues for
// focus and errors, validation when the focus leaves, keys that act like Tab, an optional button
// inside the right edge, and typed access to the value.
//
// A read-only text field, as the update dialog uses it:
//
//     auto *field = new TypedEdit(this);   // ValueType::Text, InnerButton::None
//     field->setReadOnly(true);
//     field->setFocusPolicy(Qt::ClickFocus); // no tab stop
//     field->setTabKeys(TabKey::Enter | TabKey::Down | TabKey::Up);
//     field->setColor(palette().color(QPalette::Button)); // its background without the focus
//     field->setText(version);
//
// Font colours go through the palette's Text role as usual; the control itself only sets the
// Base role (the background). Enter, Up and Down never reach QLineEdit, so returnPressed is not
// emitted: Enter either moves on like Tab or selects the text.
//
// Regional settings (separators, formats, currency symbol, today's date) and the error box are
// services that the form gives each control.
#pragma once

#include "platform/Regional.h"
#include "widgets/EditValue.h"
#include "widgets/ErrorBox.h"

#include <QColor>
#include <QDate>
#include <QFlags>
#include <QLineEdit>
#include <QTime>

#include <functional>
#include <optional>
#include <utility>

namespace menu::widgets {

// The button inside the right edge: none, three dots, or a combo box's drop-down arrow.
enum class InnerButton { None, Ellipsis, DropDown };

// Keys that move the focus like Tab: Enter and Down to the next control, Up to the previous.
enum class TabKey { Enter = 0x1, Down = 0x2, Up = 0x4 };
Q_DECLARE_FLAGS(TabKeys, TabKey)

class TypedEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QColor focusColor READ focusColor WRITE setFocusColor)
    Q_PROPERTY(QColor errorColor READ errorColor WRITE setErrorColor)
    Q_PROPERTY(QString text READ text WRITE setText USER true)
    Q_PROPERTY(QString editMask READ editMask WRITE setEditMask)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(bool autoSelect READ autoSelect WRITE setAutoSelect)

  public:
    // Called on leaving a control whose text is valid for its type: the message to show when
    // the text is refused after all, nothing when it is accepted.
    using Validator = std::function<std::optional<QString>(const QString &text)>;

    explicit TypedEdit(QWidget *parent = nullptr);
    ~TypedEdit() override;

    // The control's services. Not owned; they must outlive the control. Without regional
    // settings the Slovak formats and today's local date are used; without an error box a plain
    // one titled "Chyba" with an "OK" button is shown.
    void setRegionalSettings(platform::RegionalSettings *settings) { regional_ = settings; }
    void setErrorBox(ErrorBox *box) { errorBox_ = box; }

    // Background while the control has the focus; money green (192, 220, 192) by default.
    QColor focusColor() const { return focusColor_; }
    void setFocusColor(const QColor &color);
    // Background while the text is invalid; red by default.
    QColor errorColor() const { return errorColor_; }
    void setErrorColor(const QColor &color);
    // The designed background, shown when the control has no focus and its text is valid.
    // Changing the palette's Base colour while the control shows its designed colour has the
    // same effect.
    QColor color() const { return designedColor_; }
    void setColor(const QColor &color);
    // Takes the designed background from the palette's current Base colour.
    void takeColorFromPalette();

    InnerButton innerButton() const { return innerButton_; }
    void setInnerButton(InnerButton button);
    // The format pattern of Integer, Decimal and Currency ("0", "0.00", "0.00 %s"; see
    // formatNumber). Stored as is; the text is not reformatted until it is set again.
    QString editMask() const { return editMask_; }
    void setEditMask(const QString &mask) { editMask_ = mask; }
    // Changing the type leaves the edit mask as it is (defaultEditMask gives the usual one).
    ValueType valueType() const { return valueType_; }
    void setValueType(ValueType type);
    // TabKey::Enter by default.
    TabKeys tabKeys() const { return tabKeys_; }
    void setTabKeys(TabKeys keys) { tabKeys_ = keys; }
    // Select all text whenever the control gets the focus; on by default.
    bool autoSelect() const { return autoSelect_; }
    void setAutoSelect(bool on) { autoSelect_ = on; }

    const Validator &validator() const { return validator_; }
    void setValidator(Validator validator) { validator_ = std::move(validator); }

    // Whether the last text put into the control was valid for its type (and, once the focus
    // has left, passed the validator), and the message shown on leaving when it was not.
    bool isValid() const { return valid_; }
    QString errorMessage() const { return errorMessage_; }

    // Typed access. Getters give 0 (30.12.1899 for a date, midnight for a time) when the text
    // cannot be read; setters put the value's text in the regional form through setText.
    qint32 asInteger() const;
    void setAsInteger(qint32 value);
    double asDecimal() const;
    void setAsDecimal(double value);
    QDate asDate() const;
    void setAsDate(QDate value);
    QTime asTime() const;
    void setAsTime(QTime value);

    // The regional settings in use.
    platform::RegionalFormats regionalFormats() const;
    // The inner button's place in the control (empty without one) and its width: the width of
    // a vertical scroll bar, taken at creation.
    QRect buttonRect() const;
    int buttonWidth() const { return buttonWidth_; }
    // True while the inner button is drawn pressed.
    bool isButtonPressed() const { return buttonPressed_; }

  public Q_SLOTS:
    // Every text put into the control is normalised and validated for its value type (isValid,
    // errorMessage) and then shown; nothing is reported to the user until the focus leaves.
    // Hides QLineEdit::setText: call it on a TypedEdit, not through a QLineEdit pointer.
    void setText(const QString &text);

  Q_SIGNALS:
    // The inner button was clicked, or Alt+Down pressed while there is one.
    void buttonClicked();

  protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

  private:
    enum class Shade { Designed, Focus, Error };
    void applyShade(Shade shade);

    // Validation on leaving: false when the text is invalid, the focus has been put back and
    // the error shown.
    bool checkOnLeaving();
    void showError(const QString &text);
    // Enter, Up and Down: like Tab or selecting the text.
    void moveLikeTab(TabKey key, bool forward);

    // The text area: narrowed by the inner button.
    void updateTextMargins();
    // While the mouse is held after pressing the inner button: pressed exactly while over it.
    void trackButton(const QPoint &pos);
    void endButtonTracking();
    void updateCursorAt(const QPoint &pos);
    void paintButton(QPainter &painter);

    platform::RegionalSettings &regional() const;

    ValueType valueType_ = ValueType::Text;
    QString editMask_;
    bool valid_ = true;
    QString errorMessage_;
    Validator validator_;

    QColor focusColor_{192, 220, 192};
    QColor errorColor_{255, 0, 0};
    QColor designedColor_;
    Shade shade_ = Shade::Designed;
    bool applyingShade_ = false; // our own palette change, not a new designed colour

    TabKeys tabKeys_ = TabKey::Enter;
    bool autoSelect_ = true;
    bool entered_ = false; // has the focus and has not yet let it go

    InnerButton innerButton_ = InnerButton::None;
    int buttonWidth_ = 0;
    bool tracking_ = false; // the mouse was pressed on the inner button and is still held
    bool buttonPressed_ = false;
    bool mouseInside_ = false;

    platform::RegionalSettings *regional_ = nullptr;
    ErrorBox *errorBox_ = nullptr;
};

} // namespace menu::widgets

Q_DECLARE_OPERATORS_FOR_FLAGS(menu::widgets::TabKeys)
