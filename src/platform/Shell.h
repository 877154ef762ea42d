// Opening a file the way the desktop opens it: programs are started, documents are opened
// with the application associated with their kind.
#pragma once

#include <QString>

namespace menu::platform {

// Results as the Windows shell reports them: above 32 the target was started; otherwise
// 0 out of resources, 2 file not found, 3 path not found, 5 access denied, 8 out of memory,
// 11 bad format, 31 no application for the file's kind.
inline constexpr int kShellStarted = 42;

class Shell {
  public:
    virtual ~Shell() = default;
    // Opens path with workingDir as the started program's current directory; never waits for
    // the started program.
    virtual int open(const QString &path, const QString &workingDir) = 0;
};

} // namespace menu::platform
