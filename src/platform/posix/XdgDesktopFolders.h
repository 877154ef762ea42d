// Desktop folders on a free desktop: the current user's desktop comes from the XDG user
// directories ($XDG_CONFIG_HOME/user-dirs.dirs, XDG_DESKTOP_DIR), else ~/Desktop. There is
// no desktop shared by all users here, so that folder is always reported as unavailable.
#pragma once

#include "platform/Desktop.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace menu::platform {

class XdgDesktopFolders : public DesktopFolders {
public:
    // From $HOME (or the user database) and $XDG_CONFIG_HOME.
    XdgDesktopFolders();
    // With the home and configuration directories given; an empty configHome means
    // home + "/.config".
    XdgDesktopFolders(QString home, QString configHome);

    QString DesktopFolderGet(const QString &kind) const override;

private:
    QString home_;
    QString configHome_;
};

// The desktop that the text of a user-dirs.dirs file names, with $HOME replaced by home;
// nothing when the file does not name one in a form the XDG rules allow.
std::optional<QString> xdgDesktopDir(const QByteArray &userDirs, const QString &home);

} // namespace menu::platform
