// The context-menu command that puts the launcher's shortcut ORVAN.lnk on the desktop.
#pragma once

#include "platform/Desktop.h"
#include "platform/Services.h"

#include <QString>

class QWidget;

namespace menu::gui {

// The launcher at its fixed installation place below drivePrefix, whatever the running
// executable is called, and its directory with the trailing separator.
QString launcherTarget(const QString &drivePrefix);
QString launcherWorkingDir(const QString &drivePrefix);

// The command: refuses when ORVAN.lnk is already on the shared or the user's desktop, asks,
// then writes the shortcut on the shared desktop if it can, else on the user's desktop, and
// says how it went. A desktop the system does not have is skipped: nothing is ever looked
// for or written outside a desktop folder. An existing ORVAN.lnk is never replaced.
void MenuDesktopRun(QWidget *owner, platform::MessageBoxes &boxes,
                    const platform::DesktopFolders &desktops, const QString &drivePrefix);

} // namespace menu::gui
