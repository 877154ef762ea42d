#include "widgets/TypedEdit.h"

#include "widgets/DateUtil.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include <algorithm>

namespace menu::widgets {

namespace {
platform::RegionalSettings *defaultRegional = nullptr;
MessageBoxes *defaultBoxes = nullptr;

platform::RegionalSettings &systemRegional()
{
    static platform::SystemRegionalSettings settings;
    return settings;
}

// Set while a control checks its text on leaving: the focus moves back and forth then, and no
// other control may start its own check because of that.
bool exitInProgress = false;
} // namespace

QString NumberChars(const QString &s)
{
    platform::RegionalSettings &settings = defaultRegional ? *defaultRegional : systemRegional();
    return NumberChars(s, settings.formats());
}

TypedEdit::TypedEdit(QWidget *parent) : QLineEdit(parent)
{
    FButtonWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    FExitColor = palette().color(QPalette::Base);
}

TypedEdit::~TypedEdit() = default;

void TypedEdit::setDefaultRegionalSettings(platform::RegionalSettings *settings)
{
    defaultRegional = settings;
}

void TypedEdit::setDefaultMessageBoxes(MessageBoxes *boxes)
{
    defaultBoxes = boxes;
}

platform::RegionalSettings &TypedEdit::regional() const
{
    if (regional_)
        return *regional_;
    return defaultRegional ? *defaultRegional : systemRegional();
}

platform::RegionalFormats TypedEdit::regionalFormats() const
{
    return regional().formats();
}

void TypedEdit::setFocusColor(const QColor &color)
{
    if (color == FFocusColor)
        return;
    FFocusColor = color;
    if (shade_ == Shade::Focus)
        applyShade(shade_);
}

void TypedEdit::setErrorColor(const QColor &color)
{
    if (color == FErrorColor)
        return;
    FErrorColor = color;
    if (shade_ == Shade::Error)
        applyShade(shade_);
}

void TypedEdit::setColor(const QColor &color)
{
    FExitColor = color;
    if (shade_ == Shade::Designed)
        applyShade(shade_);
}

void TypedEdit::Loaded()
{
    FExitColor = palette().color(QPalette::Base);
}

void TypedEdit::applyShade(Shade shade)
{
    shade_ = shade;
    const QColor &color = shade == Shade::Focus   ? FFocusColor
                          : shade == Shade::Error ? FErrorColor
                                                  : FExitColor;
    if (palette().color(QPalette::Base) == color)
        return;
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    applyingShade_ = true;
    setPalette(p);
    applyingShade_ = false;
    update();
}

void TypedEdit::changeEvent(QEvent *event)
{
    // A palette given by the application while the designed colour shows is the new designed
    // colour, as for a control whose stored properties have just been loaded.
    if (event->type() == QEvent::PaletteChange && !applyingShade_ && shade_ == Shade::Designed)
        FExitColor = palette().color(QPalette::Base);
    if (event->type() == QEvent::EnabledChange && !isEnabled() && FTracking)
        ButtonTrackEnd();
    QLineEdit::changeEvent(event);
}

void TypedEdit::setText(const QString &text)
{
    const EditText result =
        normaliseEditText(text, FEditType, FEditMask, regional().formats(),
                                regional().today());
    TestResult = result.valid;
    ErrMessage = result.errMessage;
    QLineEdit::setText(result.text);
}

void TypedEdit::setEditStyle(TEditStyle style)
{
    if (style == FEditStyle)
        return;
    FEditStyle = style;
    if (FTracking)
        ButtonTrackEnd();
    setMouseTracking(style != esSimple);
    if (style == esSimple)
        unsetCursor();
    EditRectUpdate();
    update();
}

void TypedEdit::setEditType(TEditType type)
{
    if (type == FEditType)
        return;
    FEditType = type;
    update();
}

qint32 TypedEdit::asInteger() const
{
    return readInteger(NumberChars(text(), regional().formats())).value_or(0);
}

void TypedEdit::setAsInteger(qint32 value)
{
    setText(QString::number(value));
}

double TypedEdit::asFloat() const
{
    const platform::RegionalFormats formats = regional().formats();
    return readDecimal(NumberChars(text(), formats), formats.decimalSeparator)
        .value_or(0.0);
}

void TypedEdit::setAsFloat(double value)
{
    setText(formatGeneral(value, regional().formats().decimalSeparator));
}

QDate TypedEdit::asDate() const
{
    return readDate(text(), regional().formats(), regional().today())
        .value_or(QDate(1899, 12, 30));
}

void TypedEdit::setAsDate(QDate value)
{
    setText(value.isValid() ? formatDate(value, regional().formats().shortDateFormat)
                            : QString());
}

QTime TypedEdit::asTime() const
{
    return readTime(text(), regional().formats()).value_or(QTime(0, 0));
}

void TypedEdit::setAsTime(QTime value)
{
    setText(value.isValid() ? formatTime(value, regional().formats().longTimeFormat)
                            : QString());
}

// --- focus -------------------------------------------------------------------------------

void TypedEdit::focusInEvent(QFocusEvent *event)
{
    entered_ = true;
    if (TestResult)
        applyShade(Shade::Focus); // an invalid control keeps its error colour
    QLineEdit::focusInEvent(event);
    if (autoSelect_)
        selectAll();
}

void TypedEdit::focusOutEvent(QFocusEvent *event)
{
    // Switching to another window or opening a popup is no leaving.
    if (event->reason() == Qt::ActiveWindowFocusReason ||
        event->reason() == Qt::PopupFocusReason) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    // Nor is the focus shuffle while a control puts the focus back after an error: the control
    // that was about to get the focus never counted as entered.
    const bool wasEntered = entered_;
    entered_ = false;
    if (wasEntered && !exitInProgress) {
        if (FTracking)
            ButtonTrackEnd();
        if (isVisible() && isEnabled()) {
            if (!CMExit())
                return; // the focus is back here; the exit is not announced
        } else {
            // Being hidden or disabled: it could not take the focus back, so no box either.
            applyShade(TestResult ? Shade::Designed : Shade::Error);
        }
    }
    QLineEdit::focusOutEvent(event);
}

bool TypedEdit::CMExit()
{
    struct ExitGuard {
        ExitGuard() { exitInProgress = true; }
        ~ExitGuard() { exitInProgress = false; }
        ExitGuard(const ExitGuard &) = delete;
        ExitGuard &operator=(const ExitGuard &) = delete;
    };
    {
        const ExitGuard guard;
        setText(text());
        if (TestResult && FOnValidate)
            FOnValidate(text(), TestResult, ErrMessage);
        if (TestResult) {
            applyShade(Shade::Designed);
            return true;
        }
        applyShade(Shade::Error);
        // The focus goes back before the box is shown, so that the box returns it to this
        // control when it closes, and the control that was to get it never counts as entered.
        if (focusPolicy() != Qt::NoFocus)
            setFocus(Qt::OtherFocusReason);
    }
    showError(ErrMessage);
    return false;
}

void TypedEdit::showError(const QString &text)
{
    MessageBoxes *boxes = boxes_ ? boxes_ : defaultBoxes;
    if (boxes) {
        boxes->show(this, BoxKind::Error, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Chyba"), text, QMessageBox::NoButton,
                    window());
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

// --- keys --------------------------------------------------------------------------------

void TypedEdit::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter never types into the single line, nor reaches a default button.
        if (FKeyLikeTab.testFlag(kEnter))
            focusNextPrevChild(true);
        else
            selectAll();
        event->accept();
        return;
    case Qt::Key_Down:
        if (modifiers == Qt::AltModifier) {
            if (FEditStyle != esSimple)
                buttonClick();
            else
                selectAll();
        } else if (FKeyLikeTab.testFlag(kDown)) {
            focusNextPrevChild(true);
        } else {
            selectAll();
        }
        event->accept();
        return;
    case Qt::Key_Up:
        if (FKeyLikeTab.testFlag(kUp))
            focusNextPrevChild(false);
        else
            selectAll();
        event->accept();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

// --- inner button ------------------------------------------------------------------------

QRect TypedEdit::buttonRect() const
{
    if (FEditStyle == esSimple)
        return {};
    QRect client = rect();
    if (hasFrame()) {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
        client.adjust(frame, frame, -frame, -frame);
    } else {
        client.adjust(0, 1, -1, -1);
    }
    return QRect(client.right() - FButtonWidth + 1, client.top(), FButtonWidth, client.height());
}

void TypedEdit::EditRectUpdate()
{
    const int left = hasFrame() ? 0 : 1;
    const int right = FEditStyle != esSimple ? FButtonWidth : 0;
    const QMargins wanted(left, 0, right, 0);
    if (textMargins() != wanted)
        setTextMargins(wanted);
}

void TypedEdit::buttonClick()
{
    if (FOnBtnClick)
        FOnBtnClick(this);
}

void TypedEdit::ButtonTrack(const QPoint &pos)
{
    const bool pressed = buttonRect().contains(pos);
    if (pressed == FPressed)
        return;
    FPressed = pressed;
    update(buttonRect());
}

void TypedEdit::ButtonTrackEnd()
{
    FTracking = false;
    if (FPressed) {
        FPressed = false;
        update(buttonRect());
    }
}

void TypedEdit::updateCursorAt(const QPoint &pos)
{
    if (FEditStyle == esSimple)
        return;
    // Over the button the arrow; elsewhere what the edit shows (an arrow when read-only).
    if (buttonRect().contains(pos) || isReadOnly())
        setCursor(Qt::ArrowCursor);
    else
        setCursor(Qt::IBeamCursor);
}

void TypedEdit::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (FEditStyle != esSimple && event->button() == Qt::LeftButton &&
        buttonRect().contains(pos)) {
        // The widget holds the mouse until the release, wherever the mouse goes.
        FTracking = true;
        FPressed = false;
        ButtonTrack(pos);
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void TypedEdit::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    updateCursorAt(pos);
    if (FTracking) {
        ButtonTrack(pos);
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void TypedEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (!FTracking) {
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    ButtonTrack(event->position().toPoint());
    const bool clicked = FPressed && event->button() == Qt::LeftButton;
    ButtonTrackEnd();
    event->accept();
    if (clicked)
        buttonClick();
}

void TypedEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (FEditStyle != esSimple && buttonRect().contains(event->position().toPoint())) {
        event->accept(); // no word selection under the button, and no second press
        return;
    }
    QLineEdit::mouseDoubleClickEvent(event);
}

void TypedEdit::enterEvent(QEnterEvent *event)
{
    FMouseInControl = true;
    if (FEditStyle != esSimple) {
        updateCursorAt(event->position().toPoint());
        update(buttonRect());
    }
    QLineEdit::enterEvent(event);
}

void TypedEdit::leaveEvent(QEvent *event)
{
    FMouseInControl = false;
    if (FEditStyle != esSimple)
        update(buttonRect());
    QLineEdit::leaveEvent(event);
}

bool TypedEdit::event(QEvent *event)
{
    // What ends a press on the button without a release over it.
    switch (event->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
    case QEvent::UngrabMouse:
        if (FTracking)
            ButtonTrackEnd();
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void TypedEdit::paintEvent(QPaintEvent *event)
{
    EditRectUpdate();
    QLineEdit::paintEvent(event);
    if (FEditStyle == esSimple)
        return;
    QPainter painter(this);
    PaintWindow(painter);
}

void TypedEdit::PaintWindow(QPainter &painter)
{
    const QRect r = buttonRect();
    if (r.isEmpty())
        return;
    painter.fillRect(r, palette().color(QPalette::Base));
    QStyle::State state = QStyle::State_None;
    if (isEnabled())
        state |= QStyle::State_Enabled;
    if (FPressed)
        state |= QStyle::State_Sunken;
    else
        state |= QStyle::State_Raised;
    if (FMouseInControl && isEnabled())
        state |= QStyle::State_MouseOver;

    if (FEditStyle == esEllipsis) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = r;
        option.state = state;
        option.palette = QApplication::palette(); // the button's own colours, not the field's
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
        const int side = std::max(1, FButtonWidth / 8);
        int x = r.left() + r.width() / 2 - 1;
        int y = r.top() + r.height() / 2 - 1;
        if (FPressed) {
            ++x;
            ++y;
        }
        for (const int offset : {-2 * side, 0, 2 * side})
            painter.fillRect(QRect(x + offset, y, side, side), Qt::black);
        return;
    }

    // A combo box's drop-down part: a button face with the style's drop-down arrow, which is
    // what the style draws inside its own combo boxes.
    QStyleOptionButton face;
    face.initFrom(this);
    face.rect = r;
    face.state = state;
    face.palette = QApplication::palette();
    style()->drawControl(QStyle::CE_PushButtonBevel, &face, &painter, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.state = state;
    arrow.palette = QApplication::palette();
    const int size = std::max(5, std::min(r.width(), r.height()) / 2);
    arrow.rect = QRect(0, 0, size, size);
    arrow.rect.moveCenter(r.center() + (FPressed ? QPoint(1, 1) : QPoint()));
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
}

} // namespace menu::widgets
