// Connected when a network interface other than loopback is up and running with an address
// that can reach beyond its own link (IPv4, or IPv6 other than link-local).
#pragma once

#include "platform/Internet.h"

struct ifaddrs;

namespace menu::platform {

class PosixInternetState final : public InternetState {
  public:
    Result<bool> connected() const override;
};

// The rule above, applied to a list as getifaddrs gives it.
bool anyConnectedInterface(const ifaddrs *list);

} // namespace menu::platform
