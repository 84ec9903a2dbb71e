// The icon cache: one table under one lock.
#include "offers/brightpoint/bp_image_cache.h"

#include "offers/brightpoint/brightpoint_context.h"

namespace zelvan::brightpoint {

namespace {
constexpr size_t kInitialCapacity = 64;
}

std::shared_ptr<BPImageCache> BPImageCache::sharedCache() {
    auto shared = context();
    return shared ? shared->imageCache() : nullptr;
}

BPImageCache::BPImageCache(Passkey) {
    cache_.reserve(kInitialCapacity);
}

gfx::ImagePtr BPImageCache::getImage(const std::string& url) const {
    std::lock_guard lock(mutex_);
    auto found = cache_.find(url);
    return found == cache_.end() ? nullptr : found->second;
}

void BPImageCache::cacheImage(gfx::ImagePtr image, const std::string& url) {
    std::lock_guard lock(mutex_);
    cache_[url] = std::move(image);
}

} // namespace zelvan::brightpoint
