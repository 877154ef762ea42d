#include "widgets/TypedEdit.h"

#include "widgets/DateUtil.h"
#include "widgets/QtMessageBoxes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include <algorithm>

namespace menu::widgets {

namespace {
platform::RegionalSettings *defaultRegional = nullptr;
MessageBoxes *defaultBoxes = nullptr;

platform::RegionalSettings &fallbackRegional()
{
    static platform::SystemRegionalSettings settings;
    return settings;
}

platform::RegionalSettings &sharedRegional()
{
    return defaultRegional ? *defaultRegional : fallbackRegional();
}

// Set while a control checks its text on leaving: the focus moves back and forth then, and no
// other control may start its own check because of that.
bool exitInProgress = false;

// A push button's face in the application's button colours, not the field's.
void drawFace(QPainter &painter, const QWidget *widget, const QRect &rect, QStyle::State state)
{
    QStyleOptionButton face;
    face.initFrom(widget);
    face.rect = rect;
    face.state = state;
    face.palette = QApplication::palette();
    widget->style()->drawControl(QStyle::CE_PushButtonBevel, &face, &painter, widget);
}

// Three black squares in the middle, moved down and right while pressed.
void drawEllipsis(QPainter &painter, const QRect &rect, int buttonWidth, bool pressed)
{
    const int side = std::max(1, buttonWidth / 8);
    int x = rect.left() + rect.width() / 2 - 1;
    int y = rect.top() + rect.height() / 2 - 1;
    if (pressed) {
        ++x;
        ++y;
    }
    for (const int offset : {-2 * side, 0, 2 * side})
        painter.fillRect(QRect(x + offset, y, side, side), Qt::black);
}

// The style's drop-down arrow, which is what the style draws inside its own combo boxes.
void drawArrow(QPainter &painter, const QWidget *widget, const QRect &rect, QStyle::State state,
               bool pressed)
{
    QStyleOption arrow;
    arrow.initFrom(widget);
    arrow.state = state;
    arrow.palette = QApplication::palette();
    const int size = std::max(5, std::min(rect.width(), rect.height()) / 2);
    arrow.rect = QRect(0, 0, size, size);
    arrow.rect.moveCenter(rect.center() + (pressed ? QPoint(1, 1) : QPoint()));
    widget->style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, widget);
}
} // namespace

QString numberCharacters(const QString &text)
{
    return numberCharacters(text, sharedRegional().formats());
}

TypedEdit::TypedEdit(QWidget *parent) : QLineEdit(parent)
{
    buttonWidth_ = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    designedColor_ = palette().color(QPalette::Base);
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
    return regional_ ? *regional_ : sharedRegional();
}

platform::RegionalFormats TypedEdit::regionalFormats() const
{
    return regional().formats();
}

// --- colours -----------------------------------------------------------------------------

void TypedEdit::setFocusColor(const QColor &color)
{
    if (color == focusColor_)
        return;
    focusColor_ = color;
    if (shade_ == Shade::Focus)
        applyShade(shade_);
}

void TypedEdit::setErrorColor(const QColor &color)
{
    if (color == errorColor_)
        return;
    errorColor_ = color;
    if (shade_ == Shade::Error)
        applyShade(shade_);
}

void TypedEdit::setColor(const QColor &color)
{
    designedColor_ = color;
    if (shade_ == Shade::Designed)
        applyShade(shade_);
}

void TypedEdit::takeColorFromPalette()
{
    designedColor_ = palette().color(QPalette::Base);
}

void TypedEdit::applyShade(Shade shade)
{
    shade_ = shade;
    const QColor &color = shade == Shade::Focus   ? focusColor_
                          : shade == Shade::Error ? errorColor_
                                                  : designedColor_;
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
        designedColor_ = palette().color(QPalette::Base);
    if (event->type() == QEvent::EnabledChange && !isEnabled() && tracking_)
        endButtonTracking();
    QLineEdit::changeEvent(event);
}

// --- text and typed access ---------------------------------------------------------------

void TypedEdit::setText(const QString &text)
{
    const EditText result =
        normaliseEditText(text, valueType_, editMask_, regional().formats(), regional().today());
    valid_ = result.valid;
    errorMessage_ = result.errorMessage;
    QLineEdit::setText(result.text);
}

void TypedEdit::setValueType(ValueType type)
{
    if (type == valueType_)
        return;
    valueType_ = type;
    update();
}

qint32 TypedEdit::asInteger() const
{
    return readInteger(numberCharacters(text(), regional().formats())).value_or(0);
}

void TypedEdit::setAsInteger(qint32 value)
{
    setText(QString::number(value));
}

double TypedEdit::asDecimal() const
{
    const platform::RegionalFormats formats = regional().formats();
    return readDecimal(numberCharacters(text(), formats), formats.decimalSeparator).value_or(0.0);
}

void TypedEdit::setAsDecimal(double value)
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
    setText(value.isValid() ? formatDate(value, regional().formats().shortDateFormat) : QString());
}

QTime TypedEdit::asTime() const
{
    return readTime(text(), regional().formats()).value_or(QTime(0, 0));
}

void TypedEdit::setAsTime(QTime value)
{
    setText(value.isValid() ? formatTime(value, regional().formats().longTimeFormat) : QString());
}

// --- focus -------------------------------------------------------------------------------

void TypedEdit::focusInEvent(QFocusEvent *event)
{
    entered_ = true;
    if (valid_)
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
        if (tracking_)
            endButtonTracking();
        if (isVisible() && isEnabled()) {
            if (!checkOnLeaving())
                return; // the focus is back here; the exit is not announced
        } else {
            // Being hidden or disabled: it could not take the focus back, so no box either.
            applyShade(valid_ ? Shade::Designed : Shade::Error);
        }
    }
    QLineEdit::focusOutEvent(event);
}

