// The picker driver: finds the picker on screen and hands it a choice, or taps its Cancel button
// with a real touch on its navigation bar.
#include "platform/ui/testing/picker_driver.h"

#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/application.h"
#include "platform/ui/image_picker_controller.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace ui::testing {

std::shared_ptr<ImagePickerController> PickerDriver::visible() {
    return ImagePickerController::visiblePicker();
}

bool PickerDriver::pick(const gfx::ImagePtr& image) {
    auto picker = visible();
    if (!picker) {
        ZLOG(Warn, "PickerDriver: no image picker is showing");
        return false;
    }
    const bool picked = picker->finishPicking(image);
    fnd::RunLoop::main().runUntilIdle();
    return picked;
}

bool PickerDriver::cancel() {
    auto picker = visible();
    if (!picker) {
        ZLOG(Warn, "PickerDriver: no image picker is showing");
        return false;
    }
    Application::shared().flush();
    const auto button = picker->navigationBar()->rightView();
    if (!button || !button->window()) {
        ZLOG(Warn, "PickerDriver: the picker's Cancel button is not on screen");
        return false;
    }
    const gfx::Rect b = button->bounds();
    TouchDriver::tap(button->window(), button->convertPointToView({b.midX(), b.midY()}, nullptr));
    return true;
}

} // namespace ui::testing
