// Where a side-by-side installation keeps its parts below ...\ORVAN\MENU:
//
//     MENU\menu.exe              the starter (a copy of setup.exe): starts the current version
//     MENU\menu.ini              the settings of every version
//     MENU\setup.lock            the marker of a running installation
//     MENU\versions\current      the name of the current version's folder, one line
//     MENU\versions\1.1.0.8\     one complete launcher version per folder
//
// A version folder is written complete under a temporary name (<name>.part-<pid>) and renamed;
// the switch is the rename of a new "current" over the old one. No file a launcher may use is
// ever changed: old folders go only once nothing holds them.
#pragma once

#include "setup/Os.h"

#include <optional>
#include <string>

namespace menu::setup {

inline std::string join(const std::string &folder, const std::string &name)
{
    return folder + os::kSeparator + name;
}

struct Layout {
    std::string menu; // ...\ORVAN\MENU
    std::string versions() const { return join(menu, "versions"); }
    std::string pointer() const { return join(versions(), "current"); }
    std::string marker() const { return join(menu, "setup.lock"); }
    std::string starter() const { return join(menu, os::kLauncherName); }
    std::string version(const std::string &name) const { return join(versions(), name); }
    std::string launcherOf(const std::string &name) const
    {
        return join(version(name), os::kLauncherName);
    }
};

// The folder name "current" names, when it names a folder of a complete version.
std::optional<std::string> currentVersion(const Layout &layout);
// Makes name the current version in one step.
int switchTo(const Layout &layout, const std::string &name);

// The file version of a launcher ("1.1.0.8") from its version block, which a Windows program
// keeps among its resources and the Linux build in a section; empty when it has none.
std::string fileVersionOf(const std::string &program);

// A name that is one plain component of a path: no separators, no "." or "..", no stream.
bool isPlainName(const std::string &name);

// Whether two files have the same bytes.
bool sameContents(const std::string &a, const std::string &b);

} // namespace menu::setup
