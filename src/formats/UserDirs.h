// The XDG user-directories file (user-dirs.dirs), which names the user's desktop on a free
// desktop. Read by shells too, so its lines follow shell quoting.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace menu::formats {

// The desktop that the text of a user-dirs.dirs file names, with $HOME replaced by home;
// nothing when the file does not name one in a form the XDG rules allow.
std::optional<QString> xdgDesktopDir(const QByteArray &userDirs, const QString &home);

// path without trailing slashes (the root stays "/").
QString withoutTrailingSlashes(QString path);
// home followed by rest ("" or "/..."), without a doubled separator when home is the root.
QString belowHome(const QString &home, const QString &rest);

} // namespace menu::formats
