#include "gui/MainWindow.h"

#include "core/AppTexts.h"
#include "core/ButtonLayout.h"
#include "core/EntryTexts.h"
#include "core/PackagePaths.h"
#include "core/StatusTexts.h"
#include "core/VersionInfo.h"
#include "core/WindowSettings.h"
#include "gui/DesktopShortcut.h"
#include "gui/Faults.h"
#include "gui/StatusBarPanels.h"
#include "gui/TemplatePictures.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace menu::gui {

namespace {
const QString kOptions = QStringLiteral("OPTIONS");
constexpr int kPanelRWidth = 218;
constexpr int kPanelR3Height = 129;
constexpr int kStatusBarHeight = 19;
constexpr int kTimerDownloadMs = 1000;

QFont tahoma8()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    return font;
}

QAction *addItem(QMenu *menu, const QString &name, const QString &caption,
                 QStyle::StandardPixmap picture = QStyle::SP_CustomBase)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    if (picture != QStyle::SP_CustomBase)
        action->setIcon(menu->style()->standardIcon(picture));
    return action;
}
} // namespace

void ButtonPanel::setCaption(const QString &caption)
{
    caption_ = caption;
    update();
}

void ButtonPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (caption_.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, caption_);
}

TfMenuMain::TfMenuMain(const platform::Services &services, QWidget *parent)
    : QWidget(parent), services_(services)
{
    setObjectName(QStringLiteral("TfMenuMain"));
    setWindowTitle(core::appTitle());
    setFont(tahoma8());
    resize(640, 480);
    createComponents();
    FormCreate();
}

TfMenuMain::~TfMenuMain() = default;

void TfMenuMain::createComponents()
{
    Panel = new ButtonPanel(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    Panel->setFrameShape(QFrame::NoFrame);
    Panel->setFont(tahoma8());
    Panel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Panel, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showPopupMenu(Panel, pos); });

    PanelR = new QFrame(this);
    PanelR->setObjectName(QStringLiteral("PanelR"));
    PanelR->setFrameShape(QFrame::NoFrame);
    PanelR->setFixedWidth(kPanelRWidth);
    PanelR->setAutoFillBackground(true);
    QPalette grey = PanelR->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    PanelR->setPalette(grey);
    PanelR->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PanelR, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showPopupMenu(PanelR, pos); });

    PanelR3 = new QFrame(PanelR);
    PanelR3->setObjectName(QStringLiteral("PanelR3"));
    PanelR3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelR3->setFixedHeight(kPanelR3Height);
    PanelR3->setAutoFillBackground(true);
    QPalette face = PanelR3->palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    PanelR3->setPalette(face);
    auto *rightLayout = new QVBoxLayout(PanelR);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    rightLayout->addStretch(1);
    rightLayout->addWidget(PanelR3);

    LabUpdateInfo = new QLabel(PanelR3);
    LabUpdateInfo->setObjectName(QStringLiteral("LabUpdateInfo"));
    LabUpdateInfo->setGeometry(10, 81, 193, 40);
    LabUpdateInfo->setAlignment(Qt::AlignCenter);
    LabUpdateInfo->setWordWrap(true);

    StatusBar = new StatusBarPanels(core::kStatusPanels, this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(kStatusBarHeight);
    StatusBar->setFont(tahoma8());
    QPalette red = StatusBar->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    StatusBar->setPalette(red);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel, 0, 0);
    layout->addWidget(PanelR, 0, 1);
    layout->addWidget(StatusBar, 1, 0, 1, 2);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(0, 1);

    createPopupMenu();
    createTemplates();

    TimerDownload = new QTimer(this);
    TimerDownload->setObjectName(QStringLiteral("TimerDownload"));
    TimerDownload->setInterval(kTimerDownloadMs);
    connect(TimerDownload, &QTimer::timeout, this,
            [this] { guarded(this, [this] { TimerDownloadTimer(); }); });
}

