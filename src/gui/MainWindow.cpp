#include "gui/MainWindow.h"

#include "core/DesktopShortcut.h"
#include "core/Launch.h"
#include "core/PartialFile.h"
#include "formats/MessageLines.h"
#include "core/PackagePaths.h"
#include "core/StatusBar.h"
#include "core/Texts.h"
#include "core/TrustedAnnouncement.h"
#include "core/UpdateChecker.h"
#include "gui/ButtonGrid.h"
#include "gui/CheckSettingsDialog.h"
#include "gui/ErrorBoundary.h"
#include "gui/Fonts.h"
#include "gui/InfoPanel.h"
#include "gui/StatusBarPanels.h"
#include "gui/UpdateCommands.h"
#include "gui/UpdateDialog.h"
#include "platform/Regional.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <future>

namespace menu::gui {

namespace {

constexpr int kStatusBarHeight = 19;
constexpr int kLastCheckPanel = 1;

QAction *addItem(QMenu *menu, const char *name, const QString &caption,
                 QStyle::StandardPixmap picture = QStyle::SP_CustomBase)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (picture != QStyle::SP_CustomBase)
        action->setIcon(menu->style()->standardIcon(picture));
    return action;
}

} // namespace

MainWindow::MainWindow(const platform::Services &services, MessageBoxes &boxes, QWidget *parent)
    : QWidget(parent), services_(services), boxes_(boxes)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(core::texts::appTitle());
    setFont(tahoma8());
    resize(640, 480);

    programDir_ = core::programDirOf(services_.executablePath);
    drivePrefix_ = core::drivePrefixOf(services_.executablePath).value_or(QString());
    installationAccepted_ = core::installationAccepted(services_.executablePath);
    // The own version, the module files and menu.ini are each a chain of round trips on a slow
    // drive: they are read side by side.
    auto own = std::async(std::launch::async | std::launch::deferred, [this] {
        return core::readLauncherVersion(*services_.versions, services_.executablePath);
    });
    if (!installationAccepted_) {
        boxes_.show(nullptr, core::BoxKind::Error,
                    core::texts::installationRefused(own.get().version));
        return;
    }
    model_ =
        std::make_unique<core::MenuModel>(*services_.profiles, *services_.versions, drivePrefix_);
    model_->readCaptionsAhead();
    screen_ = services_.screen->limits();
    settings_ = std::make_unique<core::LauncherSettings>(*services_.profiles, programDir_);
    saver_ = std::make_unique<core::SettingsSaver>(services_.settingsLockWait);
    closeSave_ = std::make_unique<CloseSave>(*settings_, *saver_, boxes_, *this);
    // The start reads a score of values of menu.ini: one reading of a slow drive.
    const core::LauncherSettings::Batch batch(*settings_);
    const core::LauncherVersion version = own.get();
    launcherVersion_ = version.version;
    launcherDate_ = version.date;
    createComponents();
    readSettings();
    updateStatusBar(false);
    setMaximumSize(screen_.maxWidth, screen_.maxHeight);
    applyPlacement();
}

MainWindow::~MainWindow()
{
    // The fill's workers use the model, which goes before the grid does.
    if (grid_ != nullptr)
        grid_->stopFill();
}

void MainWindow::createComponents()
{
    grid_ = new ButtonGrid(*services_.icons, boxes_, this);
    grid_->setFont(tahoma8());
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &ButtonGrid::launchRequested, this, &MainWindow::launch);

    const InfoPanel info = createInfoPanel(this);
    QFrame *infoPanel = info.panel;
    infoLabel_ = info.notice;

    statusBar_ = new StatusBarPanels(core::kStatusPanels, this);
    statusBar_->setObjectName(QStringLiteral("statusBar"));
    statusBar_->setFixedHeight(kStatusBarHeight);
    statusBar_->setFont(tahoma8());
    // The window is never narrower than the bar whose proportional panels show every text.
    statusBar_->setLayoutRule([this](int barWidth) {
        const auto widths = core::statusPanelWidths(statusTexts(), barWidth);
        return std::vector<int>(widths.begin(), widths.end());
    });
    QPalette red = statusBar_->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    statusBar_->setPalette(red);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(grid_, 0, 0);
    layout->addWidget(infoPanel, 0, 1);
    layout->addWidget(statusBar_, 1, 0, 1, 2);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(0, 1);

    createContextMenu();
    for (QWidget *area : std::initializer_list<QWidget *>{grid_, infoPanel}) {
        connect(area, &QWidget::customContextMenuRequested, this,
                [this, area](const QPoint &at) { contextMenu_->popup(area->mapToGlobal(at)); });
    }
}

