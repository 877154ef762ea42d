// Which installation the installer works on.
#pragma once

#include "setup/Layout.h"

#include <optional>
#include <string>

namespace menu::setup {

// The installation whose starter (or flat launcher) the path names, else ORVAN_MENU names:
// menu.exe (Linux: menu) in an existing directory ending in ORVAN/MENU below something.
std::optional<Layout> findTarget(const std::optional<std::string> &named);

// The directory of a path ("" when it has none).
std::string directoryOf(const std::string &path);

} // namespace menu::setup
