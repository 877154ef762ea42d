// The launcher: one instance per user, the main window, the event loop.
#include "core/PackagePaths.h"
#include "core/UserTexts.h"
#include "core/TrustedAnnouncement.h"
#include "core/UpdateAddress.h"
#include "gui/ErrorBoundary.h"
#include "gui/MainWindow.h"
#include "platform/LibraryText.h"
#include "platform/System.h"
#include "gui/QtMessageBoxes.h"

#include <QDir>

namespace {

// The environment, before the application starts its threads: the package's installer,
// started without arguments, learns from ORVAN_MENU which launcher to replace and whose process
// to wait for; an installer that failed and started this launcher again says so in
// ORVAN_INSTALL_FAILED, which goes no further. True when it did.
bool prepareEnvironment()
{
    menu::platform::prepareLibraryTexts();
    menu::platform::setInheritedEnvironment(
        QStringLiteral("ORVAN_MENU"),
        QDir::toNativeSeparators(menu::core::starterPathOf(
            QDir::fromNativeSeparators(menu::platform::runningProgramPath()))));
    return menu::platform::takeInheritedEnvironment(QStringLiteral("ORVAN_INSTALL_FAILED")) ==
           QLatin1String("1");
}

// The system's services for this launcher, and where it looks for updates: the compiled-in
// address, on the host ORVAN_UPDATE_HOST names when set (the demo and the tests of the whole
// program point the launcher at a local server so).
menu::platform::Services launcherServices(const menu::platform::SystemServices &system,
                                          bool installFailed)
{
    menu::platform::Services services = system.services(QCoreApplication::applicationFilePath());
    services.updateAddress = menu::core::withUpdateHost(menu::core::compiledUpdateAddress(),
                                                        qEnvironmentVariable("ORVAN_UPDATE_HOST"));
    services.installFailed = installFailed;
    return services;
}

} // namespace

int main(int argc, char **argv)
{
    const bool installFailed = prepareEnvironment();
#ifdef MENU_UNSIGNED_TEST_LAUNCHER
    // The test suites' copy: configured as a build with MENU_ALLOW_UNSIGNED_UPDATES is.
    menu::core::TrustPolicy policy = menu::core::compiledTrustPolicy();
    policy.allowUnsigned = true;
    menu::core::setTrustPolicy(std::move(policy));
#endif
    menu::gui::MenuApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("menu"));
    menu::gui::QtMessageBoxes boxes;

    using Claim = menu::platform::SingleInstance::Claim;
    menu::gui::MainWindow *shown = nullptr; // the window, once there is one
    const std::unique_ptr<menu::platform::SingleInstance> instance =
        menu::platform::makeSingleInstance(QStringLiteral("Orvan-Menu"));
    const Claim claim = instance->claim();
    if (claim == Claim::Held) {
        if (instance->raiseRunning())
            return 0;
        boxes.show(nullptr, menu::core::BoxKind::Error, menu::core::texts::launcherNotAnswering());
        return 1;
    }
    // Without a claim a second window could write the same settings: said, and ended.
    if (claim == Claim::Unavailable) {
        boxes.show(nullptr, menu::core::BoxKind::Error,
                   menu::core::texts::instanceClaimFailed(instance->claimFailure()));
        return 1;
    }
    // Answered from now on, so that a start right after this one finds it.
    instance->listen([&shown] {
        if (shown != nullptr)
            shown->bringForward();
    });

    const std::unique_ptr<menu::platform::SystemServices> system =
        menu::platform::makeSystemServices();
    menu::gui::setFaultBoxes(&boxes);

    menu::gui::MainWindow window(launcherServices(*system, installFailed), boxes);
    if (!window.installationAccepted())
        return 0;
    shown = &window;
    const std::unique_ptr<QObject> termination = menu::platform::watchTermination([&window] {
        window.terminate();
        QCoreApplication::exit(0); // every loop, also a dialog's that did not end yet
    });

    window.show();
    return QApplication::exec();
}
