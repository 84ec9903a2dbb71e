// The banner client's image files and their age rule.
#include "ads/adwick/adwick_image_cache.h"

#include "ads/adwick/adwick_context.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace zelvan::adwick {

AdwickImageCache::AdwickImageCache(std::string directory) : directory_(std::move(directory)) {
    fnd::FileManager::createDirectoryAtPath(directory_);
}

std::string AdwickImageCache::defaultDirectory() {
    return fnd::AppFolders::caches() + "/adwick/image_cache";
}

std::shared_ptr<AdwickImageCache> AdwickImageCache::sharedCache() {
    auto shared = context();
    return shared ? shared->imageCache() : nullptr;
}

bool AdwickImageCache::isCacheableName(std::string_view name) {
    return !name.empty() && name != "." && name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

bool AdwickImageCache::storeImage(const gfx::Image& image, std::string_view name) {
    if (!isCacheableName(name)) {
        ZLOG(Warn, "adwick: image name %s is not cacheable", fnd::logPreview(name));
        return false;
    }
    fnd::Bytes png = gfx::pngRepresentation(image);
    return !png.empty() && fnd::writeFile(directory_ + "/" + std::string(name), png);
}

bool AdwickImageCache::imageIsInCache(std::string_view name) const {
    if (!isCacheableName(name)) {
        return false;
    }
    auto attributes = fnd::FileManager::attributesOfItemAtPath(directory_ + "/" + std::string(name));
    if (!attributes) {
        return false;
    }
    double age = fnd::Clock::now().timeIntervalSinceDate(attributes->modificationDate);
    return age <= kMaxAgeSeconds;
}

gfx::ImagePtr AdwickImageCache::fetchImageNamed(std::string_view name) const {
    if (!isCacheableName(name)) {
        return nullptr;
    }
    return gfx::Image::imageWithContentsOfFile(directory_ + "/" + std::string(name));
}

} // namespace zelvan::adwick
