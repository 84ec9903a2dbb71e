// NetworkEndpoint: where one ad, offer, analytics or store network is reached. Every network's addresses
// are the --ads-base URL followed by the network's own path prefix ("/orvane", "/kavlo" ...) and its paths;
// an endpoint made from an empty base is "not configured" and yields no address at all, so a network
// without one sends nothing (the composition root says so in the log once, for every network).
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

class NetworkEndpoint {
public:
    // Not configured.
    NetworkEndpoint() = default;
    // `adsBase` is the --ads-base URL (a trailing slash is dropped), `prefix` the network's path under it,
    // beginning with "/". An empty base makes an endpoint that is not configured.
    NetworkEndpoint(std::string_view adsBase, std::string_view prefix);

    bool configured() const { return !root_.empty(); }
    // The ads base alone ("" when not configured): for the networks that derive a host or another
    // network's prefix from it.
    const std::string& adsBase() const { return base_; }
    // The base and the prefix ("" when not configured).
    const std::string& root() const { return root_; }
    // The root followed by `path` ("" when not configured).
    std::string url(std::string_view path) const;
    // The endpoint of another path prefix under the same base (not configured when this one is not).
    NetworkEndpoint sibling(std::string_view prefix) const { return NetworkEndpoint(base_, prefix); }

private:
    std::string base_;
    std::string root_;
};

} // namespace zelvan