void MainWindow::createContextMenu()
{
    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName(QStringLiteral("contextMenu"));
    QAction *refreshItem = addItem(contextMenu_, "refreshAction", QStringLiteral("&Obnoviť"),
                                   QStyle::SP_BrowserReload);
    connect(refreshItem, &QAction::triggered, this,
            [this] { guarded(this, [this] { refresh(); }); });

    QMenu *arrangement = contextMenu_->addMenu(QStringLiteral("&Umiestnenie tlačidiel ..."));
    arrangement->setObjectName(QStringLiteral("arrangementMenu"));
    arrangement->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    rows_ = addItem(arrangement, "rowsAction", QStringLiteral("&Horizontálne"));
    columns_ = addItem(arrangement, "columnsAction", QStringLiteral("&Vertikálne"));
    auto *group = new QActionGroup(this);
    for (QAction *radio : {rows_, columns_}) {
        radio->setCheckable(true);
        group->addAction(radio);
    }
    rows_->setChecked(true);
    connect(rows_, &QAction::triggered, this,
            [this] { guarded(this, [this] { setArrangement(core::ButtonArrangement::Rows); }); });
    connect(columns_, &QAction::triggered, this, [this] {
        guarded(this, [this] { setArrangement(core::ButtonArrangement::Columns); });
    });

    contextMenu_->addSeparator();
    QAction *shortcut =
        addItem(contextMenu_, "shortcutAction",
                QStringLiteral("&Vytvoriť zástupcu ORVAN na ploche"), QStyle::SP_DesktopIcon);
    connect(shortcut, &QAction::triggered, this,
            [this] { guarded(this, [this] { createShortcut(); }); });
    QAction *options = addItem(contextMenu_, "checkSettingsAction",
                               QStringLiteral("&Nastavenie kontroly aktualizácií"),
                               QStyle::SP_FileDialogDetailedView);
    connect(options, &QAction::triggered, this,
            [this] { guarded(this, [this] { openCheckSettings(); }); });
    contextMenu_->addSeparator();
    QAction *teamViewer =
        addItem(contextMenu_, "teamViewerUpdateAction",
                QStringLiteral("Aktualizácia &Team Viewer-ORVAN"), QStyle::SP_ArrowDown);
    QAction *launcher =
        addItem(contextMenu_, "launcherUpdateAction",
                QStringLiteral("Aktualizácia &ORVAN-Základná ponuka"), QStyle::SP_ArrowDown);
    connect(teamViewer, &QAction::triggered, this,
            [this] { guarded(this, [this] { commands_->command(UpdateTarget::TeamViewer); }); });
    connect(launcher, &QAction::triggered, this,
            [this] { guarded(this, [this] { commands_->command(UpdateTarget::Launcher); }); });
}

void MainWindow::readSettings()
{
    grid_->setArrangement(settings_->arrangement());
    (grid_->arrangement() == core::ButtonArrangement::Rows ? rows_ : columns_)->setChecked(true);

    core::UpdateChecker::Context checks{*settings_,       *services_.internet,
                                        *services_.clock, services_.regional,
                                        launcherVersion_, services_.updateAddress};
    checks.saver = saver_.get();
    checker_ = new core::UpdateChecker(std::move(checks), this);
    checker_->setObjectName(QStringLiteral("updateChecker"));
    checker_->load();
    connect(checker_, &core::UpdateChecker::noticeChanged, this, &MainWindow::showNotice);
    connect(checker_, &core::UpdateChecker::checked, this, [this] { updateStatusBar(true); });

    UpdateCommands::Context context;
    context.window = this;
    context.boxes = &boxes_;
    context.internet = services_.internet;
    context.shell = services_.shell;
    context.checker = checker_;
    context.settings = settings_.get();
    context.programDir = programDir_;
    context.launcherPath = core::starterPathOf(services_.executablePath);
    context.executablePath = services_.executablePath;
    context.launcherVersion = launcherVersion_;
    context.launcherDate = launcherDate_;
    context.updateAddress = services_.updateAddress;
    context.partialDir = core::keptDownloadsDir(services_.cacheDir);
    context.teamViewer = [this] { return teamViewer(); };
    context.lastCheckText = [this] { return statusBar_->panelText(kLastCheckPanel).trimmed(); };
    context.installFailed = services_.installFailed;
    commands_ = new UpdateCommands(std::move(context), this);
    connect(commands_, &UpdateCommands::installerStarted, this, &QWidget::close);
    connect(commands_, &UpdateCommands::teamViewerReplaced, this, &MainWindow::refresh);
    connect(grid_, &ButtonGrid::filled, commands_, &UpdateCommands::menuFilled);
    connect(commands_, &UpdateCommands::versionInstalled, this, &MainWindow::showNotice);
}

