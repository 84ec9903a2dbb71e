// The window's root view controller: its view fills the window below the status bar, and putting a
// controller there (or taking it away) runs its appearance calls.

#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/ui/screen.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"

namespace ui {

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
    VERIFY(fnd::isMainThread());
    if (controller == rootViewController_) {
        return;
    }
    const auto keepAlive = self();
    const auto previous = std::move(rootViewController_);
    rootViewController_ = controller;
    if (previous) {
        previous->callViewWillDisappear(Animated::No);
    }
    if (controller) {
        const gfx::Rect screen =
            controller->wantsFullScreenLayout() ? Screen::main().bounds() : Screen::main().applicationFrame();
        const gfx::Point origin = frame().origin;
        const auto view = controller->view();
        view->setFrame(gfx::Rect(screen.minX() - origin.x, screen.minY() - origin.y, screen.width(), screen.height()));
        controller->callViewWillAppear(Animated::No);
        addSubview(view);
    }
    if (previous && previous->viewIfLoaded() && previous->viewIfLoaded()->superview().get() == this) {
        previous->viewIfLoaded()->removeFromSuperview();
    }
    if (previous) {
        previous->callViewDidDisappear(Animated::No);
    }
    if (controller) {
        controller->callViewDidAppear(Animated::No);
    }
}

} // namespace ui
