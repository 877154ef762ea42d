// The launcher: one instance per user, the main window, the event loop.
#include "core/AppTexts.h"
#include "widgets/AEdit.h"
#include "gui/Faults.h"
#include "gui/MainWindow.h"
#include "widgets/QtMessageBoxes.h"
#include "gui/UpdateWorker.h"
#include "platform/Desktop.h"
#include "platform/Executables.h"
#include "platform/Regional.h"
#include "platform/DesktopScreen.h"
#include "platform/posix/InterfaceInternetState.h"
#include "platform/posix/LocalSingleInstance.h"
#include "platform/ProfileFiles.h"
#include "platform/posix/PosixShell.h"
#include "platform/SystemClock.h"
#include "platform/posix/TerminationSignals.h"

#include <cstdlib>

int main(int argc, char **argv)
{
    menu::gui::MenuApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("menu"));

    menu::platform::LocalSingleInstance instance(QStringLiteral("Orvan-Menu"));
    if (instance.raiseRunning() || !instance.claim())
        return 0;

    menu::platform::PosixProfileStore profiles;
    menu::platform::SystemClock clock;
    menu::platform::DesktopScreen screen;
    menu::gui::QtMessageBoxes boxes;
    menu::gui::setFaultBoxes(&boxes);
    menu::platform::PosixShell shell;
    const std::unique_ptr<menu::platform::DesktopFolders> desktops =
        menu::platform::makeSystemDesktopFolders();
    menu::platform::InterfaceInternetState internet;
    menu::platform::SystemRegionalSettings regional(&clock);
    menu::gui::TAEdit::setDefaultRegionalSettings(&regional);
    menu::gui::TAEdit::setDefaultMessageBoxes(&boxes);

    menu::platform::Services services;
    services.executablePath = QCoreApplication::applicationFilePath();
    services.profiles = &profiles;
    services.clock = &clock;
    services.screen = &screen;
    services.boxes = &boxes;
    services.versions = &menu::platform::systemVersionReader();
    services.icons = &menu::platform::systemIconReader();
    services.shell = &shell;
    services.desktops = desktops.get();
    services.internet = &internet;
    services.regional = &regional;

    menu::gui::TfMenuMain window(services);
    if (!window.installationAccepted())
        return 0;
    instance.listen([&window] { window.bringForward(); });
    menu::platform::TerminationSignals termination([&window] { window.close(); });

    window.show();
    QApplication::exec();
    // The settings are saved. An update check still waiting on the network ends with the
    // process, at once: nobody waits for it, and nothing it may still use is torn down under it.
    if (menu::gui::TVlakno::anyRunning())
        std::_Exit(0);
    return 0;
}
