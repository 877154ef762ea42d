// The settings dialog of the background update check: check at every start of the program,
// or never. The choice is stored as OPTIONS/LicKon in menu.ini ("0" or "2") and read as the check
// reads it (LauncherSettings::checkFrequency).
#pragma once

#include "core/LauncherSettings.h"
#include "gui/MessageBoxes.h"

#include <QDialog>

class QPushButton;
class QRadioButton;

namespace menu::gui {

class CheckSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    // Reads and writes through settings; a failed save is shown in a box.
    CheckSettingsDialog(core::LauncherSettings &settings, MessageBoxes &boxes,
                        QWidget *parent = nullptr);

    // Every attempt to close (either button, Esc, the close box) goes through here; the result
    // is Accepted only after the choice was written.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    // What the closing in progress asks for.
    enum class Closing { None, Save, Exit };

    void createButtons();
    void readChoice();
    bool mayClose();
    Status save();

    core::LauncherSettings &settings_;
    MessageBoxes &boxes_;
    Closing closing_ = Closing::None;
    QPushButton *save_ = nullptr;
    QPushButton *exit_ = nullptr;
    QRadioButton *everyStart_ = nullptr;
    QRadioButton *never_ = nullptr;
};

} // namespace menu::gui
