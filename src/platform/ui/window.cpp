// Windows: key status, level-ordered hit testing across windows, touch delivery by phase, ending
// editing inside the window, and the composed frame that off-main snapshots read.
#include "platform/ui/window.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/graphics/context.h"
#include "platform/ui/application.h"
#include "platform/ui/keyboard.h"

namespace ui {

bool& forcedResignFlag(); // responder.cpp

Window::Window() {
    setHidden(true);
}

Window::~Window() = default;

void Window::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    Application::shared().registerWindow(self<Window>());
}

void Window::makeKeyAndVisible() {
    setHidden(false);
    makeKeyWindow();
}

void Window::makeKeyWindow() {
    VERIFY(fnd::isMainThread());
    Application::shared().setKeyWindow(self<Window>());
}

bool Window::isKeyWindow() const {
    return Application::shared().keyWindow().get() == this;
}

bool Window::endEditing(Force force) {
    auto responder = Responder::currentFirstResponder();
    if (!responder) {
        return true;
    }
    auto* view = dynamic_cast<View*>(responder.get());
    if (!view || !view->isDescendantOfView(this)) {
        return true; // held outside this window
    }
    if (force == Force::Yes) {
        // The responder's own resign runs (with resignIsForced() true); a refusal is overridden.
        forcedResignFlag() = true;
        responder->resignFirstResponder();
        forcedResignFlag() = false;
        if (responder->isFirstResponder()) {
            Responder::clearFirstResponder();
            KeyboardController::shared().update();
        }
        return true;
    }
    return responder->resignFirstResponder();
}

void Window::sendEvent(const Event& event) {
    VERIFY(fnd::isMainThread());
    static constexpr TouchPhase kOrder[] = {TouchPhase::Began, TouchPhase::Moved, TouchPhase::Ended,
                                            TouchPhase::Cancelled};
    // Each phase goes to each view once, with that view's touches in that phase.
    for (TouchPhase phase : kOrder) {
        std::vector<std::pair<std::shared_ptr<View>, TouchSet>> groups;
        for (const auto& touch : event.allTouches()) {
            if (touch->phase() != phase || touch->window().get() != this) {
                continue;
            }
            auto view = touch->view();
            if (!view) {
                continue;
            }
            auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == view; });
            if (group == groups.end()) {
                groups.push_back({view, TouchSet{touch}});
            } else {
                group->second.push_back(touch);
            }
        }
        for (auto& [view, touches] : groups) {
            switch (phase) {
            case TouchPhase::Began:
                view->touchesBegan(touches, &event);
                break;
            case TouchPhase::Moved:
                view->touchesMoved(touches, &event);
                break;
            case TouchPhase::Ended:
                view->touchesEnded(touches, &event);
                break;
            case TouchPhase::Cancelled:
                view->touchesCancelled(touches, &event);
                break;
            case TouchPhase::Stationary:
                break;
            }
        }
    }
}

Window::Hit Window::hitTestWindows(gfx::Point screenPoint, const Event* event) {
    auto windows = Application::shared().windows();
    // Highest level first; within a level the later window is in front.
    std::stable_sort(windows.begin(), windows.end(),
                     [](const auto& a, const auto& b) { return a->windowLevel() < b->windowLevel(); });
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const auto& window = *it;
        if (window->isHidden()) {
            continue;
        }
        gfx::Point local = window->transformToScreen().invert().applyToPoint(screenPoint);
        if (auto view = window->hitTest(local, event)) {
            return Hit{window, std::move(view)};
        }
    }
    return Hit{};
}

Responder* Window::nextResponder() const {
    return &Application::shared();
}

void Window::markFrameStale() {
    std::lock_guard lock(frameMutex_);
    frameStale_ = true;
}

void Window::composeFrame() {
    VERIFY(fnd::isMainThread());
    layoutIfNeeded();
    displayIfNeeded();
    gfx::Rect b = bounds();
    auto ctx =
        gfx::Context::createView(static_cast<int>(std::ceil(b.width())), static_cast<int>(std::ceil(b.height())));
    gfx::ImagePtr image;
    if (ctx) {
        renderInContext(*ctx);
        image = ctx->makeImage();
    }
    std::lock_guard lock(frameMutex_);
    composed_ = std::move(image);
    frameStale_ = false;
    recomposePosted_ = false;
}

gfx::ImagePtr Window::lastComposedFrame() {
    std::lock_guard lock(frameMutex_);
    if (frameStale_ && !recomposePosted_) {
        recomposePosted_ = true;
        std::weak_ptr<Window> weak = std::static_pointer_cast<Window>(shared_from_this());
        fnd::RunLoop::main().post([weak] {
            if (auto window = weak.lock()) {
                window->composeFrame();
            }
        });
    }
    return composed_;
}

} // namespace ui
