// TypedEdit: the single-line edit control of the package's data-entry forms. On top of QLineEdit it
// adds a value type with normalisation and validation of every text put into it, colour cues for
// focus and errors, validation when the focus leaves, keys that act like Tab, an optional button
// inside the right edge, and typed access to the value.
//
// A read-only text field, as the update dialog uses it:
//
//     auto *field = new TypedEdit(this);   // ttString, esSimple
//     field->setReadOnly(true);
//     field->setFocusPolicy(Qt::ClickFocus); // no tab stop
//     field->setKeyLikeTab(kEnter | kDown | kUp);
//     field->setColor(palette().color(QPalette::Button)); // its background without the focus
//     field->setText(version);
//
// Font colours go through the palette's Text role as usual; the control itself only sets the
// Base role (the background). Enter, Up and Down never reach QLineEdit, so returnPressed is not
// emitted: Enter either moves on like Tab or selects the text.
//
// Regional settings (separators, formats, currency symbol, today's date) and the error box come
// from the platform seam: the application sets process-wide defaults once at start
// (setDefaultRegionalSettings, setDefaultMessageBoxes); a control may be given its own.
#pragma once

#include "widgets/EditValue.h"
#include "platform/Regional.h"
#include "widgets/MessageBoxes.h"

#include <QColor>
#include <QDate>
#include <QFlags>
#include <QLineEdit>
#include <QTime>

#include <functional>
#include <utility>

namespace menu::widgets {

// The inner button: none, three dots, or a combo box's drop-down arrow.
enum TEditStyle : int { esSimple, esEllipsis, esDropDown };

// Keys that move the focus like Tab: Enter and Down to the next control, Up to the previous.
enum TKeyLikeTabKey : int { kEnter = 0x1, kDown = 0x2, kUp = 0x4 };
Q_DECLARE_FLAGS(TKeyLikeTab, TKeyLikeTabKey)

class TypedEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QColor FocusColor READ focusColor WRITE setFocusColor)
    Q_PROPERTY(QColor ErrorColor READ errorColor WRITE setErrorColor)
    Q_PROPERTY(QString text READ text WRITE setText USER true)
    Q_PROPERTY(QString EditMask READ editMask WRITE setEditMask)
    Q_PROPERTY(QColor Color READ color WRITE setColor)
    Q_PROPERTY(bool AutoSelect READ autoSelect WRITE setAutoSelect)

public:
    // OnButtonClick: the inner button was clicked, or Alt+Down pressed.
    using TNotifyEvent = std::function<void(TypedEdit *sender)>;
    // OnValidate: called on leaving a control whose text is valid for its type; may set
    // isValid to false and give the message to show.
    using TValidateEvent =
        std::function<void(const QString &text, bool &isValid, QString &errMessage)>;

    explicit TypedEdit(QWidget *parent = nullptr);
    ~TypedEdit() override;

    // Services used by every control that has none of its own. Not owned; they must outlive the
    // controls. Without regional settings the system's are used; without message boxes a plain
    // error box titled "Chyba" with an "OK" button is shown.
    static void setDefaultRegionalSettings(platform::RegionalSettings *settings);
    static void setDefaultMessageBoxes(MessageBoxes *boxes);
    void setRegionalSettings(platform::RegionalSettings *settings) { regional_ = settings; }
    void setMessageBoxes(MessageBoxes *boxes) { boxes_ = boxes; }

    // Background while the control has the focus; money green (192, 220, 192) by default.
    QColor focusColor() const { return FFocusColor; }
    void setFocusColor(const QColor &color);
    // Background while the text is invalid; red by default.
    QColor errorColor() const { return FErrorColor; }
    void setErrorColor(const QColor &color);
    // The designed background, shown when the control has no focus and its text is valid.
    // Changing the palette's Base colour while the control shows its designed colour has the
    // same effect.
    QColor color() const { return FExitColor; }
    void setColor(const QColor &color);
    // Takes the designed background from the palette's current Base colour.
    void Loaded();

    // Every text put into the control is normalised and validated for EditType (TestResult,
    // ErrMessage) and then shown; nothing is reported to the user until the focus leaves.
    // Hides QLineEdit::setText: call it on a TypedEdit, not through a QLineEdit pointer.
