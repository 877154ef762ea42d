// The command that puts the launcher's shortcut on the desktop: refused when one is already on
// the shared or the user's desktop; after the user agrees, written on the shared desktop if it
// can be, else on the user's. A desktop the system does not have is skipped, nothing is ever
// written outside a desktop folder, and an existing file is never replaced.
#pragma once

#include "core/Notice.h"
#include "platform/Desktop.h"

#include <QString>

#include <functional>
#include <optional>

namespace menu::core {

// The launcher at its fixed installation place below drivePrefix, whatever the running
// executable is called, and its directory with the trailing separator.
QString launcherTarget(const QString &drivePrefix);
QString launcherWorkingDir(const QString &drivePrefix);

// The part of dir up to and including its last separator (a slash or a backslash).
QString workingDirOf(const QString &dir);

// Runs the command; confirm asks the user the question and says whether they agreed. The
// notice to show at the end; nothing when the user declined.
std::optional<Notice> createDesktopShortcut(const platform::DesktopFolders &desktops,
                                            const QString &drivePrefix,
                                            const std::function<bool(const QString &)> &confirm);

} // namespace menu::core
