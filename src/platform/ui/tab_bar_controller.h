// ui::TabBarController: view controllers behind the items of a 49-point tab bar at the bottom of its
// view; the selected one's view fills the room above the bar (all of it while the bar is hidden).
// Switching tabs moves the appearance calls from one child to the other; a tap on the bar asks the
// delegate first and tells it afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/tab_bar.h"
#include "platform/ui/view_controller.h"

namespace ui {

class TabBarController;

class TabBarControllerDelegate {
public:
    virtual ~TabBarControllerDelegate() = default;
    // nullopt (not answered) counts as yes.
    virtual std::optional<bool> tabBarControllerShouldSelectViewController(TabBarController& /*tbc*/,
                                                                           ViewController& /*vc*/) {
        return std::nullopt;
    }
    virtual void tabBarControllerDidSelectViewController(TabBarController& /*tbc*/, ViewController& /*vc*/) {}
    // Customizing the tab order is not offered here, so these are never called; they exist so a
    // delegate that forwards them compiles.
    virtual void
    tabBarControllerWillBeginCustomizingViewControllers(TabBarController& /*tbc*/,
                                                        const std::vector<std::shared_ptr<ViewController>>& /*vcs*/) {}
    virtual void tabBarControllerWillEndCustomizingViewControllers(
        TabBarController& /*tbc*/, const std::vector<std::shared_ptr<ViewController>>& /*vcs*/, bool /*changed*/) {}
    virtual void tabBarControllerDidEndCustomizingViewControllers(
        TabBarController& /*tbc*/, const std::vector<std::shared_ptr<ViewController>>& /*vcs*/, bool /*changed*/) {}
};

class TabBarController : public ViewController {
public:
    // selectedIndex() when there are no view controllers.
    static constexpr size_t kNoSelection = SIZE_MAX;

    TabBarController();
    ~TabBarController() override;

    std::string className() const override { return "TabBarController"; }

    // The tab bar at the bottom and the selected controller's view above it.
    void loadView() override;

    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return children_; }
    // The bar shows each controller's tab bar item. The selected controller stays selected when it
    // is still among them, else the first is selected.
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> vcs, Animated animated = Animated::No);

    size_t selectedIndex() const { return selected_; }
    // Neither setter consults the delegate. An index out of range is logged and ignored.
    void setSelectedIndex(size_t index);
    std::shared_ptr<ViewController> selectedViewController() const;
    void setSelectedViewController(const std::shared_ptr<ViewController>& vc);

    std::shared_ptr<TabBar> tabBar();

    std::shared_ptr<TabBarControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<TabBarControllerDelegate> delegate) { delegate_ = std::move(delegate); }

    // Hides the tab bar while the selected navigation controller has a controller that hides the
    // bottom bar above its root, and shows it again once none has; navigation controllers call it
    // when their stack changes.
    void refreshBottomBar();

protected:
    std::vector<std::shared_ptr<ViewController>> shownChildren() const override;

private:
    class BarDelegate;
    class ContainerView;

    // What a tap on the bar's item for `vc` does: the delegate may refuse (the bar's selection is
    // then put back); otherwise it is selected and the delegate told.
    void selectFromBar(const TabBarItem& item);
    // Shows `next` in place of `previous`, with the appearance calls while this controller shows.
    void switchChildren(const std::shared_ptr<ViewController>& previous, const std::shared_ptr<ViewController>& next);
    void layoutContent();

    std::vector<std::shared_ptr<ViewController>> children_;
    size_t selected_ = kNoSelection;
    std::shared_ptr<TabBar> tabBar_;
    std::shared_ptr<BarDelegate> barDelegate_;
    bool hiddenForPush_ = false;
    std::weak_ptr<TabBarControllerDelegate> delegate_;
};

} // namespace ui