void MainWindow::applyPlacement()
{
    const core::WindowPlacement placement = settings_->placement(screen_);
    outerBounds_ = QRect(placement.left, placement.top, placement.width, placement.height);
    if (placement.maximized) {
        setWindowState(Qt::WindowMaximized);
        return;
    }
    setWindowState(Qt::WindowNoState);
    // The stored bounds are the outer ones. Until the window manager has framed the window its
    // frame is unknown; move() places the frame's corner, and the inside follows once the frame
    // is known (fitFrame).
    move(outerBounds_.topLeft());
    resize(outerBounds_.size());
    placementPending_ = true;
}

// The frame becomes known when the window manager has framed the shown window, which may be
// some events after it was shown: the inside then gets the stored outer size less the frame,
// and the largest inside is the screen's area less the frame.
void MainWindow::fitFrame()
{
    const QSize frame = frameGeometry().size() - geometry().size();
    // A frame may be a title bar alone, without side borders (Windows 10's visible frame, many
    // window managers): known once it has any extent. A window manager may report it in
    // stages: while the window still has the inside the placement gave it, it is placed again.
    if ((frame.width() <= 0 && frame.height() <= 0) || frame == knownFrame_)
        return;
    knownFrame_ = frame;
    setMaximumSize(QSize(screen_.maxWidth, screen_.maxHeight) - frame);
    if (!placementPending_ && geometry().size() != placedInside_)
        return;
    placementPending_ = false;
    placedInside_ = outerBounds_.size() - frame;
    resize(placedInside_);
    move(outerBounds_.topLeft());
}

bool MainWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Expose:
    case QEvent::WindowActivate:
        if (installationAccepted_)
            guarded(this, [this] { fitFrame(); });
        break;
    default:
        break;
    }
    return handled;
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!shown_ && installationAccepted_) {
        shown_ = true;
        guarded(this, [this] { firstShow(); });
    }
}

void MainWindow::firstShow()
{
    checker_->start();
    rebuildButtons();
    commands_->offerAtStart();
}

InstalledProgram MainWindow::teamViewer()
{
    if (const core::MenuButton *button = core::teamViewerButton(grid_->menu())) {
        core::MenuButton now = *button;
        // Asked for before the fill came to it: looked at now.
        if (!button->detailed)
            model_->detailButton(now);
        teamViewer_ = {now.target, now.version.text};
    }
    return teamViewer_;
}

void MainWindow::rebuildButtons()
{
    // A menu read without the Team Viewer entry keeps the program last found, so that its
    // update still knows where it goes.
    (void)teamViewer();
    // The captions first; the targets' details follow in the background.
    grid_->rebuild(model_->readCaptions());
    grid_->fill(*model_, core::DetailCache::fileIn(services_.cacheDir));
}

void MainWindow::refresh()
{
    checker_->requestNow();
    checker_->start();
    rebuildButtons();
}

void MainWindow::launch(const core::EntryKey &key)
{
    const std::optional<core::ModuleEntry> entry = model_->entry(key);
    if (!entry) {
        boxes_.show(this, core::BoxKind::Error,
                    core::texts::entryNotFound(key.module, key.section()));
        return;
    }
    if (const auto notice = core::launch(*services_.shell, entry->name, entry->target, winId()))
        boxes_.tell(this, *notice);
}

