#include "gui/MenuUpdate.h"

#include "core/UpdateAddress.h"
#include "core/UpdateOffer.h"
#include "core/ZipReader.h"
#include "widgets/AEdit.h"
#include "gui/Faults.h"
#include "platform/Services.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

// The pictures live in a static library; registering them here keeps the linker from
// dropping them.
static void registerUpdatePictures()
{
    Q_INIT_RESOURCE(update);
}

namespace menu::gui {

namespace {

constexpr int kClientWidth = 404;
constexpr int kClientHeight = 190;
const QColor kMoneyGreen(192, 220, 192);
const QColor kNavy(0, 0, 128);

// Tahoma 8 points; where it is missing, a face about as narrow, so that the labels and
// versions fit the places the dialog gives them.
QFont tahoma8()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Segoe UI"),
                      QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    return font;
}

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

TAEdit *readOnlyField(QWidget *parent, const char *name, const QRect &place)
{
    auto *field = new TAEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(place);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus); // no tab stop
    QFont bold = field->font();
    bold.setBold(true);
    field->setFont(bold);
    field->setFocusColor(kMoneyGreen);
    field->setErrorColor(Qt::red);
    field->setEditStyle(esSimple);
    field->setEditType(ttString);
    field->setKeyLikeTab(kEnter | kDown | kUp);
    field->setColor(parent->palette().color(QPalette::Button));
    return field;
}

void setTextColour(QWidget *widget, QPalette::ColorRole role, bool red)
{
    QPalette p = widget->palette();
    const QColor colour = red ? QColor(Qt::red) : QApplication::palette().color(role);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, role, colour);
    widget->setPalette(p);
}

// What the transfer's thread leaves for the dialog. Progress is kept as the latest state and
// at most one delivery is pending, so that a fast transfer does not flood the event queue.
struct Transfer {
    std::mutex mutex;
    QString text;
    std::int32_t current = 0;
    std::int32_t max = -1;
    bool pending = false;
    bool done = false; // read and written on the dialog's thread only
    bool result = false;
    QString ecText, ecHint;
    std::exception_ptr escaped;
};

// The monitor the transfer's thread reports to: it hands every notification over to the
// dialog's thread.
class ProgressRelay final : public core::IHttpDownProgress {
  public:
    ProgressRelay(TfMenuUpdate &dialog, Transfer &transfer) : dialog_(dialog), transfer_(transfer)
    {
    }

    void HttpDownProgressNotification(const QString &Text, std::int32_t CurrentProgress,
                                      std::int32_t MaxProgress) override
    {
        // The gauge takes no negative size; refusing it here ends the download as a critical
        // error, as the gauge itself would.
        if (MaxProgress < -1)
            throw std::out_of_range("Neplatná veľkosť súboru " + std::to_string(MaxProgress));
        {
            const std::lock_guard lock(transfer_.mutex);
            transfer_.text = Text;
            transfer_.current = CurrentProgress;
            if (MaxProgress != -1)
                transfer_.max = MaxProgress;
            if (transfer_.pending)
                return;
            transfer_.pending = true;
        }
        TfMenuUpdate *dialog = &dialog_;
        Transfer *transfer = &transfer_;
        QMetaObject::invokeMethod(
            dialog,
            [dialog, transfer] {
                QString text;
                std::int32_t current = 0, max = -1;
                {
                    const std::lock_guard lock(transfer->mutex);
                    text = transfer->text;
                    current = transfer->current;
                    max = transfer->max;
                    transfer->pending = false;
                }
                guarded(dialog, [&] { dialog->HttpDownProgressNotification(text, current, max); });
            },
            Qt::QueuedConnection);
    }

  private:
    TfMenuUpdate &dialog_;
    Transfer &transfer_;
};

} // namespace

