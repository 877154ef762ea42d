// Desktop folders: where a shortcut that the user sees on the desktop lives.
#pragma once

#include <QString>

#include <memory>

namespace menu::platform {

class DesktopFolders {
public:
    virtual ~DesktopFolders() = default;
    // The file-system path of a desktop folder, without a trailing separator: "A" = the
    // current user's desktop, any other selector = the desktop shared by all users. Empty
    // when the system has no such folder. Looked up anew on every call.
    virtual QString DesktopFolderGet(const QString &kind) const = 0;
};

// The desktop folders of this system.
std::unique_ptr<DesktopFolders> makeSystemDesktopFolders();

} // namespace menu::platform
