// The interstitial client's plain-function entry points and MarlinEntryPoints, the context behind them:
// what is kept process-wide (the application id, the server, the application's delegate and rotation,
// the one controller) and the addresses derived from --ads-base. The context lives in the application
// registry's `marlin` slot; the functions reach it through the installed application delegate and do
// nothing without one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/network_endpoint.h"

namespace zelvan {
class Reachability;
}

namespace zelvan::marlin {

class MNController;

// What an application hears from the interstitial client; every call does nothing unless overridden.
class MarlinDelegate {
public:
    virtual ~MarlinDelegate() = default;
    virtual void marlinDisplayWillOpen() {}
    virtual void marlinDisplayDidOpen() {}
    virtual void marlinDisplayWillClose() {}
    virtual void marlinDisplayDidClose() {}
    virtual void marlinConnectionFailed() {}
    virtual void marlinAdDisplayFailed() {}
    virtual void marlinDidReceiveMemoryWarning() {}
};

// The ad bridge server and the hosts whose pages leave the application (a URL matches when it
// starts with one).
struct MarlinAddresses {
    std::string defaultServer;
    std::string storeURL;
    std::string mapsURL;
    std::string videoURL;
};

class MarlinEntryPoints {
public:
    // The addresses under `endpoint`: "/AdBridgeServer", "/store", "/maps" and "/video"; none when it is not
    // configured. `reachability` is what the controller asks (a monitor of its own when null).
    explicit MarlinEntryPoints(const NetworkEndpoint& endpoint = {},
                               std::shared_ptr<Reachability> reachability = nullptr);
    ~MarlinEntryPoints();
    MarlinEntryPoints(const MarlinEntryPoints&) = delete;
    MarlinEntryPoints& operator=(const MarlinEntryPoints&) = delete;

    // The context of the installed application delegate, or null.
    static std::shared_ptr<MarlinEntryPoints> context();

    const MarlinAddresses& addresses() const { return addresses_; }
    void setAddresses(MarlinAddresses addresses) { addresses_ = std::move(addresses); }
    const std::shared_ptr<Reachability>& reachability();

    // --- Kept between the calls (main thread) ---
    int64_t applicationID = 0;
    std::optional<std::string> server;
    std::optional<std::weak_ptr<MarlinDelegate>> delegate;
    std::optional<float> rotation;
    // The controller the entry points made; `shared` is the one being set up or running.
    std::shared_ptr<MNController> controller;
    std::weak_ptr<MNController> shared;
    // Set once the missing-server line was logged.
    bool toldNoServer = false;

private:
    MarlinAddresses addresses_;
    std::shared_ptr<Reachability> reachability_;
};

// --- The entry points (main thread) ---
std::shared_ptr<MNController> MNInit(int64_t applicationID);
// `server` (UTF-8, may be null) replaces the default ad bridge server.
std::shared_ptr<MNController> MNInitWithCustomServer(int64_t applicationID, const char* server);
// The controller, made on first use when an application id and a server are known; else null.
std::shared_ptr<MNController> MNControllerInstance();
void MNSetDelegate(std::weak_ptr<MarlinDelegate> delegate);
void MNSetRelativeRotation(float degrees);
void MNSetTimeout(int seconds);
// Whether a display of the prefetched ad started.
bool MNDisplayAd();
// Shuts the client down and forgets the controller.
void MNDealloc();

} // namespace zelvan::marlin
