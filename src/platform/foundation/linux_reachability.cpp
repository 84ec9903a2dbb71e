// Reads the interfaces (getifaddrs) and the IPv4 routing table (/proc/net/route) and applies the
// reachability flag rules to them.
#include "platform/foundation/linux_reachability.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/foundation/log.h"

namespace fnd {
namespace {

constexpr uint32_t kRouteUp = 0x1; // RTF_UP
constexpr const char* kRoutePath = "/proc/net/route";

constexpr ReachabilityFlags kLoopbackFlags =
    ReachabilityFlag::Reachable | ReachabilityFlag::IsLocalAddress | ReachabilityFlag::IsDirect;

bool isLoopback(uint32_t ipv4) {
    return (ipv4 >> 24) == 127;
}

bool isLinkLocal(uint32_t ipv4) {
    return (ipv4 & 0xFFFF0000u) == LinuxReachability::kLinkLocalNet;
}

// A hexadecimal field of the route table: the kernel prints the 32-bit value as it lies in memory.
std::optional<uint32_t> parseHex(std::string_view field) {
    if (field.empty() || field.size() > 8) {
        return std::nullopt;
    }
    uint32_t value = 0;
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value, 16);
    if (ec != std::errc() || end != field.data() + field.size()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        if (i > start) {
            fields.push_back(line.substr(start, i - start));
        }
    }
    return fields;
}

std::string lowercased(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

bool isLoopbackName(std::string_view host) {
    std::string name = lowercased(host);
    if (!name.empty() && name.back() == '.') {
        name.pop_back();
    }
    static constexpr std::string_view kSuffix = ".localhost";
    return name == "localhost" || name == "localhost.localdomain" || name == "ip6-localhost" ||
           name == "ip6-loopback" || name == "::1" ||
           (name.size() > kSuffix.size() && name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0);
}

} // namespace

std::vector<LinuxReachability::Route> LinuxReachability::parseRouteTable(std::string_view text) {
    std::vector<Route> routes;
    size_t bad = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        auto fields = splitFields(line);
        if (fields.empty() || fields[0] == "Iface") {
            continue;
        }
        // Iface Destination Gateway Flags RefCnt Use Metric Mask [MTU Window IRTT]
        std::optional<uint32_t> destination, gateway, flags, mask;
        if (fields.size() >= 8) {
            destination = parseHex(fields[1]);
            gateway = parseHex(fields[2]);
            flags = parseHex(fields[3]);
            mask = parseHex(fields[7]);
        }
        if (!destination || !gateway || !flags || !mask) {
            ++bad;
            continue;
        }
        routes.push_back(Route{std::string(fields[0]), ntohl(*destination), ntohl(*gateway), ntohl(*mask), *flags});
    }
    if (bad > 0) {
        ZLOG(Warn, "Reachability: skipped %d unreadable line(s) of the route table", static_cast<int>(bad));
    }
    return routes;
}

bool LinuxReachability::internetUp(const NetworkState& state) {
    bool interfaceUp = std::any_of(state.interfaces.begin(), state.interfaces.end(),
                                   [](const Interface& i) { return i.up && !i.loopback; });
    bool defaultRoute = std::any_of(state.routes.begin(), state.routes.end(), [](const Route& r) {
        return r.destination == 0 && r.mask == 0 && (r.flags & kRouteUp) != 0;
    });
    return interfaceUp && defaultRoute;
}

ReachabilityFlags LinuxReachability::flagsForAddress(const NetworkState& state, uint32_t ipv4) {
    if (isLoopback(ipv4)) {
        return kLoopbackFlags;
    }
    auto usable = [](const Interface& i) { return i.up && !i.loopback && i.ipv4.has_value(); };
    if (ipv4 == kLinkLocalNet) {
        bool linkLocal = std::any_of(state.interfaces.begin(), state.interfaces.end(),
                                     [&](const Interface& i) { return usable(i) && isLinkLocal(*i.ipv4); });
        return linkLocal ? ReachabilityFlag::Reachable | ReachabilityFlag::IsDirect : 0;
    }
    if (ipv4 != 0) {
        for (const Interface& i : state.interfaces) {
            if (usable(i) && *i.ipv4 == ipv4) {
                return kLoopbackFlags; // one of our own addresses
            }
        }
        for (const Interface& i : state.interfaces) {
            if (usable(i) && i.netmask != 0 && (*i.ipv4 & i.netmask) == (ipv4 & i.netmask)) {
                return ReachabilityFlag::Reachable | ReachabilityFlag::IsDirect;
            }
        }
    }
    return internetUp(state) ? ReachabilityFlag::Reachable : 0;
}

ReachabilityFlags LinuxReachability::flagsForName(const NetworkState& state, std::string_view host) {
    if (isLoopbackName(host)) {
        return kLoopbackFlags;
    }
    in_addr literal{};
    if (inet_pton(AF_INET, std::string(host).c_str(), &literal) == 1) {
        return flagsForAddress(state, ntohl(literal.s_addr));
    }
    return internetUp(state) ? ReachabilityFlag::Reachable : 0;
}

std::optional<LinuxReachability::NetworkState> LinuxReachability::readState() {
    NetworkState state;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        ZLOG(Warn, "Reachability: getifaddrs failed (errno %d)", errno);
        return std::nullopt;
    }
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        Interface i;
        i.name = entry->ifa_name ? entry->ifa_name : "";
        i.up = (entry->ifa_flags & IFF_UP) != 0;
        i.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET) {
            i.ipv4 = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
            if (entry->ifa_netmask) {
                i.netmask = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr);
            }
        }
        state.interfaces.push_back(std::move(i));
    }
    freeifaddrs(list);

    // procfs files report no size, so read them as a stream.
    std::ifstream file(kRoutePath);
    if (!file) {
        ZLOG(Warn, "Reachability: cannot read %s", kRoutePath);
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    state.routes = parseRouteTable(text.str());
    return state;
}

std::optional<ReachabilityFlags> LinuxReachability::flagsForName(const std::string& host) {
    if (isLoopbackName(host)) {
        return kLoopbackFlags;
    }
    auto state = readState();
    if (!state) {
        return std::nullopt;
    }
    return flagsForName(*state, host);
}

std::optional<ReachabilityFlags> LinuxReachability::flagsForAddress(uint32_t ipv4) {
    if (isLoopback(ipv4)) {
        return kLoopbackFlags;
    }
    auto state = readState();
    if (!state) {
        return std::nullopt;
    }
    return flagsForAddress(*state, ipv4);
}

} // namespace fnd
