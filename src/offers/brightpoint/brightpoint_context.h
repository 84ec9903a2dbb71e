// BrightpointContext: what the offer wall keeps process-wide - here its icon cache - held in the
// application registry's `brightpoint` slot and reached through context().
#pragma once

#include <memory>

namespace zelvan::brightpoint {

class BPImageCache;

class BrightpointContext {
public:
    BrightpointContext();
    BrightpointContext(const BrightpointContext&) = delete;
    BrightpointContext& operator=(const BrightpointContext&) = delete;

    // The one icon cache of the process.
    const std::shared_ptr<BPImageCache>& imageCache() const { return imageCache_; }

private:
    std::shared_ptr<BPImageCache> imageCache_;
};

// The context in the installed application delegate's registry; null when no delegate is installed or
// its registry has no offer wall. The one place this library reads the installed delegate. Any thread.
std::shared_ptr<BrightpointContext> context();

} // namespace zelvan::brightpoint