void TfMenuMain::createPopupMenu()
{
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    MenuRefresh = addItem(PopupMenu, QStringLiteral("MenuRefresh"), QStringLiteral("&Obnoviť"),
                          QStyle::SP_BrowserReload);
    connect(MenuRefresh, &QAction::triggered, this,
            [this] { guarded(this, [this] { MenuRefreshClick(); }); });

    MenuButtons = PopupMenu->addMenu(QStringLiteral("&Umiestnenie tlačidiel ..."));
    MenuButtons->setObjectName(QStringLiteral("MenuButtons"));
    MenuButtons->menuAction()->setObjectName(QStringLiteral("MenuButtons"));
    MenuButtons->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    MenuButtonsHor =
        addItem(MenuButtons, QStringLiteral("MenuButtonsHor"), QStringLiteral("&Horizontálne"));
    MenuButtonsVer =
        addItem(MenuButtons, QStringLiteral("MenuButtonsVer"), QStringLiteral("&Vertikálne"));
    auto *arrangement = new QActionGroup(this);
    arrangement->setExclusive(true);
    for (QAction *radio : {MenuButtonsHor, MenuButtonsVer}) {
        radio->setCheckable(true);
        arrangement->addAction(radio);
    }
    MenuButtonsHor->setChecked(true);
    for (QAction *radio : {MenuButtonsHor, MenuButtonsVer}) {
        connect(radio, &QAction::triggered, this,
                [this, radio] { guarded(this, [this, radio] { MenuButtonsClick(radio); }); });
    }

    PopupMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    MenuDesktop =
        addItem(PopupMenu, QStringLiteral("MenuDesktop"),
                QStringLiteral("&Vytvoriť zástupcu ORVAN na ploche"), QStyle::SP_DesktopIcon);
    connect(MenuDesktop, &QAction::triggered, this, [this] {
        guarded(this, [this] {
            MenuDesktopRun(this, *services_.boxes, *services_.desktops, DrivePrefix);
        });
    });
    MenuOptions = addItem(PopupMenu, QStringLiteral("MenuOptions"),
                          QStringLiteral("&Nastavenie kontroly aktualizácií"),
                          QStyle::SP_FileDialogDetailedView);
    connect(MenuOptions, &QAction::triggered, this,
            [this] { guarded(this, [this] { MenuOptionsClick(); }); });
    PopupMenu->addSeparator()->setObjectName(QStringLiteral("N2"));
    MenuAktTea = addItem(PopupMenu, QStringLiteral("MenuAktTea"),
                         QStringLiteral("Aktualizácia &Team Viewer-ORVAN"), QStyle::SP_ArrowDown);
    MenuAktOrvan =
        addItem(PopupMenu, QStringLiteral("MenuAktOrvan"),
                QStringLiteral("Aktualizácia &ORVAN-Základná ponuka"), QStyle::SP_ArrowDown);
    for (QAction *item : {MenuAktTea, MenuAktOrvan}) {
        connect(item, &QAction::triggered, this,
                [this, item] { guarded(this, [this, item] { MenuAktClick(item); }); });
    }
}

void TfMenuMain::createTemplates()
{
    PopupMenuDefaultBez = new QMenu(this);
    PopupMenuDefaultBez->setObjectName(QStringLiteral("PopupMenuDefaultBez"));
    addItem(PopupMenuDefaultBez, QStringLiteral("MenuItemDefaultBezPonuky"),
            QStringLiteral("(žiadna ponuka)"))
        ->setEnabled(false);

    PopupMenuDefaultNeexist = new QMenu(this);
    PopupMenuDefaultNeexist->setObjectName(QStringLiteral("PopupMenuDefaultNeexist"));
    const std::pair<const char *, TemplatePicture> pictures[] = {
        {"Ico", TemplatePicture::MenuItemDefaultNeexistIco},
        {"Pdf", TemplatePicture::MenuItemDefaultNeexistPdf},
        {"Chm", TemplatePicture::MenuItemDefaultNeexistChm},
        {"Url", TemplatePicture::MenuItemDefaultNeexistUrl},
        {"Bat", TemplatePicture::MenuItemDefaultNeexistBat},
    };
    for (const auto &[kind, picture] : pictures) {
        QAction *item = addItem(PopupMenuDefaultNeexist,
                                QStringLiteral("MenuItemDefaultNeexist") + QLatin1String(kind),
                                QLatin1String(kind));
        item->setIcon(QIcon(QPixmap::fromImage(templatePicture(picture))));
        item->setEnabled(false);
    }

    BitBtnDefault = new QToolButton(Panel);
    BitBtnDefault->setObjectName(QStringLiteral("BitBtnDefault"));
    BitBtnDefault->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    BitBtnDefault->setFixedSize(150, 110);
    BitBtnDefault->setIcon(
        QIcon(QPixmap::fromImage(templatePicture(TemplatePicture::BitBtnDefault))));
    BitBtnDefault->setEnabled(false);
    BitBtnDefault->hide();
}

void TfMenuMain::showPopupMenu(QWidget *from, const QPoint &pos)
{
    PopupMenu->popup(from->mapToGlobal(pos));
}

