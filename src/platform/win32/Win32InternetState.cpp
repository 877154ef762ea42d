#include "platform/win32/Win32InternetState.h"

#include "platform/win32/WinError.h"

#include <ws2tcpip.h>

#include <cstring>
#include <vector>

namespace menu::platform {

namespace {

bool usableAddress(const SOCKADDR *address)
{
    if (address == nullptr)
        return false;
    if (address->sa_family == AF_INET) {
        sockaddr_in ip4{};
        std::memcpy(&ip4, address, sizeof ip4);
        const auto first = ip4.sin_addr.S_un.S_un_b;
        // 169.254/16: the address Windows gives itself when no server answered.
        return !(first.s_b1 == 169 && first.s_b2 == 254) && first.s_b1 != 127;
    }
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 ip6{};
        std::memcpy(&ip6, address, sizeof ip6);
        const auto *bytes = ip6.sin6_addr.s6_addr;
        // fe80::/10 reaches no further than the cable; ::1 not even that.
        const bool linkLocal = bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80;
        return !linkLocal && !IN6_IS_ADDR_LOOPBACK(&ip6.sin6_addr);
    }
    return false;
}

} // namespace

bool anyConnectedAdapter(const IP_ADAPTER_ADDRESSES *list)
{
    for (const IP_ADAPTER_ADDRESSES *adapter = list; adapter != nullptr; adapter = adapter->Next) {
        if (adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK || adapter->IfType == IF_TYPE_TUNNEL ||
            adapter->OperStatus != IfOperStatusUp)
            continue;
        for (const IP_ADAPTER_UNICAST_ADDRESS *address = adapter->FirstUnicastAddress;
             address != nullptr; address = address->Next) {
            if (usableAddress(address->Address.lpSockaddr))
                return true;
        }
    }
    return false;
}

Result<bool> Win32InternetState::connected() const
{
    constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                             GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
    // The list's size is known only by asking; it may grow between two asks.
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    for (int attempt = 0; attempt < 4; ++attempt) {
        buffer.resize(size);
        auto *list = reinterpret_cast<IP_ADAPTER_ADDRESSES *>(buffer.data());
        const ULONG result = ::GetAdaptersAddresses(AF_UNSPEC, kFlags, nullptr, list, &size);
        if (result == ERROR_SUCCESS)
            return anyConnectedAdapter(list);
        if (result == ERROR_NO_DATA)
            return false;
        if (result != ERROR_BUFFER_OVERFLOW)
            return win32::failureOf(result);
    }
    return win32::failureOf(ERROR_BUFFER_OVERFLOW);
}

} // namespace menu::platform
