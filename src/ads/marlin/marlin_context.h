// zelvan::marlin::MarlinContext: the interstitial client's process-wide values: the addresses derived from
// --ads-base, the reachability monitor, and what the entry points keep between their calls (the
// application id, the server, the application's delegate and rotation, the one controller). It lives in the
// application registry's `marlin` slot and makes nothing: the entry points (marlin_entry_points.cpp, the one
// caller of `context()`) make the controller and hand it what it needs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "ads/marlin/marlin_delegate.h"
#include "core/network_endpoint.h"

namespace zelvan {
class Reachability;
}

namespace zelvan::marlin {

class MNController;

// The ad bridge server and the hosts whose pages leave the application (a URL matches when it
// starts with one).
struct MarlinAddresses {
    std::string defaultServer;
    std::string storeURL;
    std::string mapsURL;
    std::string videoURL;
};

class MarlinContext {
public:
    // The addresses under `endpoint`: "/AdBridgeServer", "/store", "/maps" and "/video"; none when it is not
    // configured. `reachability` is what the controller asks (a monitor of its own when null).
    explicit MarlinContext(const NetworkEndpoint& endpoint = {}, std::shared_ptr<Reachability> reachability = nullptr);
    ~MarlinContext();
    MarlinContext(const MarlinContext&) = delete;
    MarlinContext& operator=(const MarlinContext&) = delete;

    // The context of the installed application delegate, or null. Called only by the entry points.
    static std::shared_ptr<MarlinContext> context();

    const MarlinAddresses& addresses() const { return addresses_; }
    void setAddresses(MarlinAddresses addresses) { addresses_ = std::move(addresses); }
    const std::shared_ptr<Reachability>& reachability();

    // --- Kept between the entry points' calls (main thread) ---
    int64_t applicationID = 0;
    std::optional<std::string> server;
    std::optional<std::weak_ptr<MarlinDelegate>> delegate;
    std::optional<float> rotation;
    // The controller the entry points made; `shared` is the one running (MNController::sharedController).
    std::shared_ptr<MNController> controller;
    std::weak_ptr<MNController> shared;
    // Set once the missing-server line was logged.
    bool toldNoServer = false;

private:
    MarlinAddresses addresses_;
    std::shared_ptr<Reachability> reachability_;
};

} // namespace zelvan::marlin
