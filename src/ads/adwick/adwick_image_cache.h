// AdwickImageCache: downloaded ad images kept as PNG files under Caches/adwick/image_cache, a file
// older than 3,141,592 s counting as absent. Names come from the server, so a name that could leave
// the folder is never cached.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/graphics/image.h"

namespace zelvan::adwick {

class AdwickImageCache {
public:
    static constexpr double kMaxAgeSeconds = 3141592;

    // The folder is created with its parents.
    explicit AdwickImageCache(std::string directory = defaultDirectory());
    static std::string defaultDirectory();
    // The context's instance; null without a context.
    static std::shared_ptr<AdwickImageCache> sharedCache();

    // Whether `name` is a plain file name (no "/", "\\", "..", NUL; not empty).
    static bool isCacheableName(std::string_view name);

    bool storeImage(const gfx::Image& image, std::string_view name);
    bool imageIsInCache(std::string_view name) const;
    gfx::ImagePtr fetchImageNamed(std::string_view name) const;

    const std::string& directory() const { return directory_; }

private:
    std::string directory_;
};

} // namespace zelvan::adwick
