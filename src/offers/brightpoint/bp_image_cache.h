// BPImageCache: the offer wall's downloaded icons, kept in memory for the whole process and keyed by
// their URL text. It never evicts, so lists visited again scroll without network work; its memory grows
// with the number of distinct icon URLs. Icon download threads and the main thread use it at once.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/graphics/image.h"

namespace zelvan::brightpoint {

class BrightpointContext;

class BPImageCache {
public:
    // The context's cache; null when no application delegate or no offer-wall context is installed.
    static std::shared_ptr<BPImageCache> sharedCache();

    // Only the context makes one (one per process).
    class Passkey {
        friend class BrightpointContext;
        Passkey() = default;
    };
    explicit BPImageCache(Passkey);
    BPImageCache(const BPImageCache&) = delete;
    BPImageCache& operator=(const BPImageCache&) = delete;

    // The image cached under `url`, or null.
    gfx::ImagePtr getImage(const std::string& url) const;
    // Stores or replaces the entry of `url`.
    void cacheImage(gfx::ImagePtr image, const std::string& url);

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::string, gfx::ImagePtr> cache_;
};

} // namespace zelvan::brightpoint
