// SVAdCache: what the reply parser needs of the ad cache - a fresh local id for each new record and the
// picture of an image ad (downloaded, and possibly kept). The cache manager implements it; tests and the
// fuzz target use the fake in testing/.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/value.h"

namespace gfx {
class Image;
}

namespace zelvan::selvo {

class SVAd;

class SVAdCache {
public:
    virtual ~SVAdCache() = default;
    // A new unique id (a UUID string). Any thread.
    virtual std::string uniqueId() = 0;
    // The picture at the ad's data URL, fetched with the headers of `userInfo`; null when there is none.
    virtual std::shared_ptr<gfx::Image> imageForAd(const SVAd& ad, const fnd::Value& userInfo) = 0;
    // Stops the cache's background work; its owner calls it before letting the cache go, so no worker of
    // the cache is left holding the last reference. Does nothing by default.
    virtual void shutdown() {}
};

} // namespace zelvan::selvo
