// Desktop folders of Windows: the desktop of all users and the user's own, as the shell names
// them (SHGetFolderPathW), and shortcuts (.lnk) written by the shell's own link object.
#pragma once

#include "platform/Desktop.h"

namespace menu::platform {

// The launcher's one application identity: its window, whichever version folder it runs from,
// and the shortcut that names the starter are one item on the taskbar and when pinned.
inline constexpr wchar_t kAppUserModelId[] = L"ORVAN.ZakladnaPonuka";

class Win32DesktopFolders final : public DesktopFolders {
  public:
    QString folder(DesktopKind kind) const override;
    QStringList shortcutFiles(const QString &folder, const QString &name) const override;
    Status createShortcut(const QString &folder, const Shortcut &shortcut) const override;
};

} // namespace menu::platform
