// BPImageCache: the offer wall's downloaded icons, kept in memory for the process and keyed by their
// URL text, within a byte budget: when a new icon does not fit, the least recently used ones go (an
// icon larger than the whole budget is not kept). The workers that load icons and the main thread use it
// at once.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/graphics/image.h"

namespace zelvan::brightpoint {

class BrightpointContext;

class BPImageCache {
public:
    // The most the icons' pixels take (4 bytes a pixel): some six hundred 57-point icons.
    static constexpr size_t kMaxBytes = size_t{8} * 1024 * 1024;

    // The context's cache; null when no application delegate or no offer-wall context is installed
    // (brightpoint_entry_points.cpp). The wall's pages are handed the cache instead.
    static std::shared_ptr<BPImageCache> sharedCache();

    // Only the context makes one (one per process).
    class Passkey {
        friend class BrightpointContext;
        Passkey() = default;
    };
    explicit BPImageCache(Passkey);
    BPImageCache(const BPImageCache&) = delete;
    BPImageCache& operator=(const BPImageCache&) = delete;

    // The image cached under `url` (now the most recently used), or null.
    gfx::ImagePtr getImage(const std::string& url);
    // Stores or replaces the entry of `url`, removing the least recently used others it needs room of.
    void cacheImage(gfx::ImagePtr image, const std::string& url);

private:
    struct Entry {
        std::string url;
        gfx::ImagePtr image;
        size_t bytes = 0;
    };

    void remove(std::unordered_map<std::string, std::list<Entry>::iterator>::iterator found);

    std::mutex mutex_;
    // Least recently used first.
    std::list<Entry> order_;
    std::unordered_map<std::string, std::list<Entry>::iterator> entries_;
    size_t totalBytes_ = 0;
};

} // namespace zelvan::brightpoint
