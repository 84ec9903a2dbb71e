// Taps on back buttons and tabs, through the touch driver and the window's event delivery.
#include "platform/ui/testing/navigation_driver.h"

#include "platform/foundation/log.h"
#include "platform/ui/button.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace ui::testing {

namespace {

// Taps the centre of `rect` (in `view`'s space) in the view's window.
bool tapIn(View& view, gfx::Rect rect, const char* what) {
    const auto window = view.window();
    if (!window || rect.isEmpty()) {
        ZLOG(Warn, "%s: nothing to tap on screen", what);
        return false;
    }
    const gfx::Rect inWindow = view.convertRectToView(rect, window.get());
    TouchDriver::tap(window, gfx::Point{inWindow.midX(), inWindow.midY()});
    return true;
}

} // namespace

bool tapBack(const std::shared_ptr<NavigationController>& nav) {
    if (!nav) {
        return false;
    }
    const auto button = nav->navigationBar()->backButton();
    if (!button || button->isHidden() || nav->navigationBar()->isHidden()) {
        ZLOG(Warn, "tapBack: %s shows no back button", nav->className().c_str());
        return false;
    }
    return tapIn(*button, button->bounds(), "tapBack");
}

bool tapTab(const std::shared_ptr<TabBarController>& tbc, size_t index) {
    if (!tbc) {
        return false;
    }
    const auto bar = tbc->tabBar();
    if (bar->isHidden()) {
        ZLOG(Warn, "tapTab: the tab bar is hidden");
        return false;
    }
    return tapIn(*bar, bar->rectForItemAtIndex(index), "tapTab");
}

} // namespace ui::testing
