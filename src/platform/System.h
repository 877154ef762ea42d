// The real services of the system the launcher runs on. Each side of the seam (posix/,
// win32/) implements these factories; main and menu-doctor are the only callers.
#pragma once

#include "platform/Desktop.h"
#include "platform/Executables.h"
#include "platform/Internet.h"
#include "platform/Regional.h"
#include "platform/Services.h"
#include "platform/Shell.h"

#include <QObject>

#include <functional>
#include <memory>

namespace menu::platform {

// Owns one implementation of every service; services() hands them out.
struct SystemServices {
    std::unique_ptr<ProfileStore> profiles;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Screen> screen; // needs a running GUI application
    std::unique_ptr<VersionReader> versions;
    std::unique_ptr<IconReader> icons;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<DesktopFolders> desktops;
    std::unique_ptr<InternetState> internet;
    std::unique_ptr<RegionalSettings> regional;

    Services services(const QString &executablePath) const;
};

std::unique_ptr<SystemServices> makeSystemServices();

// The single-instance claim under name, per user.
std::unique_ptr<SingleInstance> makeSingleInstance(const QString &name);

// Calls onTerminate on the user-interface thread when the system asks the program to end
// (the session ending, Ctrl+C); lives as long as the returned object.
std::unique_ptr<QObject> watchTermination(std::function<void()> onTerminate);

// Sets name=value in this process's environment, which the programs it starts inherit. Call it
// before the application object exists: the environment is not safe to change once other
// threads (Qt's among them) may read it.
void setInheritedEnvironment(const QString &name, const QString &value);
// The value of name in this process's environment, which is then removed from it, so that the
// programs it starts do not inherit it; empty when it was not set. Call it, too, before the
// application object exists.
QString takeInheritedEnvironment(const QString &name);
// The running program's own file, known before any application object exists (native
// separators); empty when the system does not tell.
QString runningProgramPath();

} // namespace menu::platform
