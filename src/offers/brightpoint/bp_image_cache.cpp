// The icon cache: its entries in order of use and their bytes, under one lock.
#include "offers/brightpoint/bp_image_cache.h"

namespace zelvan::brightpoint {

namespace {
constexpr size_t kInitialCapacity = 64;

size_t pixelBytes(const gfx::Image& image) {
    return image.bytesPerRow() * static_cast<size_t>(image.height());
}
} // namespace

BPImageCache::BPImageCache(Passkey) {
    entries_.reserve(kInitialCapacity);
}

gfx::ImagePtr BPImageCache::getImage(const std::string& url) {
    std::lock_guard lock(mutex_);
    auto found = entries_.find(url);
    if (found == entries_.end()) {
        return nullptr;
    }
    order_.splice(order_.end(), order_, found->second);
    return found->second->image;
}

void BPImageCache::cacheImage(gfx::ImagePtr image, const std::string& url) {
    std::lock_guard lock(mutex_);
    if (auto held = entries_.find(url); held != entries_.end()) {
        remove(held);
    }
    const size_t bytes = image ? pixelBytes(*image) : 0;
    if (bytes > kMaxBytes) {
        return;
    }
    while (totalBytes_ > kMaxBytes - bytes) {
        remove(entries_.find(order_.front().url));
    }
    order_.push_back(Entry{url, std::move(image), bytes});
    entries_[url] = std::prev(order_.end());
    totalBytes_ += bytes;
}

void BPImageCache::remove(std::unordered_map<std::string, std::list<Entry>::iterator>::iterator found) {
    totalBytes_ -= found->second->bytes;
    order_.erase(found->second);
    entries_.erase(found);
}

} // namespace zelvan::brightpoint
