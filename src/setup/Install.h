// Installs a package side by side: the launcher's files go complete into a version folder of
// their own, the switch to it is one rename, and the starter menu.exe is put in place beside.
// Nothing a running launcher uses is changed; a failure before the switch leaves the current
// version current, and removes what it wrote as far as it can.
#pragma once

#include "setup/Layout.h"

#include <optional>
#include <string>
#include <vector>

namespace menu::setup {

struct InstallFailure {
    std::string file; // relative to the package, or a name in MENU
    int error = 0;
    bool switched = false;         // the new version is current all the same
    std::vector<std::string> left; // what could not be removed again
};

struct Installed {
    std::string name; // the version folder made current
};

// Installs the package (without its top-level setup.exe, which becomes the starter).
// progress is told each step.
std::optional<InstallFailure> install(const std::string &package, const Layout &layout,
                                      os::Progress &progress, Installed &installed);

// Removes a tree; the paths it could not remove are added to left.
void removeTree(const std::string &path, std::vector<std::string> &left);

// For tests: ORVAN_SETUP_STOP_AFTER=<step> ends the installer abruptly after that step, as a
// crash or a logoff would.
void stopPoint(int step);

} // namespace menu::setup
