#include "gui/UpdateDialogForm.h"

#include "widgets/TypedEdit.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

// The pictures live in a static library; registering them here keeps the linker from
// dropping them.
static void registerUpdatePictures()
{
    Q_INIT_RESOURCE(update);
}

namespace menu::gui {

namespace {

const QColor kMoneyGreen(192, 220, 192);
const QColor kNavy(0, 0, 128);
const QRect kSizeLabel(322, 85, 73, 13);
constexpr int kFieldLeft = 233;
constexpr int kRight = 395; // the right edge of the fields and buttons
constexpr int kLabelGap = 4;
constexpr int kFieldMargins = 10; // frame and inner margins of a field
// The widest value a version field shows: a launcher's version and date.
const QString kWidestValue = QStringLiteral("v0.0.0.00 zo dňa 00.00.0000");

// The download's gauge as the design draws it: navy on white with the percentage inverted
// where the bar has reached, whatever the platform's style draws for a progress bar.
class Gauge final : public QProgressBar {
  public:
    using QProgressBar::QProgressBar;

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect inside = rect().adjusted(1, 1, -1, -1);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const qint64 span = qint64(maximum()) - minimum();
        const qint64 done = span > 0 ? qint64(value()) - minimum() : 0;
        const int reached =
            span > 0 ? int(inside.width() * std::clamp<qint64>(done, 0, span) / span) : 0;
        const QRect bar(inside.topLeft(), QSize(reached, inside.height()));
        painter.fillRect(inside, Qt::white);
        painter.fillRect(bar, kNavy);
        const QString label = text();
        painter.setPen(kNavy);
        painter.setClipRect(inside.adjusted(reached, 0, 0, 0));
        painter.drawText(inside, Qt::AlignCenter, label);
        painter.setPen(Qt::white);
        painter.setClipRect(bar);
        painter.drawText(inside, Qt::AlignCenter, label);
    }
};

QPixmap updatePicture(const char *name)
{
    static const bool registered = (registerUpdatePictures(), true);
    (void)registered;
    return QPixmap(QStringLiteral(":/update/%1.png").arg(QLatin1String(name)));
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    l->move(left, top);
    l->adjustSize();
    return l;
}

widgets::TypedEdit *readOnlyField(QWidget *parent, const char *name, const QRect &place)
{
    auto *field = new widgets::TypedEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(place);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus); // no tab stop
    QFont bold = field->font();
    bold.setBold(true);
    field->setFont(bold);
    field->setFocusColor(kMoneyGreen);
    field->setErrorColor(Qt::red);
    field->setInnerButton(widgets::InnerButton::None);
    field->setValueType(widgets::ValueType::Text);
    field->setTabKeys(widgets::TabKey::Enter | widgets::TabKey::Down | widgets::TabKey::Up);
    field->setColor(parent->palette().color(QPalette::Button));
    return field;
}

} // namespace

void setTextColour(QWidget *widget, int role, bool red)
{
    const auto colourRole = static_cast<QPalette::ColorRole>(role);
    QPalette p = widget->palette();
    const QColor colour = red ? QColor(Qt::red) : QApplication::palette().color(colourRole);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, colourRole, colour);
    widget->setPalette(p);
}