bool TypedEdit::checkOnLeaving()
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
        if (valid_ && validator_) {
            if (const std::optional<QString> refusal = validator_(text())) {
                valid_ = false;
                errorMessage_ = *refusal;
            }
        }
        if (valid_) {
            applyShade(Shade::Designed);
            return true;
        }
        applyShade(Shade::Error);
        // The focus goes back before the box is shown, so that the box returns it to this
        // control when it closes, and the control that was to get it never counts as entered.
        if (focusPolicy() != Qt::NoFocus)
            setFocus(Qt::OtherFocusReason);
    }
    showError(errorMessage_);
    return false;
}

void TypedEdit::showError(const QString &text)
{
    if (MessageBoxes *boxes = boxes_ ? boxes_ : defaultBoxes) {
        boxes->show(this, BoxKind::Error, text);
        return;
    }
    QtMessageBoxes plain;
    plain.show(window(), BoxKind::Error, text);
}

// --- keys --------------------------------------------------------------------------------

void TypedEdit::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter never types into the single line, nor reaches a default button.
        moveLikeTab(TabKey::Enter, true);
        break;
    case Qt::Key_Down:
        if (modifiers != Qt::AltModifier)
            moveLikeTab(TabKey::Down, true);
        else if (innerButton_ != InnerButton::None)
            Q_EMIT buttonClicked();
        else
            selectAll();
        break;
    case Qt::Key_Up:
        moveLikeTab(TabKey::Up, false);
        break;
    default:
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TypedEdit::moveLikeTab(TabKey key, bool forward)
{
    if (tabKeys_.testFlag(key))
        focusNextPrevChild(forward);
    else
        selectAll();
}

// --- inner button ------------------------------------------------------------------------
void TypedEdit::setInnerButton(InnerButton button)
{
    if (button == innerButton_)
        return;
    innerButton_ = button;
    if (tracking_)
        endButtonTracking();
    setMouseTracking(button != InnerButton::None);
    if (button == InnerButton::None)
        unsetCursor();
    updateTextMargins();
    update();
}

QRect TypedEdit::buttonRect() const
{
    if (innerButton_ == InnerButton::None)
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
    return QRect(client.right() - buttonWidth_ + 1, client.top(), buttonWidth_, client.height());
}

void TypedEdit::updateTextMargins()
{
    const int left = hasFrame() ? 0 : 1;
    const int right = innerButton_ != InnerButton::None ? buttonWidth_ : 0;
    const QMargins wanted(left, 0, right, 0);
    if (textMargins() != wanted)
        setTextMargins(wanted);
}

void TypedEdit::trackButton(const QPoint &pos)
{
    const bool pressed = buttonRect().contains(pos);
    if (pressed == buttonPressed_)
        return;
    buttonPressed_ = pressed;
    update(buttonRect());
}

void TypedEdit::endButtonTracking()
{
    tracking_ = false;
    if (buttonPressed_) {
        buttonPressed_ = false;
        update(buttonRect());
    }
}

void TypedEdit::updateCursorAt(const QPoint &pos)
{
    if (innerButton_ == InnerButton::None)
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
    if (innerButton_ != InnerButton::None && event->button() == Qt::LeftButton &&
        buttonRect().contains(pos)) {
        // The widget holds the mouse until the release, wherever the mouse goes.
        tracking_ = true;
        buttonPressed_ = false;
        trackButton(pos);
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void TypedEdit::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    updateCursorAt(pos);
    if (tracking_) {
        trackButton(pos);
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void TypedEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (!tracking_) {
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    trackButton(event->position().toPoint());
    const bool clicked = buttonPressed_ && event->button() == Qt::LeftButton;
    endButtonTracking();
    event->accept();
    if (clicked)
        Q_EMIT buttonClicked();
}

void TypedEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (innerButton_ != InnerButton::None && buttonRect().contains(event->position().toPoint())) {
        event->accept(); // no word selection under the button, and no second press
        return;
    }
    QLineEdit::mouseDoubleClickEvent(event);
}

void TypedEdit::enterEvent(QEnterEvent *event)
{
    mouseInside_ = true;
    if (innerButton_ != InnerButton::None) {
        updateCursorAt(event->position().toPoint());
        update(buttonRect());
    }
    QLineEdit::enterEvent(event);
}

void TypedEdit::leaveEvent(QEvent *event)
{
    mouseInside_ = false;
    if (innerButton_ != InnerButton::None)
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
        if (tracking_)
            endButtonTracking();
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void TypedEdit::paintEvent(QPaintEvent *event)
{
    updateTextMargins();
    QLineEdit::paintEvent(event);
    if (innerButton_ == InnerButton::None)
        return;
    QPainter painter(this);
    paintButton(painter);
}

void TypedEdit::paintButton(QPainter &painter)
{
    const QRect r = buttonRect();
    if (r.isEmpty())
        return;
    painter.fillRect(r, palette().color(QPalette::Base));
    QStyle::State state = QStyle::State_None;
    if (isEnabled())
        state |= QStyle::State_Enabled;
    state |= buttonPressed_ ? QStyle::State_Sunken : QStyle::State_Raised;
    if (mouseInside_ && isEnabled())
        state |= QStyle::State_MouseOver;

    drawFace(painter, this, r, state);
    if (innerButton_ == InnerButton::Ellipsis)
        drawEllipsis(painter, r, buttonWidth_, buttonPressed_);
    else
        drawArrow(painter, this, r, state, buttonPressed_);
}


} // namespace menu::widgets
