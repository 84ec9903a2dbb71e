// The page-view proxy: forwarding to the previous delegate, and counting.
#include "analytics/tallio/tallio_page_view_delegate.h"

#include <mutex>

#include "analytics/tallio/tallio_session.h"

namespace zelvan::tallio {

std::shared_ptr<TallioPageViewDelegate>
TallioPageViewDelegate::createDelegateOnTarget(TallioContext& context,
                                               const std::shared_ptr<ui::ViewController>& target) {
    std::shared_ptr<TallioSession> session;
    {
        std::lock_guard guard(context.lock());
        session = context.currentSession();
    }
    if (auto nav = std::dynamic_pointer_cast<ui::NavigationController>(target)) {
        auto proxy = std::make_shared<TallioPageViewDelegate>(session, nav->delegate(),
                                                              std::weak_ptr<ui::TabBarControllerDelegate>());
        nav->setDelegate(proxy);
        return proxy;
    }
    if (auto tabs = std::dynamic_pointer_cast<ui::TabBarController>(target)) {
        auto proxy = std::make_shared<TallioPageViewDelegate>(
            session, std::weak_ptr<ui::NavigationControllerDelegate>(), tabs->delegate());
        tabs->setDelegate(proxy);
        return proxy;
    }
    return nullptr;
}

TallioPageViewDelegate::TallioPageViewDelegate(std::shared_ptr<TallioSession> session,
                                               std::weak_ptr<ui::NavigationControllerDelegate> navigationDelegate,
                                               std::weak_ptr<ui::TabBarControllerDelegate> tabBarDelegate)
    : session_(std::move(session)), navigationDelegate_(std::move(navigationDelegate)),
      tabBarDelegate_(std::move(tabBarDelegate)) {}

void TallioPageViewDelegate::countPageView() {
    if (session_) {
        session_->maybeIncrementPageView();
    }
}

void TallioPageViewDelegate::navigationControllerWillShowViewController(ui::NavigationController& nav,
                                                                        ui::ViewController& vc, ui::Animated animated) {
    if (auto previous = navigationDelegate_.lock()) {
        previous->navigationControllerWillShowViewController(nav, vc, animated);
    }
}

void TallioPageViewDelegate::navigationControllerDidShowViewController(ui::NavigationController& nav,
                                                                       ui::ViewController& vc, ui::Animated animated) {
    if (auto previous = navigationDelegate_.lock()) {
        previous->navigationControllerDidShowViewController(nav, vc, animated);
    }
    countPageView();
}

std::optional<bool> TallioPageViewDelegate::tabBarControllerShouldSelectViewController(ui::TabBarController& tbc,
                                                                                       ui::ViewController& vc) {
    if (auto previous = tabBarDelegate_.lock()) {
        return previous->tabBarControllerShouldSelectViewController(tbc, vc).value_or(true);
    }
    return true;
}

void TallioPageViewDelegate::tabBarControllerDidSelectViewController(ui::TabBarController& tbc,
                                                                     ui::ViewController& vc) {
    if (auto previous = tabBarDelegate_.lock()) {
        previous->tabBarControllerDidSelectViewController(tbc, vc);
    }
    countPageView();
}

void TallioPageViewDelegate::tabBarControllerWillBeginCustomizingViewControllers(
    ui::TabBarController& tbc, const std::vector<std::shared_ptr<ui::ViewController>>& vcs) {
    if (auto previous = tabBarDelegate_.lock()) {
        previous->tabBarControllerWillBeginCustomizingViewControllers(tbc, vcs);
    }
}

void TallioPageViewDelegate::tabBarControllerWillEndCustomizingViewControllers(
    ui::TabBarController& tbc, const std::vector<std::shared_ptr<ui::ViewController>>& vcs, bool changed) {
    if (auto previous = tabBarDelegate_.lock()) {
        previous->tabBarControllerWillEndCustomizingViewControllers(tbc, vcs, changed);
    }
}

void TallioPageViewDelegate::tabBarControllerDidEndCustomizingViewControllers(
    ui::TabBarController& tbc, const std::vector<std::shared_ptr<ui::ViewController>>& vcs, bool changed) {
    if (auto previous = tabBarDelegate_.lock()) {
        previous->tabBarControllerDidEndCustomizingViewControllers(tbc, vcs, changed);
    }
}

void TallioPageViewCounter::countPageViews(const std::shared_ptr<ui::ViewController>& controller) {
    if (auto proxy = TallioPageViewDelegate::createDelegateOnTarget(context_, controller)) {
        proxies_.push_back(std::move(proxy));
    }
}

} // namespace zelvan::tallio
