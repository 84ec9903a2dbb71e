// ui::Screen: the one display - 320 x 480 points at scale 1 - and the application frame left
// below the status bar.
#pragma once

#include "platform/graphics/geometry.h"

namespace ui {

class Screen {
public:
    static Screen& main();

    gfx::Rect bounds() const { return gfx::Rect(0, 0, 320, 480); }
    double scale() const { return 1; }
    // (0, 20, 320, 460) while the status bar shows, else the whole screen.
    gfx::Rect applicationFrame() const;

private:
    Screen() = default;
};

} // namespace ui
