#pragma once

#include "platform/Shell.h"

namespace menu::platform {

// A native program (ELF, or a script with #!) with its run bit is started directly, never
// through a shell command line; a Windows program through wine when it is installed;
// anything else through xdg-open. The owner window is not needed: nothing here asks the user.
class PosixShell final : public Shell {
  public:
    ShellResult open(const QString &path, const QString &workingDir, OwnerWindow owner) override;
    ShellResult start(const QString &program, const QStringList &arguments,
                      const QString &workingDir, OwnerWindow owner) override;
};

// How a file would be opened; exposed for tests.
enum class OpenWay { Direct, Wine, Associated };
OpenWay openWayFor(const QString &path);

// The result of a start that failed with the system's error at path.
ShellResult shellFailure(int error, const QString &path);

} // namespace menu::platform
