// Removes what no process needs any more, under the installation marker: version folders but
// the current one, folders of installations that were cut off, starters moved aside, and the
// files of a launcher from before the versions (the names the current version has too). What
// a process still holds stays for a later install or start.
#pragma once

#include "setup/Layout.h"

namespace menu::setup {

void cleanUp(const Layout &layout);

// Whether the file is this program: the starter, not a launcher of the flat layout.
bool isStarter(const std::string &path);

} // namespace menu::setup
