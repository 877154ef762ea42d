// Starting a program or opening a document of the menu, and what the user is told when that
// fails: an empty path, a missing file, and every shell result but the silent ones.
#pragma once

#include "core/Notice.h"
#include "platform/Shell.h"

#include <QString>

#include <optional>

namespace menu::core {

// Opens path through the shell with its own directory as the working directory, on behalf of
// the owner window; the notice to show when it did not start, nothing when it did (or the
// failure needs no word).
std::optional<Notice> launch(platform::Shell &shell, const QString &name, const QString &path,
                             platform::OwnerWindow owner);

// Starts the launcher's installer with its arguments in its own directory; the notice to show
// when its process did not come up (the launcher then stays), nothing when it did.
std::optional<Notice> startInstaller(platform::Shell &shell, const QString &installer,
                                     const QStringList &arguments, platform::OwnerWindow owner);

} // namespace menu::core
