// device::PhotoAlbum: saving pictures into the app's photo folder (<root>/Photos), as PNG files
// numbered IMG_0001.png onwards; an existing picture is never overwritten.
#pragma once

#include <functional>
#include <string>

#include "platform/foundation/error.h"
#include "platform/graphics/image.h"

namespace device {

class PhotoAlbum {
public:
    // What saveImage reports: the path of the new file, or why nothing was saved.
    using Completion = std::function<void(const fnd::Result<std::string>& saved)>;

    // Encodes `image` as PNG and writes it under the next free number. The write happens at once;
    // `completion`, when given, runs later on the main run loop. A null image or a failed write
    // is reported as an error (and logged).
    static void saveImage(const gfx::ImagePtr& image, Completion completion = {});

    // <root>/Photos, where pictures go (and where the image picker finds them).
    static std::string folder();
};

} // namespace device
