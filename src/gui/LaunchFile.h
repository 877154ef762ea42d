#pragma once

#include "platform/Shell.h"
#include "platform/Services.h"

namespace menu::gui {

// Opens a program or document through the shell and reports every failure itself: an empty
// path, a missing file, and any shell result up to 32 but access denied, which stays silent.
void LaunchFile(QWidget *owner, platform::Shell &shell, platform::MessageBoxes &boxes,
                const QString &name, const QString &path);

} // namespace menu::gui
