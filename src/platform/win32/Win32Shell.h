#pragma once

#include "platform/Shell.h"

namespace menu::platform {

// ShellExecuteW with the verb "open": a program is started, a document opened with the
// application associated with its kind, in workingDir and in a normal window. The shell's own
// result number is the result; GetLastError() tells the reason behind a failure. The owner
// window is the parent of whatever the shell shows about the file.
class Win32Shell final : public Shell {
  public:
    ShellResult open(const QString &path, const QString &workingDir, OwnerWindow owner) override;
    ShellResult start(const QString &program, const QStringList &arguments,
                      const QString &workingDir, OwnerWindow owner) override;
};

} // namespace menu::platform
