// The launcher: one instance per user, the main window, the event loop.
#include "core/AppTexts.h"
#include "gui/Faults.h"
#include "gui/MainWindow.h"
#include "gui/QtMessageBoxes.h"
#include "platform/posix/DesktopScreen.h"
#include "platform/posix/LocalSingleInstance.h"
#include "platform/posix/PosixProfileStore.h"
#include "platform/posix/SystemClock.h"
#include "platform/posix/TerminationSignals.h"

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

    menu::platform::Services services;
    services.executablePath = QCoreApplication::applicationFilePath();
    services.profiles = &profiles;
    services.clock = &clock;
    services.screen = &screen;
    services.boxes = &boxes;

    menu::gui::TfMenuMain window(services);
    if (!window.installationAccepted())
        return 0;
    instance.listen([&window] { window.bringForward(); });
    menu::platform::TerminationSignals termination([&window] { window.close(); });

    window.show();
    QApplication::exec();
    return 0;
}
