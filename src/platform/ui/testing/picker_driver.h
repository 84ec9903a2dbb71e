// ui::testing::PickerDriver: the person choosing a photo in (or cancelling) the image picker on
// screen, for tests.
#pragma once

#include <memory>

#include "platform/graphics/image.h"

namespace ui {
class ImagePickerController;
}

namespace ui::testing {

class PickerDriver {
public:
    // The picker showing in a window, or null.
    static std::shared_ptr<ImagePickerController> visible();
    // Chooses `image` in the visible picker, then runs the main loop. False (and a log line) when
    // no picker shows or the image is null.
    static bool pick(const gfx::ImagePtr& image);
    // Taps the visible picker's Cancel button with one finger (the loop runs after the tap). False
    // (and a log line) when no picker or no Cancel button shows.
    static bool cancel();
};

} // namespace ui::testing
