// Whether the desktop has an application for a document, asked before the document is handed
// to xdg-open: xdg-open itself reports nothing useful (it may even wait for the application),
// so a document nobody takes would be a click that does nothing.
#pragma once

#include <QString>

#include <optional>

namespace menu::platform {

// Asks GLib's gio tool: the file's content type (by name and content, from the shared MIME
// database) and the default application for that type (mimeapps.list of every level and
// desktop, desktop files, parent types). That is the decision gio open makes, which xdg-open
// calls on GNOME, Cinnamon and MATE, and the GLib associations Xfce's and LXDE's openers use;
// xdg-mime's own generic lookup takes the type from the content alone and misses parent types.
// Nothing when it cannot be found out (no gio, or gio did not answer in time).
std::optional<bool> desktopOpens(const QString &path);

} // namespace menu::platform
