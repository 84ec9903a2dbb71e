// Application::rotateTo: the top controller is asked, hears will-rotate and did-rotate around the
// change, and the root (and presented) views take the landscape or portrait frame.
#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"

namespace ui {

namespace {

// How long the original took to turn the interface (the will-rotate duration).
constexpr double kRotationDuration = 0.3;

bool isLandscape(InterfaceOrientation o) {
    return o == InterfaceOrientation::LandscapeLeft || o == InterfaceOrientation::LandscapeRight;
}

} // namespace

bool Application::rotateTo(InterfaceOrientation orientation) {
    VERIFY(fnd::isMainThread());
    std::shared_ptr<Window> window = keyWindow();
    std::shared_ptr<ViewController> root = window ? window->rootViewController() : nullptr;
    if (!root) {
        ZLOG(Info, "Application: no root controller to rotate");
        return false;
    }
    // The controllers on screen, bottom first: the root and the chain it presents.
    std::vector<std::shared_ptr<ViewController>> chain{root};
    while (std::shared_ptr<ViewController> modal = chain.back()->modalViewController()) {
        chain.push_back(modal);
    }
    const std::shared_ptr<ViewController>& top = chain.back();
    if (!top->shouldAutorotateToInterfaceOrientation(orientation)) {
        return false;
    }
    InterfaceOrientation from = interfaceOrientation_;
    top->willRotateToInterfaceOrientation(orientation, kRotationDuration);
    interfaceOrientation_ = orientation;
    setStatusBarOrientation(orientation);
    const gfx::Rect portrait = Screen::main().applicationFrame();
    const gfx::Point origin = window->frame().origin;
    for (const std::shared_ptr<ViewController>& controller : chain) {
        if (std::shared_ptr<View> view = controller->viewIfLoaded()) {
            view->setFrame(isLandscape(orientation) ? gfx::Rect(0, 0, 480, 320)
                                                    : gfx::Rect(portrait.minX() - origin.x, portrait.minY() - origin.y,
                                                                portrait.width(), portrait.height()));
        }
    }
    top->didRotateFromInterfaceOrientation(from);
    return true;
}

} // namespace ui
