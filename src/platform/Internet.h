// Internet state: whether the computer has a network connection at all. The update check asks
// it before going to the vendor's server, so that an unplugged computer gets a plain notice
// instead of a network failure.
#pragma once

#include "formats/Result.h"

namespace menu::platform {

class InternetState {
  public:
    virtual ~InternetState() = default;
    // Whether the computer is connected; a failure when the test itself fails.
    virtual Result<bool> connected() const = 0;
};

} // namespace menu::platform
