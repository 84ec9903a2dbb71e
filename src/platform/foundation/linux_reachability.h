// The Linux reachability provider: interfaces from getifaddrs and routes from /proc/net/route,
// turned into reachability flags without any DNS lookup. The parsing and the flag rules are plain
// functions over data so they can be tested with made-up tables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/reachability.h"

namespace fnd {

class LinuxReachability final : public ReachabilityProvider {
public:
    // One row of the kernel's IPv4 routing table; addresses in host byte order.
    struct Route {
        std::string interface;
        uint32_t destination = 0;
        uint32_t gateway = 0;
        uint32_t mask = 0;
        uint32_t flags = 0; // RTF_* bits; RTF_UP is 0x1
    };
    // One interface entry; `ipv4` is set for the entries that carry an IPv4 address.
    struct Interface {
        std::string name;
        bool up = false;
        bool loopback = false;
        std::optional<uint32_t> ipv4;
        uint32_t netmask = 0;
    };
    struct NetworkState {
        std::vector<Interface> interfaces;
        std::vector<Route> routes;
    };

    static constexpr uint32_t kLinkLocalNet = 0xA9FE0000; // 169.254.0.0

    // The rows of /proc/net/route text. The header line is skipped; rows that do not parse are
    // skipped with a log line.
    static std::vector<Route> parseRouteTable(std::string_view text);

    // The flag rules. The internet (address 0, and any name) is reachable when a non-loopback
    // interface is up and a default route exists; 169.254.0.0 is reachable and direct only when
    // an up interface has a link-local address; loopback addresses and names always are, as local
    // and direct; an address of an up interface is local and direct, one inside its subnet direct.
    static ReachabilityFlags flagsForAddress(const NetworkState& state, uint32_t ipv4);
    static ReachabilityFlags flagsForName(const NetworkState& state, std::string_view host);
    static bool internetUp(const NetworkState& state);

    // The machine's interfaces and routes now; nullopt (logged) when either cannot be read.
    static std::optional<NetworkState> readState();

    std::optional<ReachabilityFlags> flagsForName(const std::string& host) override;
    std::optional<ReachabilityFlags> flagsForAddress(uint32_t ipv4) override;
};

} // namespace fnd
