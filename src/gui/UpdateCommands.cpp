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
#include "platform/Files.h"

namespace menu::gui {

UpdateCommands::UpdateCommands(Context context, QObject *parent)
    : QObject(parent), context_(std::move(context))
{
}

void UpdateCommands::offerAtStart()
{
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
        setup.localFile = platform::temporaryDirectory() + QStringLiteral("/orvan_update.zip");
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
    // Whether the installer started is not examined: a failure has been told, and the
    // launcher makes way for the installer all the same.
    if (const auto notice = core::launch(*context_.shell, QStringLiteral("ORVAN"),
                                         core::installerPathOf(setup.localFile)))
        context_.boxes->tell(context_.window, *notice);
    (void)platform::removeFile(setup.localFile);
    Q_EMIT installerStarted();
}

} // namespace menu::gui
