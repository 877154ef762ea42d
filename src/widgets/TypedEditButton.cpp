// The typed edit control's inner button: its place, the mouse on it, and its painting.
#include "widgets/TypedEdit.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include <algorithm>

namespace menu::widgets {

namespace {
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
