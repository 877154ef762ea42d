#include "platform/posix/PosixInternetState.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <memory>
#include <net/if.h>
#include <netinet/in.h>

namespace menu::platform {

namespace {

struct IfaddrsDeleter {
    void operator()(ifaddrs *list) const { freeifaddrs(list); }
};

bool usableAddress(const sockaddr *address)
{
    if (address == nullptr)
        return false;
    if (address->sa_family == AF_INET)
        return true;
    if (address->sa_family == AF_INET6) {
        // Every interface that is up has an fe80:: address of its own; it reaches no further
        // than the cable, so it does not make a connection.
        sockaddr_in6 ip6{};
        std::memcpy(&ip6, address, sizeof ip6);
        return !IN6_IS_ADDR_LINKLOCAL(&ip6.sin6_addr);
    }
    return false;
}

} // namespace

bool anyConnectedInterface(const ifaddrs *list)
{
    for (const ifaddrs *entry = list; entry != nullptr; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if ((flags & IFF_LOOPBACK) != 0 || (flags & IFF_UP) == 0 || (flags & IFF_RUNNING) == 0)
            continue;
        if (usableAddress(entry->ifa_addr))
            return true;
    }
    return false;
}

Result<bool> PosixInternetState::connected() const
{
    ifaddrs *raw = nullptr;
    if (getifaddrs(&raw) != 0)
        return Failure::errnoValue(errno);
    const std::unique_ptr<ifaddrs, IfaddrsDeleter> list(raw);
    return anyConnectedInterface(list.get());
}

} // namespace menu::platform
