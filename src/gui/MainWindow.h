// The launcher's main window: the module buttons, the information panel on the right, the
// status bar, and the context menu with the launcher's commands. The work is done by its
// collaborators: the menu model and the button grid, the settings, the update check and the
// update commands.
#pragma once

#include "core/LauncherSettings.h"
#include "core/MenuModel.h"
#include "core/SettingsSaver.h"
#include "core/StatusBar.h"
#include "gui/CloseSave.h"
#include "gui/UpdateCommands.h"
#include "platform/Services.h"
#include "gui/MessageBoxes.h"

#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMenu;

namespace menu::core {
struct LabelNotice;
class UpdateChecker;
} // namespace menu::core

namespace menu::gui {

class ButtonGrid;
class StatusBarPanels;
class UpdateCommands;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    MainWindow(const platform::Services &services, MessageBoxes &boxes, QWidget *parent = nullptr);
    ~MainWindow() override;

    // False when the launcher does not run from its installation directory: the error box has
    // been shown and the window must not be shown; the program ends.
    bool installationAccepted() const { return installationAccepted_; }

    // Brings the window forward when a later start asks for it.
    void bringForward();
    // Reads the module files again and rebuilds the buttons ("&Obnoviť").
    void refresh();
    // The system asks the program to end: saves the settings if it can, without a word, and
    // gives up any dialog or box that stands open. The caller then ends the event loop.
    void terminate();

  protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void createComponents();
    void createContextMenu();
    void readSettings();
    void applyPlacement();
    void fitFrame();
    void firstShow();
    void rebuildButtons();
    void launch(const core::EntryKey &key);
    void setArrangement(core::ButtonArrangement arrangement);
    void openCheckSettings();
    void createShortcut();
    void showNotice(const core::LabelNotice &notice);
    void updateStatusBar(bool onlyLastCheck);
    void fitStatusPanels();
    std::array<QString, core::kStatusPanels> statusTexts() const;
    CloseSave::Values closeValues() const;
    // The Team Viewer entry of the menu shown, or the one last found when it has none.
    InstalledProgram teamViewer();

    platform::Services services_;
    MessageBoxes &boxes_;
    bool installationAccepted_ = false;
    bool shown_ = false;
    bool placementPending_ = false;
    QRect outerBounds_;
    QSize knownFrame_;
    QSize placedInside_; // the inside the stored placement gave the window
    platform::ScreenLimits screen_;
    QString programDir_;
    QString drivePrefix_;
    QString launcherVersion_;
    QString launcherDate_;

    std::unique_ptr<core::LauncherSettings> settings_;
    std::unique_ptr<core::SettingsSaver> saver_; // gone before the settings its rounds write
    std::unique_ptr<CloseSave> closeSave_;
    std::unique_ptr<core::MenuModel> model_;
    InstalledProgram teamViewer_; // the Team Viewer entry as last found
    core::UpdateChecker *checker_ = nullptr;
    UpdateCommands *commands_ = nullptr;

    ButtonGrid *grid_ = nullptr;
    QLabel *infoLabel_ = nullptr;
    StatusBarPanels *statusBar_ = nullptr;
    QMenu *contextMenu_ = nullptr;
    QAction *rows_ = nullptr;
    QAction *columns_ = nullptr;
};

} // namespace menu::gui
