#include "gui/UpdateCommands.h"

#include "core/InternetConnection.h"
#include "core/Launch.h"
#include "core/PackageExtract.h"
#include "core/Texts.h"
#include "core/UpdateChecker.h"
#include "core/UpdateOffer.h"
#include "core/VersionInfo.h"
#include "gui/ErrorBoundary.h"
#include "gui/UpdateDialog.h"
#include "platform/AtomicFile.h"
#include "platform/Files.h"
#include "platform/PrivateDir.h"

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

void UpdateCommands::offerAtStart()
{
    // A Team Viewer update that found its program running moved the old one aside; it goes
    // at a later start once nobody runs it.
    const QString program = context_.teamViewer ? context_.teamViewer().path : QString();
    if (!program.isEmpty())
        platform::removeSetAsideCopies(program);
    const core::Announcement &announced = context_.checker->launcherAnnouncement();
    if (!core::isLaterVersion(announced.version, context_.launcherVersion))
        return;
    // Asked once the window stands with its buttons, not while it is still being shown.
    QMetaObject::invokeMethod(
        this,
        [this] {
            guarded(context_.window, [this] {
                const core::Announcement &now = context_.checker->launcherAnnouncement();
                const core::BoxAnswer answer = context_.boxes->show(
                    context_.window, core::BoxKind::Confirmation,
                    core::texts::newVersionOffer(now.version, now.date));
                if (answer == core::BoxAnswer::Yes)
                    run(UpdateTarget::Launcher, true);
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

void UpdateCommands::run(UpdateTarget target, bool instantStart)
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
    if (launcher) {
        setup.installedVersion = context_.launcherVersion;
        setup.installedDate = context_.launcherDate;
        setup.announced = context_.checker->launcherAnnouncement();
        setup.temporaryDir = platform::temporaryDirectory();
    } else {
        const InstalledProgram installed = context_.teamViewer();
        setup.installedVersion = installed.version;
        setup.announced = context_.checker->teamViewerAnnouncement();
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
    // The installer runs from the package's private directory after the launcher has closed,
    // so the directory stays (a later start removes it), without the archive. A failure to
    // start has been told and leaves nothing; the launcher makes way all the same.
    std::optional<platform::PrivateDir> packageDir = dialog.takePackageDir();
    const QString archive = dialog.localFile();
    const platform::OwnerWindow owner = context_.window != nullptr ? context_.window->winId() : 0;
    if (const auto notice = core::launch(*context_.shell, QStringLiteral("ORVAN"),
                                         core::installerPathOf(archive), owner)) {
        context_.boxes->tell(context_.window, *notice);
    } else if (packageDir) {
        (void)platform::removeFile(archive);
        packageDir->keep();
    }
    Q_EMIT installerStarted();
}

} // namespace menu::gui