void TfMenuMain::FormCreate()
{
    LabUpdateInfo->clear();
    ProgressUpdateCheck = false;
    FileVersion.clear();
    FileDatum.clear();
    TeaFileVersion.clear();
    TeaFileExe.clear();
    OrvanAktCis.clear();
    OrvanAktDat.clear();
    OrvanAktFil.clear();
    TeaAktCis.clear();
    TeaAktFil.clear();
    FormShown = false;

    ProgramDir = core::programDirOf(services_.executablePath);
    core::ReadExeVersion(*services_.versions, services_.executablePath, FileVersion, FileDatum);

    if (!core::installationAccepted(services_.executablePath)) {
        services_.boxes->show(nullptr, platform::BoxKind::Error,
                              core::installationRefusedText(FileVersion));
        return;
    }
    installationAccepted_ = true;

    const platform::ScreenLimits limits = services_.screen->limits();
    ScreenMaxWidth = limits.maxWidth;
    ScreenMaxHeight = limits.maxHeight;

    DrivePrefix = core::drivePrefixOf(services_.executablePath).value_or(QString());
    menuIni_ = std::make_unique<core::MenuIni>(*services_.profiles, ProgramDir);
    modules_ = std::make_unique<core::ModuleFiles>(*services_.profiles, DrivePrefix);

    ButtonsHorizontal =
        core::buttonsHorizontalFrom(menuIni_->MenuIniRead(kOptions, QStringLiteral("ButtonsView")));
    (ButtonsHorizontal ? MenuButtonsHor : MenuButtonsVer)->setChecked(true);
    LicKon = core::licKonFrom(menuIni_->MenuIniRead(kOptions, QStringLiteral("LicKon")));
    LicKonLast = menuIni_->MenuIniRead(kOptions, QStringLiteral("LicKonLast"));

    StatusBarSet(false);
    applyPlacement();
    setMaximumSize(ScreenMaxWidth, ScreenMaxHeight);
}

void TfMenuMain::applyPlacement()
{
    const auto read = [this](const char *key) {
        return menuIni_->MenuIniRead(kOptions, QLatin1String(key));
    };
    const core::WindowPlacement placement =
        core::WindowPlacementRead(read("Left"), read("Width"), read("Top"), read("Height"),
                                  read("WindowState"), {ScreenMaxWidth, ScreenMaxHeight});
    if (placement.maximized) {
        setWindowState(Qt::WindowMaximized);
        return;
    }
    setWindowState(Qt::WindowNoState);
    outerBounds_ = QRect(placement.left, placement.top, placement.width, placement.height);
    move(outerBounds_.topLeft());
    resize(outerBounds_.size());
    // The stored bounds are the outer ones; the frame is known once the window is shown.
    placementPending_ = true;
}

void TfMenuMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (placementPending_) {
        placementPending_ = false;
        const QSize frame = frameGeometry().size() - geometry().size();
        if (!frame.isEmpty())
            resize(outerBounds_.size() - frame);
    }
    if (!FormShown) {
        guarded(this, [this] { FormShow(); });
        // The size the window shows with is its first layout.
        guarded(this, [this] { FormResize(); });
    }
}

void TfMenuMain::FormShow()
{
    OrvanAktCis = menuIni_->MenuIniRead(QStringLiteral("ORVAN"), QStringLiteral("AktCis"));
    OrvanAktDat = menuIni_->MenuIniRead(QStringLiteral("ORVAN"), QStringLiteral("AktDat"));
    OrvanAktFil = menuIni_->MenuIniRead(QStringLiteral("ORVAN"), QStringLiteral("AktFil"));
    TeaAktCis = menuIni_->MenuIniRead(QStringLiteral("TEA"), QStringLiteral("AktCis"));
    TeaAktFil = menuIni_->MenuIniRead(QStringLiteral("TEA"), QStringLiteral("AktFil"));

    UpdateCheckStart();
    ButtonReadAll();
    FormShown = true;

    // One entry is not a menu yet: the notice stays behind a single button.
    Panel->setCaption(ButtonCount <= 1 ? core::noModulesNotice() : QString());
    TestNewVersion();
}

void TfMenuMain::closeEvent(QCloseEvent *event)
{
    // Closing goes on only when every setting was saved; a failed write keeps the window open
    // so that a later close can try again.
    event->ignore();
    if (guarded(this, [this] { FormCloseQuery(); }))
        event->accept();
}

