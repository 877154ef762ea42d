// The typed edit control: services, colours, text and typed access, focus and keys. The inner
// button lives in TypedEditButton.cpp.
#include "widgets/TypedEdit.h"

#include "widgets/DateUtil.h"

#include <QKeyEvent>
#include <QStyle>

namespace menu::widgets {

namespace {
// What a control uses when its form gives it no settings: the office's Slovak formats and today's
// local date. The system's own settings are the application's to choose.
class SlovakRegionalSettings final : public platform::RegionalSettings {
  public:
    platform::RegionalFormats formats() const override { return platform::slovakFormats(); }
    QDate today() const override { return QDate::currentDate(); }
};

platform::RegionalSettings &fallbackRegional()
{
    static SlovakRegionalSettings settings;
    return settings;
}

// Set while a control checks its text on leaving: the focus moves back and forth then, and no
// other control may start its own check because of that.
bool exitInProgress = false;
} // namespace

TypedEdit::TypedEdit(QWidget *parent) : QLineEdit(parent)
{
    buttonWidth_ = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    designedColor_ = palette().color(QPalette::Base);
}

TypedEdit::~TypedEdit() = default;

platform::RegionalSettings &TypedEdit::regional() const
{
    return regional_ ? *regional_ : fallbackRegional();
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
    return readDate(text(), regional().formats(), regional().today()).value_or(QDate(1899, 12, 30));
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
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
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
    if (errorBox_ != nullptr)
        errorBox_->showError(this, text);
    else
        showPlainErrorBox(window(), QStringLiteral("Chyba"), text);
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

} // namespace menu::widgets
