// The launcher's two update commands and the offer at start: each checks the internet, opens
// the update dialog for the launcher or for Team Viewer, and afterwards starts the launcher's
// installer (the window then closes for it) or refreshes the menu.
#pragma once

#include "core/BackgroundJob.h"
#include "core/LauncherSettings.h"
#include "platform/Internet.h"
#include "platform/PrivateDir.h"
#include "platform/Shell.h"
#include "core/Notice.h"
#include "gui/MessageBoxes.h"

#include <QObject>
#include <QTimer>
#include <QString>
#include <functional>
#include <optional>

namespace menu::core {
class LauncherSettings;
class UpdateChecker;
} // namespace menu::core

namespace menu::gui {

enum class UpdateTarget {
    Launcher,   // the launcher's own package: downloaded, unpacked and installed
    TeamViewer, // the Team Viewer program: downloaded over the installed one
};

// The installed Team Viewer program as the menu found it.
struct InstalledProgram {
    QString path;    // empty when the menu has no Team Viewer entry
    QString version; // empty when it is missing or shows none
};

class UpdateCommands : public QObject {
    Q_OBJECT
  public:
    struct Context {
        QWidget *window = nullptr; // the dialog's place and the boxes' owner
        MessageBoxes *boxes = nullptr;
        const platform::InternetState *internet = nullptr;
        platform::Shell *shell = nullptr;
        core::UpdateChecker *checker = nullptr;     // holds its check back while the offer stands
        core::LauncherSettings *settings = nullptr; // remembers a version whose install failed
        QString programDir;
        QString launcherPath;   // what the installer replaces and starts afterwards
        QString executablePath; // this launcher
        QString launcherVersion;
        QString launcherDate;
        QString updateAddress; // where the packages lie (see core/UpdateAddress.h)
        QString partialDir;    // where a cut download waits for the next try; empty: nowhere
        std::function<InstalledProgram()> teamViewer;
        std::function<QString()> lastCheckText; // as the status bar shows it
        bool installFailed = false;             // started again by an installer that failed
    };

    explicit UpdateCommands(Context context, QObject *parent = nullptr);

    // At start, when a later launcher is announced: offers it once the window stands.
    void offerAtStart();
    // A command of the context menu; refused while the update check runs.
    void command(UpdateTarget target);
    // Every button of the menu has its details.
    void menuFilled();

  Q_SIGNALS:
    // The launcher's installer has been started: the launcher makes way for it.
    void installerStarted();
    // Team Viewer was replaced: the menu shows its new version.
    void teamViewerReplaced();
    // The drive's installation was switched to a newer version while this launcher ran.
    void versionInstalled(const core::LabelNotice &notice);

  private:
    // The launcher's announcement to offer at start: the trusted one, when it is later.
    std::optional<core::Announcement> offerable() const;
    void run(UpdateTarget target, bool instantStart,
             const std::optional<core::Announcement> &offered = std::nullopt);
    // Starts the unpacked package's installer, which waits for this launcher to end; told and
    // remembered when its process does not come up.
    void startInstaller(const QString &archive, std::optional<platform::PrivateDir> &packageDir,
                        const QString &version);
    // A version whose installer failed is not offered at start again; the commands still
    // fetch it on request.
    bool failedBefore(const QString &version) const;
    void rememberFailure(const QString &version);
    void noteFailedInstallation();
    // Looks (now, and then every minute) whether another seat installed a newer version.
    void watchInstallation();
    std::optional<QString> switchedVersion() const;

    Context context_;
    QTimer *installationWatch_ = nullptr;
    core::BackgroundJob tidying_; // removes set-aside copies of Team Viewer
};

} // namespace menu::gui
