// BrightpointContext: what the offer wall keeps process-wide - its icon cache, the offer-wall API
// server's address and the one client - held in the application registry's `brightpoint` slot and
// reached through context().
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace zelvan::brightpoint {

class BPImageCache;
class Brightpoint;

class BrightpointContext {
public:
    // `adsBase` is the networks' base URL (--ads-base, no trailing slash), or "": then no server is
    // known, nothing is sent, and this logs one INFO line saying so.
    explicit BrightpointContext(std::string_view adsBase = {});
    BrightpointContext(const BrightpointContext&) = delete;
    BrightpointContext& operator=(const BrightpointContext&) = delete;

    // The one icon cache of the process.
    const std::shared_ptr<BPImageCache>& imageCache() const { return imageCache_; }
    // adsBase + "/brightpoint", or "".
    const std::string& server() const { return server_; }
    // The one client, made on first use.
    std::shared_ptr<Brightpoint> client();

private:
    std::shared_ptr<BPImageCache> imageCache_;
    const std::string server_;
    std::mutex mutex_;
    std::shared_ptr<Brightpoint> client_;
};

// The context in the installed application delegate's registry; null when no delegate is installed or
// its registry has no offer wall. The one place this library reads the installed delegate. Any thread.
std::shared_ptr<BrightpointContext> context();

} // namespace zelvan::brightpoint
