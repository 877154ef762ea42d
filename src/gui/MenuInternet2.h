// The settings dialog of the background update check: check at every start of the program,
// or never. The choice is stored as OPTIONS/LicKon in menu.ini ("0" or "2").
#pragma once

#include "platform/Services.h"

#include <QDialog>

class QFrame;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace menu::core {
class MenuIni;
}

namespace menu::gui {

class TfMenuInternet2 : public QDialog {
    Q_OBJECT
  public:
    // Reads and writes through ini; failures of a save are shown in boxes.
    TfMenuInternet2(core::MenuIni &ini, platform::MessageBoxes &boxes, QWidget *parent = nullptr);

    // Every attempt to close (either button, Esc, the close box) runs FormCloseQuery; the result
    // is Accepted only after the choice was written.
    void done(int result) override;

    QFrame *PanelKoniec = nullptr;
    QPushButton *bbUlozit = nullptr;
    QPushButton *bbKoniec = nullptr;
    QGroupBox *PanelLicKon = nullptr;
    QRadioButton *fLicKon0 = nullptr;
    QFrame *PanelTop = nullptr;
    QRadioButton *fLicKon2 = nullptr;

  protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void FormCreate();
    void FormShow();
    void OnChange();
    bool fLicKon0KeyDown(QKeyEvent *event);
    void bbUlozitClick();
    void bbKoniecClick();
    bool FormCloseQuery();
    bool fFormSave();

    core::MenuIni &ini_;
    platform::MessageBoxes &boxes_;
    // The close request in progress: "Next" (none), "Save" or "Exit".
    QString Event;
};

} // namespace menu::gui
