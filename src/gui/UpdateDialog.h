// The update dialog: shows the installed and the announced version of one program, says what
// it recommends, downloads the file with a gauge on a background job and, for the launcher's
// own package, unpacks it. While it works it takes no input but keeps painting.
#pragma once

#include "core/BackgroundJob.h"
#include "core/Download.h"
#include "core/LauncherSettings.h"
#include "gui/UpdateCommands.h"
#include "widgets/MessageBoxes.h"

#include <QDialog>

#include <memory>

namespace menu::gui {

struct UpdateDialogForm;

class UpdateDialog : public QDialog {
    Q_OBJECT
  public:
    struct Setup {
        UpdateTarget target = UpdateTarget::Launcher;
        // Starts the download at once, and closes after it (the offer at start).
        bool instantStart = false;
        QString installedVersion;
        QString installedDate;
        core::Announcement announced;
        QString localFile;     // where the download goes
        QString lastCheckText; // the status line's text until the dialog works
    };

    // The dialog has no owner; it is placed centred over centreOver when that is given.
    UpdateDialog(Setup setup, widgets::MessageBoxes &boxes, QWidget *centreOver = nullptr);
    ~UpdateDialog() override;

    // The file was downloaded (and, for the launcher, unpacked with its installer).
    bool succeeded() const { return succeeded_; }
    // True while a download or the unpacking runs: the dialog takes no input.
    bool busy() const { return busy_; }

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    bool launcher() const { return setup_.target == UpdateTarget::Launcher; }
    void fill();
    void startInstantly();
    void startImport();
    void showProgress(qint64 received, qint64 total);
    void downloadEnded(bool cancelled);
    bool unpack();
    void importEnded(bool downloaded);
    void setBusy(bool busy);
    void writeStatus(const QString &text);
    void setNote(const QString &text, bool red);

    Setup setup_;
    widgets::MessageBoxes &boxes_;
    QWidget *centreOver_ = nullptr;
    std::unique_ptr<UpdateDialogForm> form_;
    core::BackgroundJob job_;
    std::shared_ptr<core::DownloadResult> download_;
    bool succeeded_ = false;
    bool busy_ = false;
    bool shownOnce_ = false;
    // The automatic start runs once, so that an error box closing over a failed one does not
    // start it again.
    bool instantStartDone_ = false;
    bool caseButtonEnabled_ = false;
};

} // namespace menu::gui
