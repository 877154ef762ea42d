// Whom the launcher trusts for its updates: the minisign public keys compiled in with the CMake
// cache variable MENU_TRUSTED_KEYS (a list, so that the vendor can replace a key while launchers
// with the old one are still about). A build without keys trusts its network as before.
#pragma once

#include "formats/Minisign.h"

#include <vector>

namespace menu::core {

// The compiled-in keys (empty in a build without keys).
const std::vector<formats::MinisignKey> &compiledKeys();

} // namespace menu::core
