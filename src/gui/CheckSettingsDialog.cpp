#include "gui/CheckSettingsDialog.h"

#include "core/Texts.h"
#include "gui/ErrorBoundary.h"
#include "gui/Fonts.h"

#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <algorithm>
#include <utility>

namespace menu::gui {

CheckSettingsDialog::CheckSettingsDialog(core::LauncherSettings &settings, MessageBoxes &boxes,
                                         QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      settings_(settings), boxes_(boxes)
{
    setObjectName(QStringLiteral("checkSettingsDialog"));
    setWindowTitle(QStringLiteral("Nastavenie aktualizácie z internetu ..."));
    setFont(tahoma8());
    setFixedSize(335, 146);
    setModal(true);

    createButtons();
    auto *choice =
        new QGroupBox(QStringLiteral(" Kontrola novej verzie programu cez internet "), this);
    choice->setObjectName(QStringLiteral("choiceBox"));
    choice->setGeometry(0, 15, 335, 146 - 41 - 15);
    QFont bold = tahoma8();
    bold.setBold(true);
    choice->setFont(bold);

    everyStart_ = new QRadioButton(QStringLiteral("Pri každom spustení programu"), choice);
    everyStart_->setObjectName(QStringLiteral("everyStartButton"));
    everyStart_->setGeometry(24, 27, 290, 17);
    everyStart_->setChecked(true);
    never_ = new QRadioButton(QStringLiteral("Nikdy nekontrolovať"), choice);
    never_->setObjectName(QStringLiteral("neverButton"));
    never_->setGeometry(24, 53, 290, 17);

    QFont regular = tahoma8();
    regular.setBold(false); // said outright, or the group box's bold is inherited
    for (QRadioButton *radio : {everyStart_, never_}) {
        radio->setFont(regular);
        // As wide as its text: Qt takes clicks only on the indicator and the text.
        radio->resize(std::min(radio->sizeHint().width(), 290), radio->height());
        radio->installEventFilter(this);
        connect(radio, &QRadioButton::toggled, save_, [this] { save_->setEnabled(true); });
    }
    setTabOrder(everyStart_, never_);
    setTabOrder(never_, save_);
    setTabOrder(save_, exit_);

    connect(save_, &QPushButton::clicked, this, [this] {
        closing_ = Closing::Save;
        accept();
    });
    connect(exit_, &QPushButton::clicked, this, [this] {
        closing_ = Closing::Exit;
        reject();
    });
}

void CheckSettingsDialog::createButtons()
{
    auto *buttons = new QFrame(this);
    buttons->setObjectName(QStringLiteral("buttonPanel"));
    buttons->setGeometry(0, 146 - 41, 335, 41);
    buttons->setFrameStyle(QFrame::Panel | QFrame::Plain);
    buttons->setLineWidth(1);
    QPalette line = buttons->palette();
    line.setColor(QPalette::WindowText, line.color(QPalette::Mid));
    buttons->setPalette(line);

    save_ = new QPushButton(QStringLiteral("&Uložiť"), buttons);
    save_->setObjectName(QStringLiteral("saveButton"));
    save_->setGeometry(207, 7, 55, 25);
    exit_ = new QPushButton(QStringLiteral("&Koniec"), buttons);
    exit_->setObjectName(QStringLiteral("exitButton"));
    exit_->setGeometry(268, 7, 55, 25);
    // The frame's colour is for the line only.
    for (QPushButton *button : {save_, exit_})
        button->setPalette(palette());
}

void CheckSettingsDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // shown again after being minimised with its owner: nothing to read
    if (QWidget *owner = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->window()->frameGeometry().center());
        move(frame.topLeft());
    }
    guarded(this, [this] { readChoice(); });
}

void CheckSettingsDialog::readChoice()
{
    if (settings_.checkFrequency() == core::kCheckNever)
        never_->setChecked(true);
    else
        everyStart_->setChecked(true);
    save_->setEnabled(false); // the selection above is not the user's change
}

bool CheckSettingsDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on a radio button goes on to the next control, as Tab does, instead of closing.
    if ((watched == everyStart_ || watched == never_) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CheckSettingsDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        exit_->click(); // Koniec is the Cancel button
        return;
    }
    QDialog::keyPressEvent(event);
}

void CheckSettingsDialog::done(int)
{
    const bool saving = closing_ == Closing::Save;
    if (!mayClose())
        return;
    QDialog::done(saving ? Accepted : Rejected);
}

bool CheckSettingsDialog::mayClose()
{
    const Closing closing = std::exchange(closing_, Closing::None);
    if (closing != Closing::Save)
        return true;
    const Status saved = save();
    if (!saved.ok()) {
        boxes_.show(this, core::BoxKind::Error,
                    core::texts::checkSettingsNotSaved(saved.failure()));
        return false;
    }
    return true;
}

Status CheckSettingsDialog::save()
{
    // Tried once: the dialog must not wait for another seat; the user may save again.
    return settings_.saveCheckFrequency(
        never_->isChecked() ? core::kCheckNever : core::kCheckAtStart, platform::LockWait{});
}

} // namespace menu::gui
