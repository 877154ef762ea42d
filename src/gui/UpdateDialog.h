// The update dialog: shows the installed and the announced version of one program, says what
// it recommends, downloads the file with a gauge on a background job and, for the launcher's
// own package, unpacks it. Each try at the launcher's package works in a private directory of
// its own, removed after any failure. While it works it takes no input but keeps painting;
// only "Koniec" answers during a download, and offers to stop it.
#pragma once

#include "core/BackgroundJob.h"
#include "core/Download.h"
#include "core/LauncherSettings.h"
#include "core/Notice.h"
#include "gui/UpdateCommands.h"
#include "platform/PrivateDir.h"
#include "gui/MessageBoxes.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

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
        QString localFile;       // Team Viewer: the installed program, which the download replaces
        QString temporaryDir;    // the launcher: where each try makes its private directory
        QString lastCheckText;   // the status line's text until the dialog works
        QString packageFilesUrl; // the file's address is this followed by its name
        QString partialDir;      // where a cut download waits for the next try (or "")
        // The announcement a download may follow now (checked again before each try); the
        // download starts only when it is the one shown. Unset: the shown one is taken.
        std::function<std::optional<core::Announcement>()> trusted;
    };

    // The dialog has no owner; it is placed centred over centreOver when that is given.
    UpdateDialog(Setup setup, MessageBoxes &boxes, QWidget *centreOver = nullptr);
    ~UpdateDialog() override;

    // The file was downloaded (and, for the launcher, unpacked with its installer).
    bool succeeded() const { return succeeded_; }
    // True while a download or the unpacking runs: the dialog takes no input.
    bool busy() const { return busy_; }
    // Where the file of the last try went (for the launcher, in its private directory).
    QString localFile() const { return localFile_; }
    // After the launcher's package has been unpacked: its private directory, for the caller to
    // start the installer from. Left with the dialog, it is removed with it.
    std::optional<platform::PrivateDir> takePackageDir();

    // The session ends: a download stops without a question, nothing is installed, the try's
    // private directory goes, and the dialog closes.
    void abandon();

  public Q_SLOTS:
    // "Koniec", Escape and the close box: during a download they ask whether to stop it.
    void reject() override;

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
    std::optional<core::Notice> downloadRefusal() const;
    bool prepareTarget();
    void showProgress(qint64 received, qint64 total);
    void downloadEnded(bool cancelled);
    void askToStop();
    void stopped(bool completed);
    bool unpack();
    void importEnded(bool downloaded);
    void setBusy(bool busy);
    void writeStatus(const QString &text);
    void setNote(const QString &text, bool red);

    Setup setup_;
    MessageBoxes &boxes_;
    QWidget *centreOver_ = nullptr;
    std::unique_ptr<UpdateDialogForm> form_;
    core::BackgroundJob job_;
    std::shared_ptr<core::DownloadResult> download_;
    std::optional<platform::PrivateDir> packageDir_;
    QString localFile_;
    bool succeeded_ = false;
    // The question whether to stop is open; a download that ends meanwhile waits for the answer.
    bool asking_ = false;
    bool endedWhileAsking_ = false;
    bool stopRequested_ = false;
    bool busy_ = false;
    bool shownOnce_ = false;
    // The automatic start runs once, so that an error box closing over a failed one does not
    // start it again.
    bool instantStartDone_ = false;
    bool caseButtonEnabled_ = false;
    bool abandoned_ = false;
};

} // namespace menu::gui
