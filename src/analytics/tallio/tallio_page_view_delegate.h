// TallioPageViewDelegate: a proxy put in front of a navigation or tab-bar controller's delegate. It passes
// every call on to the previous delegate (a tab stays selectable when that one has no answer) and counts a
// shown screen or a selected tab as a page view of its session. Proxies live as long as their context.
// Main thread.
#pragma once

#include <memory>
#include <vector>

#include "analytics/tallio/tallio_context.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"

namespace zelvan::tallio {

class TallioSession;

class TallioPageViewDelegate : public ui::NavigationControllerDelegate, public ui::TabBarControllerDelegate {
public:
    // A proxy made the delegate of `target` when it is a navigation or tab-bar controller (kept by
    // `context`, as the controllers hold their delegates weakly); null for any other target.
    static std::shared_ptr<TallioPageViewDelegate>
    createDelegateOnTarget(TallioContext& context, const std::shared_ptr<ui::ViewController>& target);

    TallioPageViewDelegate(std::shared_ptr<TallioSession> session,
                           std::weak_ptr<ui::NavigationControllerDelegate> navigationDelegate,
                           std::weak_ptr<ui::TabBarControllerDelegate> tabBarDelegate);

    void navigationControllerWillShowViewController(ui::NavigationController& nav, ui::ViewController& vc,
                                                    ui::Animated animated) override;
    void navigationControllerDidShowViewController(ui::NavigationController& nav, ui::ViewController& vc,
                                                   ui::Animated animated) override;
    std::optional<bool> tabBarControllerShouldSelectViewController(ui::TabBarController& tbc,
                                                                   ui::ViewController& vc) override;
    void tabBarControllerDidSelectViewController(ui::TabBarController& tbc, ui::ViewController& vc) override;
    void tabBarControllerWillBeginCustomizingViewControllers(
        ui::TabBarController& tbc, const std::vector<std::shared_ptr<ui::ViewController>>& vcs) override;
    void tabBarControllerWillEndCustomizingViewControllers(ui::TabBarController& tbc,
                                                           const std::vector<std::shared_ptr<ui::ViewController>>& vcs,
                                                           bool changed) override;
    void tabBarControllerDidEndCustomizingViewControllers(ui::TabBarController& tbc,
                                                          const std::vector<std::shared_ptr<ui::ViewController>>& vcs,
                                                          bool changed) override;

    const std::shared_ptr<TallioSession>& session() const { return session_; }

private:
    void countPageView();

    std::shared_ptr<TallioSession> session_;
    // The previous delegates; the controller did not keep them alive either.
    std::weak_ptr<ui::NavigationControllerDelegate> navigationDelegate_;
    std::weak_ptr<ui::TabBarControllerDelegate> tabBarDelegate_;
};

// Counts page views for TallioAPI::countPageViews; makeTallio installs one in every context. It keeps the
// proxies.
class TallioPageViewCounter : public PageViewCounter {
public:
    explicit TallioPageViewCounter(TallioContext& context) : context_(context) {}
    void countPageViews(const std::shared_ptr<ui::ViewController>& controller) override;

private:
    TallioContext& context_;
    std::vector<std::shared_ptr<TallioPageViewDelegate>> proxies_;
};

} // namespace zelvan::tallio
