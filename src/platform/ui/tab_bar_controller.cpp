// Tab bar controller: the children behind the bar's items, switching the shown child with its
// appearance calls, the delegate around taps on the bar, and the layout that gives the selected view
// the room above the bar (or all of it while the bar is hidden).
#include "platform/ui/tab_bar_controller.h"

#include <algorithm>
#include <functional>

#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/screen.h"
#include "platform/ui/view.h"

namespace ui {

class TabBarController::BarDelegate : public TabBarDelegate {
public:
    explicit BarDelegate(TabBarController& tbc) : tbc_(tbc) {}
    void tabBarDidSelectItem(TabBar& /*bar*/, TabBarItem& item) override { tbc_.selectFromBar(item); }

private:
    TabBarController& tbc_;
};

// The controller's root view: lays the bar and the selected view out again whenever it lays out
// (after a resize, or when the bar is shown or hidden).
class TabBarController::ContainerView : public View {
public:
    std::string className() const override { return "TabBarControllerView"; }
    void layoutSubviews() override {
        if (onLayout) {
            onLayout();
        }
    }
    std::function<void()> onLayout;
};

TabBarController::TabBarController() : barDelegate_(std::make_shared<BarDelegate>(*this)) {}

TabBarController::~TabBarController() = default;

std::shared_ptr<TabBar> TabBarController::tabBar() {
    if (!tabBar_) {
        const gfx::Rect app = Screen::main().applicationFrame();
        tabBar_ = View::create<TabBar>(gfx::Rect(0, app.height() - TabBar::kHeight, app.width(), TabBar::kHeight));
        tabBar_->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleTopMargin);
        tabBar_->setDelegate(barDelegate_);
        std::vector<std::shared_ptr<TabBarItem>> items;
        for (const auto& vc : children_) {
            items.push_back(vc->tabBarItem());
        }
        tabBar_->setItems(std::move(items));
        if (const auto selected = selectedViewController()) {
            tabBar_->setSelectedItem(selected->tabBarItem());
        }
    }
    return tabBar_;
}

void TabBarController::loadView() {
    auto view = View::create<ContainerView>(Screen::main().applicationFrame());
    view->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);
    const std::weak_ptr<fnd::Object> weakSelf = weak_from_this();
    view->onLayout = [weakSelf, this] {
        if (const auto alive = weakSelf.lock()) {
            layoutContent();
        }
    };
    view->addSubview(tabBar());
    setView(view);
    if (const auto selected = selectedViewController()) {
        view->insertSubviewBelowSubview(selected->view(), tabBar_.get());
    }
    layoutContent();
}

void TabBarController::layoutContent() {
    const auto& container = viewIfLoaded();
    if (!container) {
        return;
    }
    const gfx::Rect b = container->bounds();
    const auto bar = tabBar();
    bar->setFrame(gfx::Rect(b.minX(), b.maxY() - TabBar::kHeight, b.width(), TabBar::kHeight));
    const auto selected = selectedViewController();
    if (selected && selected->viewIfLoaded() && selected->viewIfLoaded()->superview() == container) {
        const double height = bar->isHidden() ? b.height() : std::max(0.0, b.height() - TabBar::kHeight);
        selected->viewIfLoaded()->setFrame(gfx::Rect(b.minX(), b.minY(), b.width(), height));
    }
}

std::shared_ptr<ViewController> TabBarController::selectedViewController() const {
    return selected_ < children_.size() ? children_[selected_] : nullptr;
}

void TabBarController::setViewControllers(std::vector<std::shared_ptr<ViewController>> vcs, Animated animated) {
    VERIFY(fnd::isMainThread());
    std::vector<std::shared_ptr<ViewController>> children;
    for (auto& vc : vcs) {
        const bool duplicate = std::find(children.begin(), children.end(), vc) != children.end();
        const auto parent = vc ? vc->parentViewController() : nullptr;
        if (!vc || vc.get() == this || duplicate || (parent && parent.get() != this)) {
            ZLOG(Warn, "TabBarController::setViewControllers: skipping %s",
                 vc ? vc->className().c_str() : "a null controller");
            continue;
        }
        children.push_back(std::move(vc));
    }
    const auto previous = selectedViewController();
    const auto old = std::move(children_);
    children_ = std::move(children);
    for (const auto& vc : children_) {
        adoptChild(*vc);
    }

    const auto kept = std::find(children_.begin(), children_.end(), previous);
    if (kept != children_.end()) {
        selected_ = static_cast<size_t>(kept - children_.begin());
    } else {
        selected_ = children_.empty() ? kNoSelection : 0;
    }
    if (tabBar_) {
        std::vector<std::shared_ptr<TabBarItem>> items;
        for (const auto& vc : children_) {
            items.push_back(vc->tabBarItem());
        }
        tabBar_->setItems(std::move(items), animated);
    }
    switchChildren(previous, selectedViewController());
    for (const auto& vc : old) {
        if (std::find(children_.begin(), children_.end(), vc) == children_.end()) {
            releaseChild(*vc);
        }
    }
}

