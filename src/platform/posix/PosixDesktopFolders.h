// Desktop folders on a free desktop: the current user's desktop comes from the XDG user
// directories ($XDG_CONFIG_HOME/user-dirs.dirs, XDG_DESKTOP_DIR), else ~/Desktop. There is
// no desktop shared by all users here, so that folder is always reported as unavailable.
// Shortcuts are desktop entries (name.desktop), marked as trusted so that the desktop runs
// them.
#pragma once

#include "platform/Desktop.h"

#include <QString>

namespace menu::platform {

class PosixDesktopFolders : public DesktopFolders {
  public:
    // From $HOME (or the user database) and $XDG_CONFIG_HOME.
    PosixDesktopFolders();
    // With the home and configuration directories given; an empty configHome means
    // home + "/.config".
    PosixDesktopFolders(QString home, QString configHome);

    QString folder(DesktopKind kind) const override;
    QStringList shortcutFiles(const QString &folder, const QString &name) const override;
    Status createShortcut(const QString &folder, const Shortcut &shortcut) const override;

  private:
    QString home_;
    QString configHome_;
};

} // namespace menu::platform
