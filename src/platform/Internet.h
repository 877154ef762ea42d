// Internet state: whether the computer has a network connection at all. The update check asks
// it before going to the vendor's server, so that an unplugged computer gets a plain notice
// instead of a network failure.
#pragma once

#include <QString>

namespace menu::platform {

class InternetState {
  public:
    virtual ~InternetState() = default;
    // True when connected. When the test itself fails, returns false and sets error to the
    // system's message; otherwise error is left empty.
    virtual bool connected(QString &error) const = 0;
};

} // namespace menu::platform
