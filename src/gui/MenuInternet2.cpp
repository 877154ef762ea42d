#include "gui/MenuInternet2.h"

#include "core/MenuSettings.h"
#include "gui/Faults.h"

#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <algorithm>
#include <exception>

namespace menu::gui {

namespace {

const QString kOptions = QStringLiteral("OPTIONS");
const QString kLicKon = QStringLiteral("LicKon");
const QString kNext = QStringLiteral("Next");
const QString kSave = QStringLiteral("Save");
const QString kExit = QStringLiteral("Exit");

QFont tahoma11()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    return font;
}

} // namespace

TfMenuInternet2::TfMenuInternet2(core::MenuIni &ini, platform::MessageBoxes &boxes, QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ini_(ini), boxes_(boxes)
{
    setObjectName(QStringLiteral("fMenuInternet2"));
    setWindowTitle(QStringLiteral("Nastavenie aktualizácie z internetu ..."));
    setFont(tahoma11());
    setFixedSize(335, 146);
    setModal(true);

    PanelKoniec = new QFrame(this);
    PanelKoniec->setObjectName(QStringLiteral("PanelKoniec"));
    PanelKoniec->setGeometry(0, 146 - 41, 335, 41);
    PanelKoniec->setFrameStyle(QFrame::Panel | QFrame::Plain);
    PanelKoniec->setLineWidth(1);
    QPalette line = PanelKoniec->palette();
    line.setColor(QPalette::WindowText, line.color(QPalette::Mid));
    PanelKoniec->setPalette(line);

    bbUlozit = new QPushButton(QStringLiteral("&Uložiť"), PanelKoniec);
    bbUlozit->setObjectName(QStringLiteral("bbUlozit"));
    bbUlozit->setGeometry(207, 7, 55, 25);
    bbKoniec = new QPushButton(QStringLiteral("&Koniec"), PanelKoniec);
    bbKoniec->setObjectName(QStringLiteral("bbKoniec"));
    bbKoniec->setGeometry(268, 7, 55, 25);
    // The frame's colour is for the line only.
    for (QPushButton *button : {bbUlozit, bbKoniec})
        button->setPalette(palette());

    PanelLicKon =
        new QGroupBox(QStringLiteral(" Kontrola novej verzie programu cez internet "), this);
    PanelLicKon->setObjectName(QStringLiteral("PanelLicKon"));
    PanelLicKon->setGeometry(0, 15, 335, 146 - 41 - 15);
    QFont bold = tahoma11();
    bold.setBold(true);
    PanelLicKon->setFont(bold);

    fLicKon0 = new QRadioButton(QStringLiteral("Pri každom spustení programu"), PanelLicKon);
    fLicKon0->setObjectName(QStringLiteral("fLicKon0"));
    fLicKon0->setGeometry(24, 27, 290, 17);
    fLicKon0->setChecked(true);

    PanelTop = new QFrame(this);
    PanelTop->setObjectName(QStringLiteral("PanelTop"));
    PanelTop->setGeometry(0, 0, 335, 15);
    PanelTop->setFrameStyle(QFrame::NoFrame);

    fLicKon2 = new QRadioButton(QStringLiteral("Nikdy nekontrolovať"), PanelLicKon);
    fLicKon2->setObjectName(QStringLiteral("fLicKon2"));
    fLicKon2->setGeometry(24, 53, 290, 17);

    QFont regular = tahoma11();
    regular.setBold(false); // said outright, or the group box's bold is inherited
    for (QRadioButton *radio : {fLicKon0, fLicKon2}) {
        radio->setFont(regular);
        // As wide as its text: Qt takes clicks only on the indicator and the text.
        radio->resize(std::min(radio->sizeHint().width(), 290), radio->height());
        radio->installEventFilter(this);
        connect(radio, &QRadioButton::toggled, this,
                [this] { guarded(this, [this] { OnChange(); }); });
    }
    setTabOrder(fLicKon0, fLicKon2);
    setTabOrder(fLicKon2, bbUlozit);
    setTabOrder(bbUlozit, bbKoniec);

    connect(bbUlozit, &QPushButton::clicked, this, [this] {
        guarded(this, [this] {
            bbUlozitClick();
            accept();
        });
    });
    connect(bbKoniec, &QPushButton::clicked, this, [this] {
        guarded(this, [this] {
            bbKoniecClick();
            reject();
        });
    });

    FormCreate();
}

void TfMenuInternet2::FormCreate()
{
    Event = kNext;
}

void TfMenuInternet2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // shown again after being minimised with its owner: nothing to read
    if (QWidget *owner = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->window()->frameGeometry().center());
        move(frame.topLeft());
    }
    guarded(this, [this] { FormShow(); });
}

void TfMenuInternet2::FormShow()
{
    const QString stored = ini_.MenuIniRead(kOptions, kLicKon);
    if (stored.compare(QLatin1String("2"), Qt::CaseInsensitive) == 0)
        fLicKon2->setChecked(true);
    else
        fLicKon0->setChecked(true);
    bbUlozit->setEnabled(false); // the selection above is not the user's change
}

void TfMenuInternet2::OnChange()
{
    bbUlozit->setEnabled(true);
}

bool TfMenuInternet2::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == fLicKon0 || watched == fLicKon2) && event->type() == QEvent::KeyPress)
        return fLicKon0KeyDown(static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

// Enter on a radio button goes on to the next control, as Tab does, instead of closing.
bool TfMenuInternet2::fLicKon0KeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    focusNextChild();
    return true;
}

void TfMenuInternet2::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        bbKoniec->click(); // Koniec is the Cancel button
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfMenuInternet2::bbUlozitClick()
{
    Event = kSave;
}

void TfMenuInternet2::bbKoniecClick()
{
    Event = kExit;
}

void TfMenuInternet2::done(int result)
{
    Q_UNUSED(result);
    const bool saving = Event == kSave;
    if (!FormCloseQuery())
        return;
    QDialog::done(saving ? Accepted : Rejected);
}

bool TfMenuInternet2::FormCloseQuery()
{
    bool canClose = true;
    if (Event == kSave) {
        canClose = false;
        try {
            if (fFormSave())
                canClose = true;
        } catch (const std::exception &error) {
            boxes_.show(this, platform::BoxKind::Error,
                        QStringLiteral("POZOR! Chyba pri ukladaní údajov !\r\r") +
                            QString::fromUtf8(error.what()));
        }
    }
    Event = kNext;
    return canClose;
}

bool TfMenuInternet2::fFormSave()
{
    if (fLicKon0->isChecked()) {
        ini_.MenuIniWrite(kOptions, kLicKon, QStringLiteral("0"));
        return true;
    }
    if (fLicKon2->isChecked()) {
        ini_.MenuIniWrite(kOptions, kLicKon, QStringLiteral("2"));
        return true;
    }
    return false;
}

} // namespace menu::gui
