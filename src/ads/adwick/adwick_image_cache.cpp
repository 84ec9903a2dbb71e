// The banner client's image files, their age rule and the folder's budget.
#include "ads/adwick/adwick_image_cache.h"

#include <vector>

#include "ads/adwick/adwick_log.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/interrupted_writes.h"
#include "platform/foundation/log_preview.h"

namespace zelvan::adwick {

AdwickImageCache::AdwickImageCache(std::string directory) : directory_(std::move(directory)) {
    fnd::FileManager::createDirectoryAtPath(directory_);
    const std::vector<std::string> removed = budget_.learn(directory_ + "/", fnd::isAtomicWriteTemporary);
    if (!removed.empty()) {
        ZLOG_TO(kAdwickLog, Info, "adwick: removed %d least recently used images beyond the cache's %lld bytes",
                static_cast<int>(removed.size()), static_cast<long long>(kMaxBytes));
    }
}

std::string AdwickImageCache::defaultDirectory() {
    return fnd::AppFolders::caches() + "/adwick/image_cache";
}

bool AdwickImageCache::isCacheableName(std::string_view name) {
    return !name.empty() && name != "." && name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

bool AdwickImageCache::storeImage(const gfx::Image& image, std::string_view name) {
    if (!isCacheableName(name)) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: image name %s is not cacheable", fnd::logPreview(name));
        return false;
    }
    fnd::Bytes png = gfx::pngRepresentation(image);
    if (png.empty()) {
        return false;
    }
    const std::string file(name);
    std::lock_guard lock(mutex_);
    if (!budget_.makeRoom(file, png.size())) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: no room for image %s (%lld bytes) in the cache's %lld bytes",
                fnd::logPreview(name), static_cast<long long>(png.size()), static_cast<long long>(kMaxBytes));
        return false;
    }
    if (!fnd::writeFile(directory_ + "/" + file, png)) {
        return false;
    }
    budget_.stored(file, png.size());
    return true;
}

bool AdwickImageCache::imageIsInCache(std::string_view name) {
    if (!isCacheableName(name)) {
        return false;
    }
    auto attributes = fnd::FileManager::attributesOfItemAtPath(directory_ + "/" + std::string(name));
    if (!attributes) {
        return false;
    }
    double age = fnd::Clock::now().timeIntervalSinceDate(attributes->modificationDate);
    if (age > kMaxAgeSeconds) {
        return false;
    }
    std::lock_guard lock(mutex_);
    budget_.used(std::string(name));
    return true;
}

gfx::ImagePtr AdwickImageCache::fetchImageNamed(std::string_view name) {
    if (!isCacheableName(name)) {
        return nullptr;
    }
    auto image = gfx::Image::imageWithContentsOfFile(directory_ + "/" + std::string(name));
    if (image) {
        std::lock_guard lock(mutex_);
        budget_.used(std::string(name));
    }
    return image;
}

} // namespace zelvan::adwick