void TfMenuMain::FormCloseQuery()
{
    const bool maximized = isMaximized();
    const QRect outer = frameGeometry();
    menuIni_->MenuIniWrite(kOptions, QStringLiteral("ButtonsView"),
                           core::buttonsViewText(ButtonsHorizontal));
    menuIni_->MenuIniWrite(kOptions, QStringLiteral("Left"), QString::number(outer.left()));
    menuIni_->MenuIniWrite(kOptions, QStringLiteral("Width"), QString::number(outer.width()));
    menuIni_->MenuIniWrite(kOptions, QStringLiteral("Top"), QString::number(outer.top()));
    menuIni_->MenuIniWrite(kOptions, QStringLiteral("Height"), QString::number(outer.height()));
    menuIni_->MenuIniWrite(kOptions, QStringLiteral("WindowState"),
                           maximized ? QStringLiteral("1") : QStringLiteral("0"));
    menuIni_->MenuIniWrite(kOptions, QStringLiteral("LicKon"), QString::number(LicKon));
    menuIni_->MenuIniWrite(kOptions, QStringLiteral("LicKonLast"), LicKonLast);
}

void TfMenuMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    guarded(this, [this] { FormResize(); });
}

void TfMenuMain::FormResize()
{
    if (!FormShown)
        return;
    // The layout gives the panel its new size before the window hears of it.
    if (Panel->height() == LastPanelHeight && Panel->width() == LastPanelWidth)
        return;
    ButtonColumns = core::buttonColumnsFor(Panel->width());
    ButtonRows = core::buttonRowsFor(Panel->height());
    ButtonsArrange();
    // Both minimums whatever the arrangement; the layout carries them over to the window.
    Panel->setMinimumHeight(core::panelMinHeight(ButtonCount, ButtonColumns));
    Panel->setMinimumWidth(core::panelMinWidth(ButtonCount, ButtonRows));
    LastPanelHeight = Panel->height();
    LastPanelWidth = Panel->width();
    StatusBarWidth();
}

void TfMenuMain::ButtonsArrange()
{
    CursorWaitScope wait;
    for (int n = 1; n <= ButtonCount; ++n) {
        QWidget *button = Panel->findChild<QWidget *>(QStringLiteral("BitBtn") + QString::number(n),
                                                      Qt::FindDirectChildrenOnly);
        if (button == nullptr)
            continue; // its creation failed; the cell stays empty
        const QPoint at = core::ButtonPlace(n, ButtonsHorizontal, ButtonColumns, ButtonRows);
        button->setGeometry(at.x(), at.y(), core::ButtonWidth, core::ButtonHeight);
    }
}

void TfMenuMain::MenuButtonsClick(QObject *Sender)
{
    auto *item = qobject_cast<QAction *>(Sender);
    if (item == nullptr)
        return;
    ButtonsHorizontal =
        item->objectName().compare(QLatin1String("MenuButtonsHor"), Qt::CaseInsensitive) == 0;
    (ButtonsHorizontal ? MenuButtonsHor : MenuButtonsVer)->setChecked(true);
    menuIni_->MenuIniWrite(kOptions, QStringLiteral("ButtonsView"),
                           core::buttonsViewText(ButtonsHorizontal));
    ButtonsArrange();
}

void TfMenuMain::bringForward()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TfMenuMain::StatusBarSet(bool OnlyLastCheck)
{
    if (!OnlyLastCheck) {
        StatusBar->setPanelText(0, core::statusVersionText(FileVersion, FileDatum));
        StatusBar->setPanelText(2, core::statusPackageText(core::packageDir(DrivePrefix)));
        StatusBar->setPanelText(3, core::statusCopyrightText());
    }
    StatusBar->setPanelText(1,
                            core::statusLastCheckText(LicKonLast, services_.clock->now().date()));
    StatusBarWidth();
}

void TfMenuMain::StatusBarWidth()
{
    std::array<QString, core::kStatusPanels> texts;
    for (int i = 0; i < core::kStatusPanels; ++i)
        texts[static_cast<std::size_t>(i)] = StatusBar->panelText(i);
    const auto widths = core::statusPanelWidths(texts, StatusBar->width());
    for (int i = 0; i < core::kStatusPanels - 1; ++i) {
        if (StatusBar->panelWidth(i) != widths[static_cast<std::size_t>(i)])
            StatusBar->setPanelWidth(i, widths[static_cast<std::size_t>(i)]);
    }
    const QString tip = core::statusToolTip(texts);
    if (StatusBar->toolTip() != tip)
        StatusBar->setToolTip(tip);
}

} // namespace menu::gui
