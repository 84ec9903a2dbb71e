// Where the photo viewer gets its pictures: an interface the web resource cache implements, so the
// viewer loads by URL without knowing how pictures are fetched or cached.
#pragma once

#include <functional>
#include <string>

#include "platform/graphics/image.h"

namespace zelvan {

class PhotoSource {
public:
    virtual ~PhotoSource() = default;

    // Loads the picture at `url` and calls `done` once with it, or with null when it cannot be had.
    // `done` may be called on any thread, also before loadPhoto returns.
    virtual void loadPhoto(const std::string& url, std::function<void(gfx::ImagePtr)> done) = 0;
};

} // namespace zelvan