TfMenuUpdate::TfMenuUpdate(platform::MessageBoxes &boxes, QWidget *centreOver)
    : QDialog(nullptr), boxes_(boxes), centreOver_(centreOver),
      ZipReader(std::make_unique<core::ZipReader>())
{
    setObjectName(QStringLiteral("fMenuUpdate"));
    setWindowTitle(QStringLiteral("Aktualizácia programu"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(tahoma8());
    setFixedSize(kClientWidth, kClientHeight);
    createComponents();
    FormCreate();
}

TfMenuUpdate::~TfMenuUpdate()
{
    if (busy_)
        qApp->removeEventFilter(this);
}

void TfMenuUpdate::createComponents()
{
    PanelClient = new QFrame(this);
    PanelClient->setObjectName(QStringLiteral("PanelClient"));
    PanelClient->setFrameShape(QFrame::NoFrame);
    PanelClient->setGeometry(0, 0, kClientWidth, kClientHeight);
    // The button face is the dialog's own background: an opaque panel over all of it would
    // keep the dialog's paint, which closes it at the end, from ever running.
    QPalette face = palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(face);

    LabInfo = label(PanelClient, "LabInfo", QStringLiteral("INFORMÁCIE"), 10, 10);
    QFont bold = LabInfo->font();
    bold.setBold(true);
    LabInfo->setFont(bold);
    LabInfo->adjustSize();
    LabelCom = label(PanelClient, "LabelCom",
                     QStringLiteral("Aktuálna verzia programu na Vašom počítači"), 10, 35);
    LabelInt = label(PanelClient, "LabelInt",
                     QStringLiteral("Aktuálna verzia programu na internete"), 10, 60);
    LabPoz = label(PanelClient, "LabPoz", QStringLiteral("Poznámka"), 10, 85);
    LabByt = label(PanelClient, "LabByt", QStringLiteral("Veľkosť súboru"), 322, 85);
    LabByt->setGeometry(322, 85, 73, 13);
    LabByt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    fCom = readOnlyField(PanelClient, "fCom", QRect(233, 32, 162, 21));
    fInt = readOnlyField(PanelClient, "fInt", QRect(233, 57, 162, 21));
    fPoz = readOnlyField(PanelClient, "fPoz", QRect(10, 100, 385, 21));

    Gauge = new QProgressBar(PanelClient);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setGeometry(10, 100, 385, 21);
    Gauge->setRange(0, 100);
    Gauge->setTextVisible(true);
    Gauge->setFormat(QStringLiteral("%p%"));
    Gauge->setAlignment(Qt::AlignCenter);
    QPalette bar = Gauge->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        bar.setColor(group, QPalette::Highlight, kNavy);
    Gauge->setPalette(bar);

    bbImp =
        new QPushButton(QStringLiteral("&Stiahnuť a nainštalovať (nie je potrebné)"), PanelClient);
    bbImp->setObjectName(QStringLiteral("bbImp"));
    bbImp->setGeometry(10, 135, 223, 25);
    connect(bbImp, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { bbImpClick(); }); });

    bbKoniec = new QPushButton(QStringLiteral("Koniec"), PanelClient);
    bbKoniec->setObjectName(QStringLiteral("bbKoniec"));
    bbKoniec->setGeometry(320, 135, 75, 25);
    connect(bbKoniec, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(bbKoniec, bbImp);

    fStatusBar = new QLabel(PanelClient);
    fStatusBar->setObjectName(QStringLiteral("fStatusBar"));
    fStatusBar->setGeometry(0, 171, kClientWidth, 19);
    fStatusBar->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    fStatusBar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fStatusBar->setTextFormat(Qt::PlainText);

    PanelImage = new QFrame(PanelClient);
    PanelImage->setObjectName(QStringLiteral("PanelImage"));
    PanelImage->setFrameShape(QFrame::NoFrame);
    PanelImage->setGeometry(280, 6, 110, 21);

    ImageTea = new QLabel(PanelImage);
    ImageTea->setObjectName(QStringLiteral("ImageTea"));
    ImageTea->setGeometry(110 - 21, 0, 21, 21);
    ImageTea->setScaledContents(true);
    ImageTea->setPixmap(updatePicture("ImageTea"));
    ImageTea->hide();

    ImageOrvan = new QLabel(PanelImage);
    ImageOrvan->setObjectName(QStringLiteral("ImageOrvan"));
    ImageOrvan->setGeometry(110 - 35, 0, 35, 21);
    ImageOrvan->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ImageOrvan->setPixmap(
        updatePicture("ImageOrvan").scaled(35, 21, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    ImageOrvan->hide();
}

void TfMenuUpdate::FormCreate()
{
    Koniec = false;
    xInstantStart = false;
    yUspesne = false;
    fCom->setText(QString());
    fInt->setText(QString());
    fPoz->setText(QString());
    LabPoz->setText(QStringLiteral("Poznámka"));
    LabPoz->adjustSize();
    Gauge->hide();
    Gauge->setGeometry(fPoz->x(), fPoz->y(), fPoz->width(), Gauge->height());
    LabByt->hide();
}

void TfMenuUpdate::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (centreOver_ != nullptr) {
        const QRect over = centreOver_->frameGeometry();
        const QSize frame = frameGeometry().size();
        move(over.center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
    guarded(this, [this] { FormShow(); });
    // Where the window system does not make the dialog active (offscreen, or a desktop that
    // keeps the focus where the user types), the instant start must not wait for it.
    QMetaObject::invokeMethod(
        this, [this] { guarded(this, [this] { FormActivate(); }); }, Qt::QueuedConnection);
}

void TfMenuUpdate::FormShow()
{
    StatusBarWrite(xLicKonLastTxt);
    const bool launcher = launcherPackage();
    LabInfo->setText(launcher ? QStringLiteral("ORVAN-Základná ponuka")
                              : QStringLiteral("Team Viewer - ORVAN"));
    LabInfo->adjustSize();
    (launcher ? ImageOrvan : ImageTea)->show();

    fCom->setText(core::shownVersionText(xComAktCis, xComAktDat));
    const core::UpdateCase updateCase =
        core::updateCaseFor(xComAktCis, xComAktDat, xIntAktCis, xIntAktDat);
    if (updateCase != core::UpdateCase::A)
        fInt->setText(core::shownVersionText(xIntAktCis, xIntAktDat));
    const core::UpdateRecommendation r = core::updateRecommendation(updateCase, launcher);
    fPoz->setText(r.note);
    setTextColour(fPoz, QPalette::Text, r.noteRed);
    if (r.announcedRed)
        setTextColour(fInt, QPalette::Text, true);
    // A text wider than its field shows its beginning.
    for (TAEdit *field : {fCom, fInt, fPoz})
        field->setCursorPosition(0);
    bbImp->setText(r.buttonCaption);
    caseButtonEnabled_ = r.buttonEnabled;
    bbImp->setEnabled(r.buttonEnabled && !xInstantStart);
    fStatusBar->setToolTip(QStringLiteral("Súbor na stiahnutie ") + xLocDirFile);
    bbKoniec->setFocus();
}

bool TfMenuUpdate::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate) {
        // After the activation has been handled: the import may open boxes and wait.
        QMetaObject::invokeMethod(
            this, [this] { guarded(this, [this] { FormActivate(); }); }, Qt::QueuedConnection);
    }
    return handled;
}

void TfMenuUpdate::FormActivate()
{
    if (!xInstantStart || instantStartDone_ || !isVisible())
        return;
    instantStartDone_ = true;
    QCoreApplication::processEvents(); // drawn first
    pImport();
    // A failed automatic start is not repeated; the button lets the user try again where the
    // comparison allows it.
    if (!yUspesne && !Koniec)
        bbImp->setEnabled(caseButtonEnabled_);
}

void TfMenuUpdate::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    FormPaint();
}

void TfMenuUpdate::FormPaint()
{
    if (!Koniec || closing_)
        return;
    closing_ = true;
    // Closed from the event loop, not from inside the paint.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void TfMenuUpdate::closeEvent(QCloseEvent *event)
{
    // Nothing closes the dialog while a transfer or the unpacking runs.
    if (busy_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool TfMenuUpdate::eventFilter(QObject *watched, QEvent *event)
{
    if (!busy_ || !watched->isWidgetType())
        return QDialog::eventFilter(watched, event);
    if (static_cast<QWidget *>(watched)->window() != this)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

void TfMenuUpdate::setBusy(bool busy)
{
    blockInput(busy);
    CursorWait(busy);
}

void TfMenuUpdate::blockInput(bool busy)
{
    // The dialog is kept from taking input rather than disabled, so that the gauge and the
    // notes keep their colours while it works.
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

void TfMenuUpdate::bbImpClick()
{
    pImport();
}

void TfMenuUpdate::pImport()
{
    if (!fImport())
        return;
    if (launcherPackage()) {
        if (fImportDecomp()) {
            yUspesne = true;
            bbImp->setEnabled(false);
            Koniec = true;
        }
    } else {
        yUspesne = true;
        bbImp->setEnabled(false);
    }
    if (xInstantStart) {
        xInstantStart = false;
        Koniec = true;
    }
    if (Koniec)
        update();
}

bool TfMenuUpdate::fImport()
{
    if (xIntAktCis.size() < 7) {
        boxes_.show(this, platform::BoxKind::Error,
                    QStringLiteral("Súbor na internete nie je známy !"));
        return false;
    }
    blockInput(true);
    struct Idle {
        TfMenuUpdate *dialog;
        ~Idle()
        {
            dialog->blockInput(false);
            dialog->StatusBarWrite(QString());
        }
    } idle{this};
    StatusBarWrite(QStringLiteral("Čakajte, pracujem !"));
    LabPoz->setText(QStringLiteral("Stiahnutie novej verzie ..."));
    LabPoz->adjustSize();
    fPoz->hide();
    Gauge->show();
    setSizeText(QString());
    LabByt->show();
    Gauge->setValue(Gauge->minimum());

    QString EcText, EcHint;
    if (download(core::PackageFilesUrl() + xIntAktFil, EcText, EcHint)) {
        LabPoz->setText(QStringLiteral("Súbor ÚSPEŠNE prijatý ..."));
        LabPoz->adjustSize();
        return true;
    }
    setTextColour(LabPoz, QPalette::WindowText, true);
    LabPoz->setText(EcText);
    LabPoz->adjustSize();
    return false;
}

bool TfMenuUpdate::download(const QString &url, QString &EcText, QString &EcHint)
{
    Transfer transfer;
    QEventLoop loop;
    const QString target = xLocDirFile;
    std::thread worker([this, &transfer, &loop, url, target] {
        try {
            core::THttpDown down;
            ProgressRelay relay(*this, transfer);
            QString text, hint;
            const bool ok = down.fHttpDownProgress2(url, target, relay, text, hint);
            const std::lock_guard lock(transfer.mutex);
            transfer.result = ok;
            transfer.ecText = text;
            transfer.ecHint = hint;
        } catch (...) {
            const std::lock_guard lock(transfer.mutex);
            transfer.escaped = std::current_exception();
        }
        // Queued behind every progress delivery, so the gauge has its last state when the
        // dialog goes on.
        QMetaObject::invokeMethod(
            &loop,
            [&transfer, &loop] {
                transfer.done = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    // An application that is asked to quit ends every event loop; the transfer is waited for
    // all the same, as the dialog cannot go before its thread has ended.
    while (!transfer.done)
        loop.exec();
    worker.join();
    if (transfer.escaped)
        std::rethrow_exception(transfer.escaped);
    EcText = transfer.ecText;
    EcHint = transfer.ecHint;
    return transfer.result;
}

void TfMenuUpdate::HttpDownProgressNotification(const QString &, std::int32_t CurrentProgress,
                                                std::int32_t MaxProgress)
{
    if (MaxProgress < -1)
        throw std::out_of_range("Neplatná veľkosť súboru " + std::to_string(MaxProgress));
    if (MaxProgress != -1) {
        // A range of 0 to 0 would make the gauge run as a busy bar; an empty file is complete.
        Gauge->setMaximum(std::max(MaxProgress, 1));
        setSizeText(core::fileSizeText(MaxProgress));
    }
    Gauge->setValue(std::clamp(CurrentProgress, Gauge->minimum(), Gauge->maximum()));
}

bool TfMenuUpdate::fImportDecomp()
{
    return core::fImportDecomp(xLocDirFile, *ZipReader, *this, boxes_, this);
}

void TfMenuUpdate::StatusBarWrite(const QString &s)
{
    fStatusBar->setText(QStringLiteral("  ") + s);
    fStatusBar->repaint();
}

void TfMenuUpdate::setSizeText(const QString &text)
{
    // Right-aligned at its right edge, and as wide as its text needs: a size in bytes does not
    // fit the label's designed width.
    LabByt->setText(text);
    const QRect designed(322, 85, 73, 13);
    const int width = std::max(designed.width(), LabByt->sizeHint().width());
    const int height = std::max(designed.height(), LabByt->sizeHint().height());
    LabByt->setGeometry(designed.right() + 1 - width, designed.top(), width, height);
}

void TfMenuUpdate::setNoteColour(bool red)
{
    setTextColour(LabPoz, QPalette::WindowText, red);
}

void TfMenuUpdate::statusBarWrite(const QString &text)
{
    StatusBarWrite(text);
}

void TfMenuUpdate::setNote(const QString &text, bool red)
{
    if (red)
        setNoteColour(true);
    LabPoz->setText(text);
    LabPoz->adjustSize();
}

} // namespace menu::gui