void TabBarController::setSelectedIndex(size_t index) {
    VERIFY(fnd::isMainThread());
    if (index >= children_.size()) {
        ZLOG(Warn, "TabBarController::setSelectedIndex: %zu is out of range (%zu tabs)", index, children_.size());
        return;
    }
    if (index == selected_) {
        return;
    }
    const auto previous = selectedViewController();
    selected_ = index;
    switchChildren(previous, selectedViewController());
}

void TabBarController::setSelectedViewController(const std::shared_ptr<ViewController>& vc) {
    const auto it = std::find(children_.begin(), children_.end(), vc);
    if (!vc || it == children_.end()) {
        ZLOG(Warn, "TabBarController::setSelectedViewController: not one of the tabs");
        return;
    }
    setSelectedIndex(static_cast<size_t>(it - children_.begin()));
}

void TabBarController::switchChildren(const std::shared_ptr<ViewController>& previous,
                                      const std::shared_ptr<ViewController>& next) {
    if (tabBar_) {
        tabBar_->setSelectedItem(next ? next->tabBarItem() : nullptr);
    }
    refreshBottomBar();
    const auto& container = viewIfLoaded();
    if (!container || previous == next) {
        return;
    }
    const auto keepAlive = selfAs<TabBarController>();
    const bool showing = isShowing();
    const auto nextView = next ? next->view() : nullptr;
    if (showing) {
        if (previous) {
            previous->callViewWillDisappear(Animated::No);
        }
        if (next) {
            next->callViewWillAppear(Animated::No);
        }
    }
    if (previous && previous->viewIfLoaded() && previous->viewIfLoaded()->superview() == container) {
        previous->viewIfLoaded()->removeFromSuperview();
    }
    if (nextView) {
        nextView->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);
        container->insertSubviewBelowSubview(nextView, tabBar().get());
    }
    layoutContent();
    if (showing) {
        if (previous) {
            previous->callViewDidDisappear(Animated::No);
        }
        if (next) {
            next->callViewDidAppear(Animated::No);
        }
    }
}

void TabBarController::selectFromBar(const TabBarItem& item) {
    const auto it = std::find_if(children_.begin(), children_.end(),
                                 [&item](const auto& vc) { return vc->tabBarItem().get() == &item; });
    if (it == children_.end()) {
        return;
    }
    const auto keepAlive = selfAs<TabBarController>();
    const auto vc = *it;
    if (auto d = delegate(); d && !d->tabBarControllerShouldSelectViewController(*this, *vc).value_or(true)) {
        const auto current = selectedViewController();
        tabBar()->setSelectedItem(current ? current->tabBarItem() : nullptr);
        return;
    }
    setSelectedIndex(static_cast<size_t>(it - children_.begin()));
    if (auto d = delegate()) {
        d->tabBarControllerDidSelectViewController(*this, *vc);
    }
}

void TabBarController::refreshBottomBar() {
    bool hide = false;
    if (const auto nav = std::dynamic_pointer_cast<NavigationController>(selectedViewController())) {
        const auto& stack = nav->viewControllers();
        hide = std::any_of(stack.begin() + (stack.empty() ? 0 : 1), stack.end(),
                           [](const auto& vc) { return vc->hidesBottomBarWhenPushed(); });
    }
    if (hide == hiddenForPush_) {
        return;
    }
    hiddenForPush_ = hide;
    tabBar()->setHidden(hide);
    layoutContent();
}

std::vector<std::shared_ptr<ViewController>> TabBarController::shownChildren() const {
    if (auto selected = selectedViewController()) {
        return {selected};
    }
    return {};
}

} // namespace ui
