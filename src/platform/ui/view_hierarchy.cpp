// The view tree: adding, inserting, reordering and removing subviews with the superview and window
// hooks in a fixed order, the window at a tree's root, and descendant checks.
#include "platform/ui/view.h"

#include <algorithm>

#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/ui/application.h"
#include "platform/ui/window.h"

namespace ui {

std::shared_ptr<Window> View::window() const {
    const View* root = this;
    for (auto parent = superview(); parent; parent = parent->superview()) {
        root = parent.get();
    }
    if (!root->isWindow()) {
        return nullptr;
    }
    return std::static_pointer_cast<Window>(
        std::const_pointer_cast<View>(std::static_pointer_cast<const View>(root->shared_from_this())));
}

bool View::isDescendantOfView(const View* view) const {
    if (!view) {
        return false;
    }
    for (const View* v = this; v;) {
        if (v == view) {
            return true;
        }
        auto parent = v->superview();
        v = parent.get(); // kept alive by its own superview or by the caller's tree
    }
    return false;
}

void View::notifyWillMoveToWindow(Window* window) {
    willMoveToWindow(window);
    const auto subviews = subviews_;
    for (const auto& subview : subviews) {
        subview->notifyWillMoveToWindow(window);
    }
}

void View::notifyDidMoveToWindow() {
    didMoveToWindow();
    const auto subviews = subviews_;
    for (const auto& subview : subviews) {
        subview->notifyDidMoveToWindow();
    }
}

void View::detachFromSuperview() {
    if (auto old = superview_.lock()) {
        auto& list = old->subviews_;
        list.erase(std::remove_if(list.begin(), list.end(), [this](const auto& v) { return v.get() == this; }),
                   list.end());
    }
    superview_.reset();
}

void View::insertSubview(const std::shared_ptr<View>& view, size_t index) {
    VERIFY(fnd::isMainThread());
    if (!view) {
        return;
    }
    if (isDescendantOfView(view.get())) {
        ZLOG(Warn, "View::addSubview: refused to add a view to itself or to one of its descendants");
        return;
    }
    if (view->superview().get() == this) {
        // Only a move within this view's subviews: no hooks.
        auto& list = subviews_;
        list.erase(std::find(list.begin(), list.end(), view));
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(index, list.size())), view);
        Application::shared().setNeedsPasses();
        return;
    }
    const std::shared_ptr<View> keep = view; // the old superview may hold the last other reference
    const auto oldWindow = view->window();
    const auto newWindow = window();
    const bool windowChanges = oldWindow != newWindow;

    view->willMoveToSuperview(this);
    if (windowChanges) {
        view->notifyWillMoveToWindow(newWindow.get());
    }
    view->detachFromSuperview();
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);
    view->superview_ = self();
    if (windowChanges) {
        view->notifyDidMoveToWindow();
    }
    view->didMoveToSuperview();
    didAddSubview(view.get());
    view->setNeedsLayout();
    Application::shared().setNeedsPasses();
}

void View::addSubview(const std::shared_ptr<View>& view) {
    insertSubview(view, subviews_.size());
}

void View::insertSubviewAtIndex(const std::shared_ptr<View>& view, size_t index) {
    insertSubview(view, index);
}

void View::insertSubviewAboveSubview(const std::shared_ptr<View>& view, const View* sibling) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == sibling; });
    if (it == subviews_.end()) {
        addSubview(view);
        return;
    }
    size_t index = static_cast<size_t>(it - subviews_.begin()) + 1;
    if (view && view->superview().get() == this) {
        // Removing the view first shifts the sibling down when the view was below it.
        auto own = std::find(subviews_.begin(), subviews_.end(), view);
        if (own < it) {
            --index;
        }
    }
    insertSubview(view, index);
}

void View::insertSubviewBelowSubview(const std::shared_ptr<View>& view, const View* sibling) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == sibling; });
    if (it == subviews_.end()) {
        addSubview(view);
        return;
    }
    size_t index = static_cast<size_t>(it - subviews_.begin());
    if (view && view->superview().get() == this) {
        auto own = std::find(subviews_.begin(), subviews_.end(), view);
        if (own < it) {
            --index;
        }
    }
    insertSubview(view, index);
}

void View::bringSubviewToFront(const View* view) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == view; });
    if (it != subviews_.end()) {
        std::rotate(it, it + 1, subviews_.end());
        Application::shared().setNeedsPasses();
    }
}

void View::sendSubviewToBack(const View* view) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == view; });
    if (it != subviews_.end()) {
        std::rotate(subviews_.begin(), it, it + 1);
        Application::shared().setNeedsPasses();
    }
}

void View::removeFromSuperview() {
    VERIFY(fnd::isMainThread());
    auto old = superview();
    if (!old) {
        return;
    }
    const std::shared_ptr<View> keep = self(); // the superview holds what may be the last reference
    const auto oldWindow = window();
    willMoveToSuperview(nullptr);
    if (oldWindow) {
        notifyWillMoveToWindow(nullptr);
        // A first responder leaving its window stops being first responder.
        auto responder = Responder::currentFirstResponder();
        auto* responderView = dynamic_cast<View*>(responder.get());
        if (responderView && responderView->isDescendantOfView(this)) {
            responder->resignFirstResponder();
        }
    }
    detachFromSuperview();
    if (oldWindow) {
        notifyDidMoveToWindow();
    }
    didMoveToSuperview();
    Application::shared().setNeedsPasses();
}

} // namespace ui
