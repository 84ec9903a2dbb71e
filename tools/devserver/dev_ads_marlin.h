// The Marlin interstitial network on the ad host: "/marlin/AdBridgeServer/req_js.htm" answers the boot
// script's install request with our demo client (gzipped when asked), "/marlin/AdBridgeServer/test.htm"
// the reachability probe, and "/marlin/AdBridgeServer/ads/demo.zip" the demo ad: an animation library
// and one pattern image.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace zelvan::devserver {

class DevAdsServer;

// How the install route answers.
enum class MarlinReplyMode { Good, Failure, Garbage, Stall };

// Switches a test sets (any thread).
class DevMarlinService {
public:
    // The client version the good reply carries.
    static constexpr const char* kClientVersion = "1.00.001";
    // A stalled reply gives up after this many seconds at most (or at releaseStalls).
    static constexpr int kStallSeconds = 30;

    void setMode(MarlinReplyMode mode);
    MarlinReplyMode mode() const;
    void releaseStalls();
    void stall();

private:
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool releasing_ = false;
    MarlinReplyMode mode_ = MarlinReplyMode::Good;
};

// The demo client's source and the demo ad archive (for tests).
std::string marlinDemoClientSource();
std::string marlinDemoAdArchive();

void addMarlinRoutes(DevAdsServer& server, std::shared_ptr<DevMarlinService> service = nullptr);

} // namespace zelvan::devserver
