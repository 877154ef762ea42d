// Connected when a network adapter other than loopback and tunnels is up with an address that
// can reach beyond its own link (IPv4 other than the automatic 169.254/16, or IPv6 other than
// link-local), as GetAdaptersAddresses lists them.
#pragma once

#include "platform/Internet.h"

#include <winsock2.h>
#include <iphlpapi.h>

namespace menu::platform {

class Win32InternetState final : public InternetState {
  public:
    Result<bool> connected() const override;
};

// The rule above, applied to a list as GetAdaptersAddresses gives it.
bool anyConnectedAdapter(const IP_ADAPTER_ADDRESSES *list);

} // namespace menu::platform
