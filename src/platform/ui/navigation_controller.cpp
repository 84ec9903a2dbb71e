// Navigation controller: the stack and its transitions (the slide, the appearance calls on both
// sides, the delegate), the navigation bar kept in step with the stack so its back button pops, and
// the bars' layout around the top controller's view.
#include "platform/ui/navigation_controller.h"

#include <algorithm>

#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/ui/screen.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/view.h"

namespace ui {

// Turns a back-button pop of the bar's top item into a pop of the top controller.
class NavigationController::BarDelegate : public NavigationBarDelegate {
public:
    explicit BarDelegate(NavigationController& nav) : nav_(nav) {}

    std::optional<bool> navigationBarShouldPopItem(NavigationBar& /*bar*/, NavigationItem& item) override {
        if (nav_.updatingBar_) {
            return std::nullopt;
        }
        const auto top = nav_.topViewController();
        if (nav_.stack_.size() > 1 && top && top->navigationItem().get() == &item) {
            // The pop below takes the item off the bar itself.
            nav_.popViewControllerAnimated(Animated::Yes);
        }
        return false;
    }

private:
    NavigationController& nav_;
};

std::shared_ptr<NavigationController>
NavigationController::initWithRootViewController(std::shared_ptr<ViewController> root) {
    auto nav = std::make_shared<NavigationController>();
    if (root) {
        nav->setViewControllers({std::move(root)}, Animated::No);
    }
    return nav;
}

NavigationController::NavigationController() : barDelegate_(std::make_shared<BarDelegate>(*this)) {}

NavigationController::~NavigationController() = default;

std::shared_ptr<NavigationBar> NavigationController::navigationBar() {
    if (!navigationBar_) {
        navigationBar_ = View::create<NavigationBar>(
            gfx::Rect(0, 0, Screen::main().bounds().width(), NavigationBar::kDefaultHeight));
        navigationBar_->setAutoresizingMask(AutoresizingMask::FlexibleWidth);
        navigationBar_->setDelegate(barDelegate_);
        navigationBar_->setHidden(navigationBarHidden_);
        syncBar(Animated::No);
    }
    return navigationBar_;
}

std::shared_ptr<Toolbar> NavigationController::toolbar() {
    if (!toolbar_) {
        toolbar_ = View::create<Toolbar>(gfx::Rect(0, 0, Screen::main().bounds().width(), Toolbar::kHeight));
        toolbar_->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleTopMargin);
        toolbar_->setHidden(toolbarHidden_);
    }
    return toolbar_;
}

void NavigationController::loadView() {
    auto view = View::create(Screen::main().applicationFrame());
    view->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);
    view->setClipsToBounds(true);
    view->addSubview(navigationBar());
    view->addSubview(toolbar());
    setView(view);
    layoutBars();
    installTopView();
}

gfx::Rect NavigationController::contentFrame() const {
    const gfx::Rect v =
        viewIfLoaded() ? viewIfLoaded()->bounds() : gfx::Rect(gfx::Point(), Screen::main().applicationFrame().size);
    const double top = navigationBarHidden_ ? 0 : NavigationBar::kDefaultHeight;
    const double bottom = toolbarHidden_ ? 0 : Toolbar::kHeight;
    return gfx::Rect(v.minX(), v.minY() + top, v.width(), std::max(0.0, v.height() - top - bottom));
}

void NavigationController::layoutBars() {
    if (!isViewLoaded()) {
        return;
    }
    const gfx::Rect b = view()->bounds();
    const double barY = navigationBarHidden_ ? -NavigationBar::kDefaultHeight : 0;
    navigationBar()->setFrame(gfx::Rect(b.minX(), b.minY() + barY, b.width(), NavigationBar::kDefaultHeight));
    toolbar()->setFrame(gfx::Rect(b.minX(), b.maxY() - Toolbar::kHeight, b.width(), Toolbar::kHeight));
}

void NavigationController::installTopView() {
    const auto top = topViewController();
    if (!top || !isViewLoaded()) {
        return;
    }
    const auto container = view();
    const auto topView = top->view();
    if (topView->superview() != container) {
        topView->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);
        container->insertSubviewAtIndex(topView, 0);
    }
    topView->setFrame(contentFrame());
    // Views of controllers that left the top (or were released and reloaded) do not linger.
    for (const auto& vc : stack_) {
        if (vc != top && vc->isViewLoaded() && vc->view()->superview() == container) {
            vc->view()->removeFromSuperview();
        }
    }
}

// --- The stack ---

