// The program's work, called by each system's entry point: the starter when it is MENU's
// menu.exe (Linux: menu), else the installer. Its exit status.
#pragma once

namespace menu::setup {

int run();

} // namespace menu::setup
