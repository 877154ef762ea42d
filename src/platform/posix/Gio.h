// GLib's gio tool, which speaks for the desktop: its associations of files with applications
// and its file metadata.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace menu::platform {

// What gio writes for args, in the C locale so that its words can be read; nothing when there
// is no gio, or it failed, or it did not answer within a few seconds.
std::optional<QString> gioSays(const QStringList &args);

} // namespace menu::platform
