// Which launcher the installer replaces, and where the installer itself lies.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace menu::setup {

struct Target {
    std::wstring program;   // ...\ORVAN\MENU\menu.exe, full and in its long form
    std::wstring directory; // ...\ORVAN\MENU
};

// The launcher named by the first argument, else by ORVAN_MENU; nothing when neither names a
// menu.exe in an existing directory ending in \ORVAN\MENU.
std::optional<Target> findTarget(const std::vector<std::wstring> &arguments);

// The directory of the running setup.exe: the unpacked package.
std::wstring ownDirectory();

// The full path by Windows' own rules (current directory, "..", trailing dots); empty on error.
std::wstring fullPath(const std::wstring &path);

// Whether two names are the same for the file system (ordinal, case-blind).
bool sameName(const std::wstring &a, const std::wstring &b);
bool endsWithName(const std::wstring &text, const std::wstring &end);

} // namespace menu::setup
