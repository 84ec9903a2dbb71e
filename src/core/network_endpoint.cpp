#include "core/network_endpoint.h"

namespace zelvan {

NetworkEndpoint::NetworkEndpoint(std::string_view adsBase, std::string_view prefix) {
    while (!adsBase.empty() && adsBase.back() == '/') {
        adsBase.remove_suffix(1);
    }
    if (adsBase.empty()) {
        return;
    }
    base_ = std::string(adsBase);
    root_ = base_ + std::string(prefix);
}

std::string NetworkEndpoint::url(std::string_view path) const {
    return configured() ? root_ + std::string(path) : std::string();
}

} // namespace zelvan
