// The launcher's main window: the module buttons on the panel, the information panel on the
// right, the status bar, and the context menu with the launcher's commands.
#pragma once

#include "core/MenuSettings.h"
#include "platform/Services.h"

#include <QFrame>
#include <QHash>
#include <QIcon>
#include <QWidget>
#include <cstdint>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;

namespace menu::core {
struct InfoNotice;
struct UpdateCheckOutcome;
} // namespace menu::core

namespace menu::gui {

class ModuleButton;
class StatusBarPanels;

// The panel that holds the module buttons; its caption is drawn centred behind them.
class ButtonPanel : public QFrame {
    Q_OBJECT
  public:
    using QFrame::QFrame;
    QString caption() const { return caption_; }
    void setCaption(const QString &caption);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QString caption_;
};

class TfMenuMain : public QWidget {
    Q_OBJECT
  public:
    explicit TfMenuMain(const platform::Services &services, QWidget *parent = nullptr);
    ~TfMenuMain() override;

    // False when the launcher does not run from its installation directory: the error box has
    // been shown and the window must not be shown; the program ends.
    bool installationAccepted() const { return installationAccepted_; }

    // Brings the window forward when a later start asks for it.
    void bringForward();

    // Launcher state that other parts of the program read.
    QString FileVersion, FileDatum;
    QString OrvanAktCis, OrvanAktDat, OrvanAktFil, TeaAktCis, TeaAktFil;
    QString TeaFileVersion, TeaFileExe;
    std::uint8_t LicKon = 0;
    QString LicKonLast;
    bool LicKonTeraz = false;
    bool ProgressUpdateCheck = false;

    QString ProgramDir, DrivePrefix;
    int ScreenMaxWidth = 0, ScreenMaxHeight = 0;
    bool FormShown = false;
    bool ButtonsHorizontal = true;
    int ButtonCount = 0, ButtonColumns = 0, ButtonRows = 0;
    int LastPanelWidth = 0, LastPanelHeight = 0;

    void StatusBarSet(bool OnlyLastCheck);
    void StatusBarWidth();

    void FormResize();
    void ButtonsArrange();
    void MenuButtonsClick(QObject *Sender);
    // The settings dialog of the update check (MainWindowOptions.cpp).
    void MenuOptionsClick();

    // The module buttons and their submenus (MainWindowButtons.cpp).
    void ButtonReadAll();
    void ButtonRead(const QString &Sub);
    void ButtonCreate(const QString &SubPor, const QString &FileExe, const QString &FileNaz,
                      const QString &FileDop);
    void ButtonFreeAll();
    void MenuRefreshClick();
    void MenuRefreshAll();
    void ButtonCaptionSet(const QString &key, ModuleButton *button, const QString &path,
                          const QString &name, const QString &second);
    void MenuItemBitmapSet(QAction *item, const QString &path, const QString &name);
    void ButtonClick(QObject *Sender);
    void PopupMenuIniClick(QObject *Sender);
    // The button numbered n, or none when its creation failed.
    ModuleButton *moduleButton(int n) const;

    // The new-version offer and the update commands (MainWindowUpdate.cpp).
    void TestNewVersion();
    void MenuAktClick(QObject *Sender);
    void MenuUpdate(const QString &Prg, bool InstantStart);

    // The background update check (MainWindowCheck.cpp).
    void UpdateCheckStart();
    void TimerDownloadTimer();
    void Download();
    void UpdateCheckDone(const core::UpdateCheckOutcome &outcome);
    void UpdateInfoStore();
    void InfoLabelSet(const core::InfoNotice &notice);
    QString UpdateInfoPath() const;

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void FormCreate();
    void FormShow();
    void FormCloseQuery();

    void createComponents();
    void createPopupMenu();
    void createTemplates();
    void applyPlacement();
    void showPopupMenu(QWidget *from, const QPoint &pos);
    void launchEntry(const QString &key, int sectionDigits);
    QIcon neexistPicture(const char *kind) const;
    QIcon programPicture(const QString &path);

    platform::Services services_;
    std::unique_ptr<core::MenuIni> menuIni_;
    std::unique_ptr<core::ModuleFiles> modules_;
    bool installationAccepted_ = false;
    bool placementPending_ = false;
    QRect outerBounds_;
    // The pictures made during one build, by the key of the icon image they show: buttons and
    // entries that share an icon share its picture.
    QHash<qint64, QIcon> buildPictures_;

  public:
    // Components, named as the rest of the program finds them.
    ButtonPanel *Panel = nullptr;
    QFrame *PanelR = nullptr;
    QFrame *PanelR3 = nullptr;
    QLabel *LabUpdateInfo = nullptr;
    StatusBarPanels *StatusBar = nullptr;
    QMenu *PopupMenu = nullptr;
    QAction *MenuRefresh = nullptr;
    QMenu *MenuButtons = nullptr;
    QAction *MenuButtonsHor = nullptr;
    QAction *MenuButtonsVer = nullptr;
    QAction *MenuDesktop = nullptr;
    QAction *MenuOptions = nullptr;
    QAction *MenuAktTea = nullptr;
    QAction *MenuAktOrvan = nullptr;
    QMenu *PopupMenuDefaultBez = nullptr;
    QMenu *PopupMenuDefaultNeexist = nullptr;
    QToolButton *BitBtnDefault = nullptr;
    QTimer *TimerDownload = nullptr;
};

} // namespace menu::gui
