// Desktops: the folders whose files the user sees on the desktop, and shortcuts put there.
#pragma once

#include "formats/Result.h"

#include <QString>
#include <QStringList>

namespace menu::platform {

enum class DesktopKind {
    AllUsers,    // the desktop shared by every user of the computer
    CurrentUser, // the desktop of the user running the launcher
};

// What a shortcut starts.
struct Shortcut {
    QString name;       // the shortcut's name as the desktop shows it ("ORVAN")
    QString target;     // the program it starts
    QString workingDir; // the started program's current directory
};

class DesktopFolders {
  public:
    virtual ~DesktopFolders() = default;
    // The file-system path of a desktop folder, without a trailing separator; empty when the
    // system has no such folder. Looked up anew on every call.
    virtual QString folder(DesktopKind kind) const = 0;
    // The files in folder that would hold a shortcut called name on this system.
    virtual QStringList shortcutFiles(const QString &folder, const QString &name) const = 0;
    // Writes a new shortcut into folder; never replaces an existing file, and a failure leaves
    // nothing behind.
    virtual Status createShortcut(const QString &folder, const Shortcut &shortcut) const = 0;
};

} // namespace menu::platform
