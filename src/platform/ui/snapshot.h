// ui::Snapshot: images of what views show - a view tree captured on the main thread, saved as
// PNG, and the off-main copy of a BackedView's persistent backing that never waits for main.
#pragma once

#include <string>

#include "platform/graphics/image.h"

namespace ui {

class View;
class BackedView;

class Snapshot {
public:
    // Main thread: runs layout and display, then renders the view's tree into a y-down image of its
    // bounds size. Null when the bounds are empty.
    static gfx::ImagePtr captureView(View& view);
    // Captures the view and writes it as a PNG file; false (and a log line) when that fails.
    static bool saveViewAsPng(View& view, const std::string& path);
    // Any thread: a copy of the persistent backing taken under its mutex; null while it has none.
    static gfx::ImagePtr captureBackingStore(BackedView& view);
};

} // namespace ui
