// Opening a file the way the desktop opens it: programs are started, documents are opened
// with the application associated with their kind.
#pragma once

#include "formats/Result.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace menu::platform {

// Results as the Windows shell numbers them: above 32 the target was started. A number not
// named here keeps its value and is told as an unknown failure.
enum class ShellCode : int {
    OutOfResources = 0,
    Other = 1, // a failure without a number of its own; its reason says what happened
    FileNotFound = 2,
    PathNotFound = 3,
    // Without a reason the user's own no to the system's question (an elevation prompt); with
    // one the system refused to run the file.
    AccessDenied = 5,
    OutOfMemory = 8,
    BadFormat = 11,
    SharingViolation = 26,
    IncompleteAssociation = 27,
    DdeTimeout = 28,
    DdeFailed = 29,
    DdeBusy = 30,
    NoAssociation = 31, // no application for the file's kind
    DllNotFound = 32,
    Started = 42,
};

struct ShellResult {
    ShellCode code = ShellCode::Started;
    // The system's own reason where it says more than the number; its path is the file the
    // system refused.
    std::optional<Failure> reason;
    bool started() const { return static_cast<int>(code) > 32; }
    // The user said no to the system's question: nothing to tell.
    bool declined() const { return code == ShellCode::AccessDenied && !reason; }
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
