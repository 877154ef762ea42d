// The launcher's two update commands and the offer at start: each checks the internet, opens
// the update dialog for the launcher or for Team Viewer, and afterwards starts the launcher's
// installer (the window then closes for it) or refreshes the menu.
#pragma once

#include "core/LauncherSettings.h"
#include "platform/Internet.h"
#include "platform/Shell.h"
#include "widgets/MessageBoxes.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace menu::core {
class UpdateChecker;
}

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
        widgets::MessageBoxes *boxes = nullptr;
        const platform::InternetState *internet = nullptr;
        platform::Shell *shell = nullptr;
        const core::UpdateChecker *checker = nullptr;
        QString programDir;
        QString launcherVersion;
        QString launcherDate;
        std::function<InstalledProgram()> teamViewer;
        std::function<QString()> lastCheckText; // as the status bar shows it
    };

    explicit UpdateCommands(Context context, QObject *parent = nullptr);

    // At start, when a later launcher is announced: offers it once the window stands.
    void offerAtStart();
    // A command of the context menu; refused while the update check runs.
    void command(UpdateTarget target);

  Q_SIGNALS:
    // The launcher's installer has been started: the launcher makes way for it.
    void installerStarted();
    // Team Viewer was replaced: the menu shows its new version.
    void teamViewerReplaced();

  private:
    // The launcher's announcement to offer at start: the trusted one, when it is later.
    std::optional<core::Announcement> offerable() const;
    void run(UpdateTarget target, bool instantStart,
             const std::optional<core::Announcement> &offered = std::nullopt);

    Context context_;
};

} // namespace menu::gui