UpdateDialogForm::UpdateDialogForm(QWidget *dialog)
{
    auto *panel = new QFrame(dialog);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setGeometry(0, 0, kWidth, kHeight);

    title = label(panel, "title", QStringLiteral("INFORMÁCIE"), 10, 10);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->adjustSize();
    installedLabel = label(panel, "installedLabel",
                           QStringLiteral("Aktuálna verzia programu na Vašom počítači"), 10, 35);
    announcedLabel = label(panel, "announcedLabel",
                           QStringLiteral("Aktuálna verzia programu na internete"), 10, 60);
    noteLabel = label(panel, "noteLabel", QStringLiteral("Poznámka"), 10, 85);
    sizeLabel = label(panel, "sizeLabel", QStringLiteral("Veľkosť súboru"), 322, 85);
    sizeLabel->setGeometry(kSizeLabel);
    sizeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    installed = readOnlyField(panel, "installedField", QRect(233, 32, 162, 21));
    announced = readOnlyField(panel, "announcedField", QRect(233, 57, 162, 21));
    note = readOnlyField(panel, "noteField", QRect(10, 100, 385, 21));

    gauge = new Gauge(panel);
    gauge->setObjectName(QStringLiteral("gauge"));
    gauge->setGeometry(10, 100, 385, 21);
    gauge->setRange(0, 100);
    gauge->setTextVisible(true);
    gauge->setFormat(QStringLiteral("%p%"));
    gauge->setAlignment(Qt::AlignCenter);

    import = new QPushButton(QStringLiteral("&Stiahnuť a nainštalovať (nie je potrebné)"), panel);
    import->setObjectName(QStringLiteral("importButton"));
    import->setGeometry(10, 135, 223, 25);
    close = new QPushButton(QStringLiteral("Koniec"), panel);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setGeometry(320, 135, 75, 25);
    QWidget::setTabOrder(close, import);

    statusLine = new QLabel(panel);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    statusLine->setGeometry(0, 171, kWidth, 19);
    statusLine->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    statusLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusLine->setTextFormat(Qt::PlainText);

    createImages(panel);
    fitFont(panel);
}

void UpdateDialogForm::fitFont(QWidget *panel)
{
    const int labels =
        installedLabel->x() +
        std::max(installedLabel->sizeHint().width(), announcedLabel->sizeHint().width()) +
        kLabelGap;
    const int fieldLeft = std::max(kFieldLeft, labels);
    const int valueWidth = installed->fontMetrics().horizontalAdvance(kWidestValue) + kFieldMargins;
    const int fieldWidth = std::max(kRight - fieldLeft, valueWidth);
    extra_ = fieldLeft + fieldWidth - kRight;
    width = kWidth + extra_;
    for (QWidget *field : {static_cast<QWidget *>(installed), static_cast<QWidget *>(announced)})
        field->setGeometry(fieldLeft, field->y(), fieldWidth, field->height());
    if (extra_ == 0)
        return;
    for (QWidget *wider : {panel, static_cast<QWidget *>(note), static_cast<QWidget *>(gauge),
                           static_cast<QWidget *>(statusLine)})
        wider->resize(wider->width() + extra_, wider->height());
    for (QWidget *right : {static_cast<QWidget *>(sizeLabel), static_cast<QWidget *>(close),
                           teamViewerImage->parentWidget()})
        right->move(right->x() + extra_, right->y());
}

void UpdateDialogForm::createImages(QWidget *panel)
{
    auto *images = new QFrame(panel);
    images->setObjectName(QStringLiteral("imagePanel"));
    images->setFrameShape(QFrame::NoFrame);
    images->setGeometry(280, 6, 110, 21);
    teamViewerImage = new QLabel(images);
    teamViewerImage->setObjectName(QStringLiteral("teamViewerImage"));
    teamViewerImage->setGeometry(110 - 21, 0, 21, 21);
    teamViewerImage->setScaledContents(true);
    teamViewerImage->setPixmap(updatePicture("ImageTea"));
    teamViewerImage->hide();
    launcherImage = new QLabel(images);
    launcherImage->setObjectName(QStringLiteral("launcherImage"));
    launcherImage->setGeometry(110 - 35, 0, 35, 21);
    launcherImage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    launcherImage->setPixmap(
        updatePicture("ImageOrvan").scaled(35, 21, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    launcherImage->hide();
}

void UpdateDialogForm::setSizeText(const QString &text)
{
    sizeLabel->setText(text);
    const int wide = std::max(kSizeLabel.width(), sizeLabel->sizeHint().width());
    const int height = std::max(kSizeLabel.height(), sizeLabel->sizeHint().height());
    sizeLabel->setGeometry(kSizeLabel.right() + extra_ + 1 - wide, kSizeLabel.top(), wide, height);
}

} // namespace menu::gui
