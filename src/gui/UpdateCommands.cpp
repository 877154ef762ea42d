#include "gui/UpdateCommands.h"

#include "core/InternetConnection.h"
#include "core/LauncherSettings.h"
#include "core/PackagePaths.h"
#include "core/Launch.h"
#include "core/PackageExtract.h"
#include "core/Texts.h"
#include "core/UpdateAddress.h"
#include "core/UpdateTexts.h"
#include "core/UpdateChecker.h"
#include "core/UpdateOffer.h"
#include "core/VersionInfo.h"
#include "gui/ErrorBoundary.h"
#include "gui/UpdateDialog.h"
#include "platform/AtomicFile.h"
#include "platform/Files.h"
#include "platform/PrivateDir.h"

#include <QCoreApplication>
#include <QTimer>

namespace menu::gui {

UpdateCommands::UpdateCommands(Context context, QObject *parent)
    : QObject(parent), context_(std::move(context))
{
    // An installer started by an earlier run needed its package directory after the launcher
    // had closed; once it has been left alone long enough it goes.
    platform::removeStalePrivateDirs(platform::temporaryDirectory(),
                                     QLatin1String(core::kPackageDirPrefix),
                                     core::kPackageDirKeptFor);
}

std::optional<core::Announcement> UpdateCommands::offerable() const
{
    const std::optional<core::UpdateInfo> trusted = context_.checker->trustedInfo();
    if (!trusted || !core::isLaterVersion(trusted->launcher.version, context_.launcherVersion))
        return std::nullopt;
    return trusted->launcher;
}

void UpdateCommands::menuFilled()
{
    // A Team Viewer update that found its program running moved the old one aside; it goes
    // at a later start once nobody runs it. Asked once the menu has found the program, and
    // done on a worker: its folder may lie on a slow drive.
    const QString program = context_.teamViewer ? context_.teamViewer().path : QString();
    if (!program.isEmpty() && !tidying_.running())
        tidying_.start(
            [program](core::BackgroundJob::Control &) { platform::removeSetAsideCopies(program); });
}

void UpdateCommands::offerAtStart()
{
    watchInstallation();
    noteFailedInstallation();
    // Only the signed announcement kept in the user's storage is offered, never menu.ini's.
    const std::optional<core::Announcement> announced = offerable();
    if (!announced || failedBefore(announced->version) || switchedVersion() == announced->version)
        return;
    // The background check waits for the answer: while the question stands the update
    // commands must not meet a running check, and a Yes needs none.
    context_.checker->timer().stop();
    // Asked once the window stands with its buttons, not while it is still being shown.
    QMetaObject::invokeMethod(
        this,
        [this] {
            guarded(context_.window, [this] {
                if (const std::optional<core::Announcement> offered = offerable()) {
                    const core::BoxAnswer answer = context_.boxes->show(
                        context_.window, core::BoxKind::Confirmation,
                        core::texts::newVersionOffer(offered->version, offered->date));
                    if (answer == core::BoxAnswer::Yes)
                        run(UpdateTarget::Launcher, true, offered);
                }
                if (context_.window->isVisible())
                    context_.checker->startTimer();
            });
        },
        Qt::QueuedConnection);
}

void UpdateCommands::command(UpdateTarget target)
{
    if (context_.checker->running()) {
        context_.boxes->show(context_.window, core::BoxKind::Information,
                             core::texts::updateCheckRunning());
        return;
    }
    run(target, false);
}

void UpdateCommands::run(UpdateTarget target, bool instantStart,
                         const std::optional<core::Announcement> &offered)
{
    const core::ConnectionTest test = core::testConnection(*context_.internet);
    if (!test.connected) {
        if (test.failed())
            context_.boxes->show(context_.window, core::BoxKind::Error,
                                 core::texts::internetTestFailedBox(test.text, test.hint));
        else
            context_.boxes->show(context_.window, core::BoxKind::Warning,
                                 core::texts::noInternet());
        return;
    }

    const bool launcher = target == UpdateTarget::Launcher;
    UpdateDialog::Setup setup;
    setup.target = target;
    setup.instantStart = instantStart;
    setup.lastCheckText = context_.lastCheckText();
    setup.packageFilesUrl = core::packageFilesUrl(context_.updateAddress);
    setup.partialDir = context_.partialDir;
    // The dialog shows, and downloads, only what is trusted now: the kept signed announcement.
    const core::UpdateChecker *checker = context_.checker;
    setup.trusted = [checker, launcher]() -> std::optional<core::Announcement> {
        const std::optional<core::UpdateInfo> info = checker->trustedInfo();
        if (!info)
            return std::nullopt;
        return launcher ? info->launcher : info->teamViewer;
    };
    setup.announced = setup.trusted().value_or(core::Announcement{});
    // What was offered and accepted is what starts at once; anything else waits for a click.
    if (offered && !(*offered == setup.announced))
        setup.instantStart = false;
    if (launcher) {
        setup.installedVersion = context_.launcherVersion;
        setup.installedDate = context_.launcherDate;
        setup.temporaryDir = platform::temporaryDirectory();
    } else {
        const InstalledProgram installed = context_.teamViewer();
        setup.installedVersion = installed.version;
        setup.localFile = installed.path;
    }
    UpdateDialog dialog(setup, *context_.boxes, context_.window);
    dialog.exec();
    if (!dialog.succeeded())
        return;

    if (!launcher) {
        Q_EMIT teamViewerReplaced();
        return;
    }
    std::optional<platform::PrivateDir> packageDir = dialog.takePackageDir();
    startInstaller(dialog.localFile(), packageDir, setup.announced.version);
}

void UpdateCommands::startInstaller(const QString &archive,
                                    std::optional<platform::PrivateDir> &packageDir,
                                    const QString &version)
{
    const platform::OwnerWindow owner = context_.window != nullptr ? context_.window->winId() : 0;
    if (const auto notice = core::startInstaller(
            *context_.shell, core::installerPathOf(archive),
            {QStringLiteral("--wait"), QString::number(QCoreApplication::applicationPid()),
             platform::nativePath(context_.launcherPath)},
            owner)) {
        // Its process did not come up: a policy may forbid programs in the temporary folder.
        // The launcher stays, and the package goes with its private directory.
        context_.boxes->tell(context_.window, *notice);
        rememberFailure(version);
        return;
    }
    // The installer runs from the package's private directory after the launcher has closed,
    // so the directory stays (a later start removes it), without the archive.
    if (packageDir) {
        (void)platform::removeFile(archive);
        packageDir->keep();
    }
    Q_EMIT installerStarted();
}

std::optional<QString> UpdateCommands::switchedVersion() const
{
    return context_.executablePath.isEmpty() ? std::nullopt
                                             : core::switchedVersion(context_.executablePath);
}

void UpdateCommands::noteFailedInstallation()
{
    if (!context_.installFailed)
        return;
    rememberFailure(context_.checker->launcherAnnouncement().version);
}

void UpdateCommands::watchInstallation()
{
    const auto look = [this] {
        if (const std::optional<QString> version = switchedVersion())
            Q_EMIT versionInstalled(core::texts::versionInstalledNotice(*version));
    };
    look();
    if (installationWatch_ != nullptr)
        return;
    installationWatch_ = new QTimer(this);
    connect(installationWatch_, &QTimer::timeout, this, look);
    installationWatch_->start(60'000);
}

bool UpdateCommands::failedBefore(const QString &version) const
{
    return context_.settings != nullptr && !version.isEmpty() &&
           context_.settings->read(QStringLiteral("ORVAN"), QStringLiteral("AktNeuspech")) ==
               version;
}

void UpdateCommands::rememberFailure(const QString &version)
{
    // Not remembered is no worse than before: the offer comes once more at the next start.
    if (context_.settings != nullptr)
        (void)context_.settings->write(QStringLiteral("ORVAN"), QStringLiteral("AktNeuspech"),
                                       version);
}

} // namespace menu::gui