public Q_SLOTS:
    void setText(const QString &text);

public:

    TEditStyle editStyle() const { return FEditStyle; }
    void setEditStyle(TEditStyle style);
    // The format pattern of ttInteger, ttFloat and ttCurrency ("0", "0.00", "0.00 %s"; see
    // formatNumber). Stored as is; the text is not reformatted until it is set again.
    QString editMask() const { return FEditMask; }
    void setEditMask(const QString &mask) { FEditMask = mask; }
    // Changing the type leaves EditMask as it is (defaultEditMask gives the usual one).
    TEditType editType() const { return FEditType; }
    void setEditType(TEditType type);
    // [kEnter] by default.
    TKeyLikeTab keyLikeTab() const { return FKeyLikeTab; }
    void setKeyLikeTab(TKeyLikeTab keys) { FKeyLikeTab = keys; }
    // Select all text whenever the control gets the focus; on by default.
    bool autoSelect() const { return autoSelect_; }
    void setAutoSelect(bool on) { autoSelect_ = on; }

    const TNotifyEvent &onButtonClick() const { return FOnBtnClick; }
    void setOnButtonClick(TNotifyEvent handler) { FOnBtnClick = std::move(handler); }
    const TValidateEvent &onValidate() const { return FOnValidate; }
    void setOnValidate(TValidateEvent handler) { FOnValidate = std::move(handler); }

    // Typed access. Getters give 0 (30.12.1899 for a date, midnight for a time) when the text
    // cannot be read; setters put the value's text in the regional form through setText.
    qint32 asInteger() const;
    void setAsInteger(qint32 value);
    double asFloat() const;
    void setAsFloat(double value);
    QDate asDate() const;
    void setAsDate(QDate value);
    QTime asTime() const;
    void setAsTime(QTime value);

    // The regional settings in use.
    platform::RegionalFormats regionalFormats() const;
    // The inner button's place in the control (empty for esSimple) and its width: the width of
    // a vertical scroll bar, taken at creation.
    QRect buttonRect() const;
    int buttonWidth() const { return FButtonWidth; }
    // True while the inner button is drawn pressed.
    bool buttonPressed() const { return FPressed; }

    // The last text put into the control was valid (and passed OnValidate on leaving).
    bool TestResult = true;
    // The message shown when the focus leaves while TestResult is false.
    QString ErrMessage;

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

    // Validation on leaving: false when the text is invalid, the focus has been put back and
    // the error shown.
    bool CMExit();
    // The text area: narrowed by the inner button.
    void EditRectUpdate();
    // Draws the inner button.
    void PaintWindow(QPainter &painter);
    // While the mouse is held after pressing the inner button: pressed exactly while over it.
    void ButtonTrack(const QPoint &pos);
    void ButtonTrackEnd();

    bool FTracking = false;
    bool FPressed = false;
    bool FMouseInControl = false;

private:
    enum class Shade { Designed, Focus, Error };
    void applyShade(Shade shade);
    void buttonClick();
    void showError(const QString &text);
    void updateCursorAt(const QPoint &pos);
    platform::RegionalSettings &regional() const;

    int FButtonWidth = 0;
    TNotifyEvent FOnBtnClick;
    TValidateEvent FOnValidate;
    TEditStyle FEditStyle = esSimple;
    TEditType FEditType = ttString;
    TKeyLikeTab FKeyLikeTab = kEnter;
    QString FEditMask;
    QColor FFocusColor{192, 220, 192};
    QColor FErrorColor{255, 0, 0};
    QColor FExitColor;

    bool autoSelect_ = true;
    Shade shade_ = Shade::Designed;
    bool applyingShade_ = false; // our own palette change, not a new designed colour
    bool entered_ = false;       // has the focus and has not yet let it go
    platform::RegionalSettings *regional_ = nullptr;
    MessageBoxes *boxes_ = nullptr;
};

// S reduced to plus, minus, digits and the decimal and date separators of the default regional
// settings; "0" when nothing is left.
QString NumberChars(const QString &s);

} // namespace menu::widgets

Q_DECLARE_OPERATORS_FOR_FLAGS(menu::widgets::TKeyLikeTab)
