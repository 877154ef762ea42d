// The starter: MENU\menu.exe in a side-by-side installation. It starts the current version
// (waiting, with a note, while an installation runs), tidies up what no process needs any
// more, and ends. Its failures are Slovak boxes.
#pragma once

#include "setup/Layout.h"

namespace menu::setup {

int runStarter(const Layout &layout);

} // namespace menu::setup
