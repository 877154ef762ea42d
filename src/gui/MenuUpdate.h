// The update dialog: shows the installed and the announced version of one package, says what
// it recommends, downloads the package with a gauge and, for the launcher's own package,
// unpacks it. Its caller fills the x fields, shows it modally and reads yUspesne.
//
// The transfer runs on a worker thread while the dialog waits for it in a local event loop:
// the dialog stays modal and takes no input, as if the download ran on this thread, but it
// keeps painting also while the server is silent.
#pragma once

#include "core/HttpDown.h"
#include "core/PackageExtract.h"

#include <QDialog>
#include <memory>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace menu::platform {
class MessageBoxes;
}

namespace menu::core {
class ZipReader;
}

namespace menu::gui {

class TAEdit;

class TfMenuUpdate : public QDialog, public core::IHttpDownProgress, private core::DecompView {
    Q_OBJECT
  public:
    // The dialog has no owner; it is placed centred over centreOver when that is given.
    explicit TfMenuUpdate(platform::MessageBoxes &boxes, QWidget *centreOver = nullptr);
    ~TfMenuUpdate() override;

    // Filled by the caller before the dialog is shown.
    QString xPrg;
    bool xInstantStart = false;
    QString xPathPrg;
    QString xLicKonLastTxt;
    QString xComAktCis, xComAktDat;
    QString xIntAktCis, xIntAktDat, xIntAktFil;
    QString xLocDirFile;

    // The outcome: the package was downloaded (and, for the launcher, unpacked).
    bool yUspesne = false;

    void pImport();
    bool fImport();
    bool fImportDecomp();
    void StatusBarWrite(const QString &s);

    // Applied on this thread for every block the transfer reports.
    void HttpDownProgressNotification(const QString &Text, std::int32_t CurrentProgress,
                                      std::int32_t MaxProgress) override;

    // True while a download or the unpacking runs: the dialog takes no input.
    bool busy() const { return busy_; }

    QFrame *PanelClient = nullptr;
    QLabel *LabInfo = nullptr;
    QLabel *LabelCom = nullptr;
    QLabel *LabelInt = nullptr;
    QLabel *LabPoz = nullptr;
    QLabel *LabByt = nullptr;
    TAEdit *fCom = nullptr;
    TAEdit *fInt = nullptr;
    TAEdit *fPoz = nullptr;
    QProgressBar *Gauge = nullptr;
    QPushButton *bbImp = nullptr;
    QPushButton *bbKoniec = nullptr;
    QLabel *fStatusBar = nullptr;
    QFrame *PanelImage = nullptr;
    QLabel *ImageTea = nullptr;
    QLabel *ImageOrvan = nullptr;

  protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormPaint();
    void bbImpClick();

    void createComponents();
    bool launcherPackage() const { return xPrg == QLatin1String("O"); }
    // The transfer on its worker thread; returns when it has ended.
    bool download(const QString &url, QString &EcText, QString &EcHint);
    void setNoteColour(bool red);
    void setSizeText(const QString &text);
    void blockInput(bool busy);

    // DecompView: the unpacking step reports through these.
    void setBusy(bool busy) override;
    void statusBarWrite(const QString &text) override;
    void setNote(const QString &text, bool red) override;

    platform::MessageBoxes &boxes_;
    QWidget *centreOver_ = nullptr;
    std::unique_ptr<core::ZipReader> ZipReader;
    bool Koniec = false;
    bool closing_ = false;
    bool busy_ = false;
    bool shownOnce_ = false;
    // The automatic start runs once, so that an error box closing over a failed one does not
    // start it again.
    bool instantStartDone_ = false;
    bool caseButtonEnabled_ = false;
};

} // namespace menu::gui
