// The alert driver: the front panel from the alert window, button taps delivered as real touches
// at the centre of the button views, and the animation time run off on the manual clock.
#include "platform/ui/testing/alert_driver.h"

#include <string>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/action_sheet.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace ui::testing {

std::shared_ptr<AlertPanel> AlertDriver::visible() {
    const auto panels = AlertPanel::visiblePanels();
    return panels.empty() ? nullptr : panels.back();
}

std::shared_ptr<AlertView> AlertDriver::visibleAlert() {
    return std::dynamic_pointer_cast<AlertView>(visible());
}

std::shared_ptr<ActionSheet> AlertDriver::visibleSheet() {
    return std::dynamic_pointer_cast<ActionSheet>(visible());
}

bool AlertDriver::tap(const std::shared_ptr<AlertPanel>& panel, int index) {
    if (!panel || !panel->isVisible() || !panel->window()) {
        ZLOG(Warn, "AlertDriver: no visible panel to tap");
        return false;
    }
    if (index < 0 || index >= panel->numberOfButtons()) {
        ZLOG(Warn, "AlertDriver: %@ has no button %d", panel->className(), index);
        return false;
    }
    const auto& button = panel->buttonViews()[static_cast<size_t>(index)];
    const gfx::Rect b = button->bounds();
    TouchDriver::tap(panel->window(), button->convertPointToView({b.midX(), b.midY()}, nullptr));
    finishAnimations();
    return true;
}

bool AlertDriver::tap(const std::shared_ptr<AlertPanel>& panel, std::string_view title) {
    if (panel) {
        for (int i = 0; i < panel->numberOfButtons(); ++i) {
            if (panel->buttonTitleAtIndex(i) == std::string(title)) {
                return tap(panel, i);
            }
        }
    }
    ZLOG(Warn, "AlertDriver: no button titled %@", std::string(title));
    return false;
}

bool AlertDriver::tap(int index) {
    return tap(visible(), index);
}

bool AlertDriver::tap(std::string_view title) {
    return tap(visible(), title);
}

void AlertDriver::tapOutside() {
    const auto panel = visible();
    if (!panel || !panel->window()) {
        return;
    }
    const gfx::Rect frame = panel->frame();
    // Above the panel when there is room, else below it.
    const gfx::Point point =
        frame.minY() >= 2 ? gfx::Point{frame.midX(), frame.minY() / 2} : gfx::Point{frame.midX(), frame.maxY() + 1};
    TouchDriver::tap(panel->window(), point);
}

void AlertDriver::finishAnimations() {
    auto& loop = fnd::RunLoop::main();
    loop.runUntilIdle();
    if (fnd::ManualClock::installed()) {
        loop.advance(AlertPanel::kAnimationDuration);
    }
}

} // namespace ui::testing
