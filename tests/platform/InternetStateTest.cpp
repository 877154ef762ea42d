#include "platform/posix/PosixInternetState.h"

#include <arpa/inet.h>
#include <cstring>
#include <deque>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <vector>

namespace {

// A list as getifaddrs gives it, built from a few interfaces.
class Interfaces {
  public:
    Interfaces &add(unsigned flags, const char *address)
    {
        auto &storage = addresses_.emplace_back();
        sockaddr *pointer = nullptr;
        if (address != nullptr) {
            if (std::strchr(address, ':') != nullptr) {
                sockaddr_in6 ip6{};
                ip6.sin6_family = AF_INET6;
                inet_pton(AF_INET6, address, &ip6.sin6_addr);
                std::memcpy(&storage, &ip6, sizeof ip6);
            } else {
                sockaddr_in ip4{};
                ip4.sin_family = AF_INET;
                inet_pton(AF_INET, address, &ip4.sin_addr);
                std::memcpy(&storage, &ip4, sizeof ip4);
            }
            pointer = reinterpret_cast<sockaddr *>(&storage);
        }
        ifaddrs entry{};
        entry.ifa_flags = flags;
        entry.ifa_addr = pointer;
        entries_.push_back(entry);
        return *this;
    }

    const ifaddrs *list()
    {
        for (size_t i = 0; i < entries_.size(); ++i)
            entries_[i].ifa_next = i + 1 < entries_.size() ? &entries_[i + 1] : nullptr;
        return entries_.empty() ? nullptr : &entries_.front();
    }

  private:
    std::deque<sockaddr_storage> addresses_; // entries point into it: no moves
    std::vector<ifaddrs> entries_;
};

constexpr unsigned kUp = IFF_UP | IFF_RUNNING;

struct InterfaceCase {
    const char *name;
    unsigned flags;
    const char *address;
    bool connected;
};

TEST(InternetState, ConnectedOnlyThroughAnInterfaceThatIsUpWithAnAddress)
{
    const InterfaceCase cases[] = {
        {"ethernet with IPv4", kUp, "192.168.1.20", true},
        {"global IPv6", kUp, "2001:db8::1", true},
        {"link-local IPv6 only", kUp, "fe80::1", false},
        {"loopback", kUp | IFF_LOOPBACK, "127.0.0.1", false},
        {"down", IFF_RUNNING, "192.168.1.20", false},
        {"no carrier", IFF_UP, "192.168.1.20", false},
        {"no address", kUp, nullptr, false},
    };
    for (const auto &c : cases) {
        Interfaces interfaces;
        interfaces.add(kUp | IFF_LOOPBACK, "127.0.0.1").add(c.flags, c.address);
        EXPECT_EQ(menu::platform::anyConnectedInterface(interfaces.list()), c.connected) << c.name;
    }
    EXPECT_FALSE(menu::platform::anyConnectedInterface(nullptr));
}

TEST(InternetState, SystemTestAnswersWithoutError)
{
    const menu::platform::PosixInternetState state;
    const menu::Result<bool> connected = state.connected();
    EXPECT_TRUE(connected.ok()) << connected.failure().code.message();
}

} // namespace