void MainWindow::setArrangement(core::ButtonArrangement arrangement)
{
    // As every failed write of the settings: the general error handler's box, and the
    // buttons stay as they were (when the write ends at once; one that waited for another
    // writer is told when it ends).
    const auto failed = [this](const Status &saved) {
        if (saved.ok())
            return false;
        boxes_.showFault(
            this, core::texts::appTitle(),
            core::texts::faultMessage(core::texts::settingsNotWritten(saved.failure())));
        return true;
    };
    const auto now = saver_->save(
        [settings = settings_.get(), arrangement](const platform::LockWait &wait) {
            return settings->saveArrangement(arrangement, wait);
        },
        [failed](const Status &saved) { (void)failed(saved); });
    if (now && failed(*now)) {
        (grid_->arrangement() == core::ButtonArrangement::Rows ? rows_ : columns_)
            ->setChecked(true);
        return;
    }
    (arrangement == core::ButtonArrangement::Rows ? rows_ : columns_)->setChecked(true);
    grid_->setArrangement(arrangement);
}

void MainWindow::openCheckSettings()
{
    CheckSettingsDialog dialog(*settings_, boxes_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    checker_->setCheckFrequency(settings_->checkFrequency());
    // The timer's start decision sees the new choice in about a second; on this road a
    // waiting newer version does not hold the check back.
    checker_->startTimer();
}

void MainWindow::createShortcut()
{
    const auto notice = core::createDesktopShortcut(
        *services_.desktops, drivePrefix_, [this](const QString &question) {
            return boxes_.show(this, core::BoxKind::Confirmation, question) == core::BoxAnswer::Yes;
        });
    if (notice)
        boxes_.tell(this, *notice);
}

void MainWindow::showNotice(const core::LabelNotice &notice)
{
    infoLabel_->setText(formats::messageLines(notice.text));
    infoLabel_->setToolTip(formats::messageLines(notice.hint));
    QPalette colours = infoLabel_->palette();
    colours.setColor(QPalette::WindowText,
                     notice.red ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    infoLabel_->setPalette(colours);
    infoLabel_->repaint();
}

void MainWindow::bringForward()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!installationAccepted_ || closeSave_->allowsClose(closeValues()))
        event->accept();
    else
        event->ignore();
}

void MainWindow::terminate()
{
    // The session is ending: save if that can be done and tell nobody; a dialog or a box that
    // stands open is given up (a download in it stops, its files as they were).
    if (installationAccepted_)
        closeSave_->saveEnding(closeValues());
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        // A download asks before it stops; an ending session does not wait for an answer.
        if (auto *update = qobject_cast<UpdateDialog *>(widget); update != nullptr)
            update->abandon();
        else if (auto *dialog = qobject_cast<QDialog *>(widget);
                 dialog != nullptr && dialog->isVisible())
            dialog->reject();
    }
}

CloseSave::Values MainWindow::closeValues() const
{
    return {frameGeometry(), isMaximized(), grid_->arrangement(), checker_->checkFrequency(),
            checker_->lastCheck()};
}

void MainWindow::updateStatusBar(bool onlyLastCheck)
{
    if (!onlyLastCheck) {
        statusBar_->setPanelText(0, core::texts::statusVersion(launcherVersion_, launcherDate_));
        statusBar_->setPanelText(
            2, core::texts::statusPackage(core::packageDirOf(services_.executablePath)));
        statusBar_->setPanelText(3, core::texts::statusCopyright());
    }
    statusBar_->setPanelText(
        1, core::texts::statusLastCheck(checker_->lastCheck(), services_.clock->now().date()));
    fitStatusPanels();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (statusBar_ != nullptr)
        guarded(this, [this] { fitStatusPanels(); });
}

std::array<QString, core::kStatusPanels> MainWindow::statusTexts() const
{
    std::array<QString, core::kStatusPanels> texts;
    for (int i = 0; i < core::kStatusPanels; ++i)
        texts[static_cast<std::size_t>(i)] = statusBar_->panelText(i);
    return texts;
}

// Widths in proportion to the panels' texts.
void MainWindow::fitStatusPanels()
{
    const std::array<QString, core::kStatusPanels> texts = statusTexts();
    const auto widths = core::statusPanelWidths(texts, statusBar_->width());
    for (int i = 0; i < core::kStatusPanels - 1; ++i) {
        if (statusBar_->panelWidth(i) != widths[static_cast<std::size_t>(i)])
            statusBar_->setPanelWidth(i, widths[static_cast<std::size_t>(i)]);
    }
    QString tip = core::statusToolTip(texts);
    // A build that cannot check its updates says so where support staff look.
    if (const QString note = core::buildNote(core::trustPolicy()); !note.isEmpty())
        tip += QLatin1Char('\r') + note;
    if (statusBar_->toolTip() != tip)
        statusBar_->setToolTip(tip);
}

} // namespace menu::gui
