// The launcher: one instance per user, the main window, the event loop.
#include "gui/ErrorBoundary.h"
#include "gui/MainWindow.h"
#include "platform/System.h"
#include "widgets/QtMessageBoxes.h"
#include "widgets/TypedEdit.h"

int main(int argc, char **argv)
{
    menu::gui::MenuApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("menu"));

    const std::unique_ptr<menu::platform::SingleInstance> instance =
        menu::platform::makeSingleInstance(QStringLiteral("Orvan-Menu"));
    if (instance->raiseRunning() || !instance->claim())
        return 0;

    const std::unique_ptr<menu::platform::SystemServices> system =
        menu::platform::makeSystemServices();
    menu::widgets::QtMessageBoxes boxes;
    menu::gui::setFaultBoxes(&boxes);
    menu::widgets::TypedEdit::setDefaultRegionalSettings(system->regional.get());
    menu::widgets::TypedEdit::setDefaultMessageBoxes(&boxes);

    menu::gui::MainWindow window(system->services(QCoreApplication::applicationFilePath()), boxes);
    if (!window.installationAccepted())
        return 0;
    instance->listen([&window] { window.bringForward(); });
    const std::unique_ptr<QObject> termination =
        menu::platform::watchTermination([&window] {
            window.terminate();
            QCoreApplication::exit(0); // every loop, also a dialog's that did not end yet
        });

    window.show();
    return QApplication::exec();
}
