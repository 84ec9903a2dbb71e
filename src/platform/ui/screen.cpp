// The main screen's geometry, with the application frame following the status bar.
#include "platform/ui/screen.h"

#include "platform/ui/application.h"

namespace ui {

Screen& Screen::main() {
    static Screen screen;
    return screen;
}

gfx::Rect Screen::applicationFrame() const {
    if (Application::shared().statusBarHidden()) {
        return bounds();
    }
    return gfx::Rect(0, 20, 320, 460);
}

} // namespace ui