std::shared_ptr<ViewController> NavigationController::topViewController() const {
    return stack_.empty() ? nullptr : stack_.back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const {
    const auto top = topViewController();
    if (top && top->modalViewController()) {
        return top->modalViewController();
    }
    return top;
}

bool NavigationController::contains(const ViewController* vc) const {
    return std::any_of(stack_.begin(), stack_.end(), [vc](const auto& entry) { return entry.get() == vc; });
}

void NavigationController::pushViewController(std::shared_ptr<ViewController> vc, Animated animated) {
    VERIFY(fnd::isMainThread());
    transition_.finish();
    if (!vc || vc.get() == this || contains(vc.get())) {
        ZLOG(Warn, "NavigationController::pushViewController: %s cannot be pushed",
             vc ? vc->className().c_str() : "a null controller");
        return;
    }
    if (auto parent = vc->parentViewController()) {
        ZLOG(Warn, "NavigationController::pushViewController: %s already belongs to %s", vc->className().c_str(),
             parent->className().c_str());
        return;
    }
    auto stack = stack_;
    stack.push_back(std::move(vc));
    transitionTo(std::move(stack), animated, Direction::Push);
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(Animated animated) {
    VERIFY(fnd::isMainThread());
    transition_.finish();
    if (stack_.size() < 2) {
        return nullptr;
    }
    auto popped = stack_.back();
    auto stack = stack_;
    stack.pop_back();
    transitionTo(std::move(stack), animated, Direction::Pop);
    return popped;
}

std::vector<std::shared_ptr<ViewController>>
NavigationController::popToViewController(const std::shared_ptr<ViewController>& vc, Animated animated) {
    VERIFY(fnd::isMainThread());
    transition_.finish();
    const auto it = std::find(stack_.begin(), stack_.end(), vc);
    if (!vc || it == stack_.end()) {
        ZLOG(Warn, "NavigationController::popToViewController: %s is not on the stack",
             vc ? vc->className().c_str() : "a null controller");
        return {};
    }
    std::vector<std::shared_ptr<ViewController>> popped(it + 1, stack_.end());
    if (popped.empty()) {
        return popped;
    }
    std::vector<std::shared_ptr<ViewController>> stack(stack_.begin(), it + 1);
    transitionTo(std::move(stack), animated, Direction::Pop);
    return popped;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewControllerAnimated(Animated animated) {
    if (stack_.empty()) {
        return {};
    }
    return popToViewController(stack_.front(), animated);
}

void NavigationController::setViewControllers(std::vector<std::shared_ptr<ViewController>> vcs, Animated animated) {
    VERIFY(fnd::isMainThread());
    transition_.finish();
    std::vector<std::shared_ptr<ViewController>> stack;
    for (auto& vc : vcs) {
        const bool duplicate = std::find(stack.begin(), stack.end(), vc) != stack.end();
        const auto parent = vc ? vc->parentViewController() : nullptr;
        if (!vc || vc.get() == this || duplicate || (parent && parent.get() != this)) {
            ZLOG(Warn, "NavigationController::setViewControllers: skipping %s",
                 vc ? vc->className().c_str() : "a null controller");
            continue;
        }
        stack.push_back(std::move(vc));
    }
    const auto newTop = stack.empty() ? nullptr : stack.back();
    const Direction direction = newTop && contains(newTop.get()) ? Direction::Pop : Direction::Push;
    transitionTo(std::move(stack), animated, direction);
}

void NavigationController::releaseRemoved(const std::vector<std::shared_ptr<ViewController>>& old) {
    for (const auto& vc : old) {
        if (!contains(vc.get())) {
            releaseChild(*vc);
        }
    }
}

void NavigationController::transitionTo(std::vector<std::shared_ptr<ViewController>> stack, Animated animated,
                                        Direction direction) {
    const auto self = selfAs<NavigationController>();
    const auto oldStack = stack_;
    const auto oldTop = topViewController();
    stack_ = std::move(stack);
    for (const auto& vc : stack_) {
        adoptChild(*vc);
    }
    syncBar(animated);
    const auto newTop = topViewController();
    if (auto tabs = tabBarController()) {
        tabs->refreshBottomBar();
    }
    if (!isViewLoaded() || newTop == oldTop) {
        // Nothing on screen changes now; loading the view later shows the new top.
        releaseRemoved(oldStack);
        return;
    }

    const bool showing = isShowing();
    const auto container = view();
    const gfx::Rect content = contentFrame();
    std::shared_ptr<View> oldView = oldTop && oldTop->isViewLoaded() ? oldTop->view() : nullptr;
    if (oldView && oldView->superview() != container) {
        oldView.reset();
    }
    std::shared_ptr<View> newView;
    if (newTop) {
        newView = newTop->view();
        newView->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);
    }
    const bool slide = animated == Animated::Yes && showing && oldView && newView;
    const double sign = direction == Direction::Push ? 1 : -1;
    if (newView) {
        newView->setFrame(slide ? content.offsetBy(sign * content.width(), 0) : content);
        if (direction == Direction::Push || !oldView) {
            container->insertSubviewBelowSubview(newView, navigationBar().get());
        } else {
            container->insertSubviewBelowSubview(newView, oldView.get());
        }
    }

    if (showing) {
        if (oldTop) {
            oldTop->callViewWillDisappear(animated);
        }
        if (newTop) {
            newTop->callViewWillAppear(animated);
            if (auto d = delegate()) {
                d->navigationControllerWillShowViewController(*this, *newTop, animated);
            }
        }
    }

    const std::weak_ptr<NavigationController> weakSelf = self;
    transition_.start(
        direction == Direction::Push ? "pushViewController" : "popViewController", slide ? Animated::Yes : Animated::No,
        [oldView, newView, content, sign] {
            if (newView) {
                newView->setFrame(content);
            }
            if (oldView) {
                oldView->setFrame(content.offsetBy(-sign * content.width(), 0));
            }
        },
        [weakSelf, oldStack, oldTop, newTop, oldView, showing, animated] {
            const auto nav = weakSelf.lock();
            if (!nav) {
                return;
            }
            if (oldView && oldView->superview() == nav->view() && !(newTop && newTop->view() == oldView)) {
                oldView->removeFromSuperview();
                oldView->setFrame(nav->contentFrame());
            }
            if (showing) {
                if (oldTop) {
                    oldTop->callViewDidDisappear(animated);
                }
                if (newTop) {
                    newTop->callViewDidAppear(animated);
                    if (auto d = nav->delegate()) {
                        d->navigationControllerDidShowViewController(*nav, *newTop, animated);
                    }
                }
            }
            nav->releaseRemoved(oldStack);
        });
}

void NavigationController::syncBar(Animated animated) {
    if (!navigationBar_) {
        return; // made on first use, from the stack as it is then
    }
    updatingBar_ = true;
    std::vector<std::shared_ptr<NavigationItem>> items;
    for (const auto& vc : stack_) {
        items.push_back(vc->navigationItem());
    }
    const auto& shown = navigationBar_->items();
    size_t common = 0;
    while (common < shown.size() && common < items.size() && shown[common] == items[common]) {
        ++common;
    }
    while (navigationBar_->items().size() > common) {
        if (!navigationBar_->popNavigationItem(animated)) {
            break;
        }
    }
    for (size_t i = common; i < items.size(); ++i) {
        navigationBar_->pushNavigationItem(items[i], animated);
    }
    updatingBar_ = false;
}

// --- Bars ---

void NavigationController::setNavigationBarHidden(bool hidden, Animated animated) {
    if (navigationBarHidden_ == hidden) {
        return;
    }
    navigationBarHidden_ = hidden;
    const auto bar = navigationBar();
    if (!isViewLoaded()) {
        bar->setHidden(hidden);
        return;
    }
    const gfx::Rect b = view()->bounds();
    const gfx::Rect shown(b.minX(), b.minY(), b.width(), NavigationBar::kDefaultHeight);
    const gfx::Rect away = shown.offsetBy(0, -NavigationBar::kDefaultHeight);
    const auto top = topViewController();
    const auto topView = top && top->isViewLoaded() && top->view()->superview() == view() ? top->view() : nullptr;
    if (animated == Animated::No || !View::areAnimationsEnabled()) {
        bar->setFrame(hidden ? away : shown);
        bar->setHidden(hidden);
        if (topView) {
            topView->setFrame(contentFrame());
        }
        return;
    }
    if (!hidden) {
        bar->setFrame(away);
        bar->setHidden(false);
    }
    const std::weak_ptr<NavigationController> weakSelf = selfAs<NavigationController>();
    View::beginAnimations("setNavigationBarHidden");
    View::setAnimationDuration(ControllerTransition::kDuration);
    View::setAnimationDelegate(weakSelf);
    View::setAnimationDidStopSelector([weakSelf](const std::string&, bool, void*) {
        // A show that came after this hide keeps the bar.
        if (auto nav = weakSelf.lock(); nav && nav->navigationBarHidden_) {
            nav->navigationBar()->setHidden(true);
        }
    });
    bar->setFrame(hidden ? away : shown);
    if (topView) {
        topView->setFrame(contentFrame());
    }
    View::commitAnimations();
}

void NavigationController::setToolbarHidden(bool hidden, Animated /*animated*/) {
    if (toolbarHidden_ == hidden) {
        return;
    }
    toolbarHidden_ = hidden;
    toolbar()->setHidden(hidden);
    if (const auto top = topViewController();
        top && top->isViewLoaded() && isViewLoaded() && top->view()->superview() == view()) {
        top->view()->setFrame(contentFrame());
    }
}

// --- Container hooks ---

std::vector<std::shared_ptr<ViewController>> NavigationController::shownChildren() const {
    if (auto top = topViewController()) {
        return {top};
    }
    return {};
}

void NavigationController::appearanceWillPass(AppearancePhase phase, Animated /*animated*/) {
    // Appearing or disappearing as a whole settles a slide first, so the children are stable.
    transition_.finish();
    if (phase == AppearancePhase::WillAppear) {
        installTopView();
    }
}

void NavigationController::appearancePassed(AppearancePhase phase, Animated animated) {
    const auto top = topViewController();
    const auto d = delegate();
    if (!top || !d) {
        return;
    }
    if (phase == AppearancePhase::WillAppear) {
        d->navigationControllerWillShowViewController(*this, *top, animated);
    } else if (phase == AppearancePhase::DidAppear) {
        d->navigationControllerDidShowViewController(*this, *top, animated);
    }
}

void NavigationController::viewWillBeReleased() {
    transition_.finish();
}

} // namespace ui
