// AdwickImageCache: downloaded ad images kept as PNG files under Caches/adwick/image_cache, a file
// older than 3,141,592 s counting as absent, the folder within a byte budget (the least recently used
// files make room for a new one). Names come from the server, so a name that could leave the folder is
// never cached.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/folder_budget.h"
#include "platform/graphics/image.h"

namespace zelvan::adwick {

class AdwickImageCache {
public:
    static constexpr double kMaxAgeSeconds = 3141592;
    // The most the folder holds.
    static constexpr uint64_t kMaxBytes = uint64_t{4} * 1024 * 1024;

    // The folder is created with its parents, and the files in it learnt (the least recently modified
    // beyond the budget removed).
    explicit AdwickImageCache(std::string directory = defaultDirectory());
    static std::string defaultDirectory();
    // The context's instance; null without a context (an entry point, in adwick_entry_points.cpp).
    static std::shared_ptr<AdwickImageCache> sharedCache();

    // Whether `name` is a plain file name (no "/", "\\", "..", NUL; not empty).
    static bool isCacheableName(std::string_view name);

    // False (one warning) when the name is not cacheable, the PNG is larger than the budget or the
    // file cannot be written.
    bool storeImage(const gfx::Image& image, std::string_view name);
    // A fresh file found or read counts as a use of it.
    bool imageIsInCache(std::string_view name);
    gfx::ImagePtr fetchImageNamed(std::string_view name);

    const std::string& directory() const { return directory_; }

private:
    std::string directory_;
    std::mutex mutex_; // the budget
    FolderBudget budget_{kMaxBytes};
};

} // namespace zelvan::adwick
