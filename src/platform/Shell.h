// Opening a file the way the desktop opens it: programs are started, documents are opened
// with the application associated with their kind.
#pragma once

#include "formats/Result.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace menu::platform {

// Results as the Windows shell numbers them: above 32 the target was started; otherwise
// 0 out of resources, 2 file not found, 3 path not found, 5 access denied, 8 out of memory,
// 11 bad format, 26 sharing violation, 27 incomplete association, 28–30 DDE failures,
// 31 no application for the file's kind, 32 a library not found.
// 5 without a reason is the user's own no to the system's question (an elevation prompt);
// with a reason the system refused to run the file.
inline constexpr int kShellStarted = 42;
// A failure that has no number of its own; its reason says what happened.
inline constexpr int kShellOtherFailure = 1;

struct ShellResult {
    int code = kShellStarted;
    // The system's own reason where it says more than the number; its path is the file the
    // system refused.
    std::optional<Failure> reason;
    bool started() const { return code > 32; }
};

// The native handle of the window on whose behalf the shell acts (QWidget::winId()); 0 for
// none. Windows puts its own questions and boxes about the file (a security zone's prompt for a
// program on a share) over that window instead of somewhere behind it.
using OwnerWindow = quintptr;

class Shell {
  public:
    virtual ~Shell() = default;
    // Opens path with workingDir as the started program's current directory; never waits for
    // the started program.
    virtual ShellResult open(const QString &path, const QString &workingDir, OwnerWindow owner) = 0;
    // Starts a program (never a document) with arguments, with workingDir as its current
    // directory; never waits for it. Not started means its process did not come up: the
    // system may forbid programs in that folder.
    virtual ShellResult start(const QString &program, const QStringList &arguments,
                              const QString &workingDir, OwnerWindow owner) = 0;
};

} // namespace menu::platform
