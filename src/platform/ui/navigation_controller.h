// ui::NavigationController: a stack of view controllers shown one at a time under a 44-point
// navigation bar (its items mirror the stack, so the back button pops), with pushes and pops that
// slide over 0.3 s on the process clock, appearance calls for both sides, and a delegate told
// before and after a controller shows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controller_transition.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/view_controller.h"

namespace ui {

class NavigationController;

class NavigationControllerDelegate {
public:
    virtual ~NavigationControllerDelegate() = default;
    virtual void navigationControllerWillShowViewController(NavigationController& /*nav*/, ViewController& /*vc*/,
                                                            Animated /*animated*/) {}
    virtual void navigationControllerDidShowViewController(NavigationController& /*nav*/, ViewController& /*vc*/,
                                                           Animated /*animated*/) {}
};

class NavigationController : public ViewController {
public:
    static std::shared_ptr<NavigationController> initWithRootViewController(std::shared_ptr<ViewController> root);

    NavigationController();
    ~NavigationController() override;

    std::string className() const override { return "NavigationController"; }

    // The bar on top, the toolbar at the bottom (hidden) and the top controller's view between.
    void loadView() override;

    // --- The stack ---
    // Each of these first settles a transition that is still running. A controller already on the
    // stack (or held by another container) is not pushed. While the navigation controller shows,
    // the controllers leaving and entering the top hear the appearance calls; will-appear and the
    // delegate's will-show come at once, the did-calls and did-show when the slide ends.
    void pushViewController(std::shared_ptr<ViewController> vc, Animated animated);
    // The popped controller, or null when only the root is left.
    std::shared_ptr<ViewController> popViewControllerAnimated(Animated animated);
    // Pops the controllers above `vc` and returns them (bottom first); empty when `vc` is not on the
    // stack.
    std::vector<std::shared_ptr<ViewController>> popToViewController(const std::shared_ptr<ViewController>& vc,
                                                                     Animated animated);
    std::vector<std::shared_ptr<ViewController>> popToRootViewControllerAnimated(Animated animated);
    // Bottom (root) first.
    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
    // Replaces the stack; a new top slides in like a push (or like a pop when it was on the stack).
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> vcs, Animated animated = Animated::No);
    std::shared_ptr<ViewController> topViewController() const;
    // The controller presented modally by the top one, else the top one.
    std::shared_ptr<ViewController> visibleViewController() const;
    // Whether a push or pop is still sliding.
    bool isInTransition() const { return transition_.isRunning(); }

    // --- Bars ---
    std::shared_ptr<NavigationBar> navigationBar();
    bool isNavigationBarHidden() const { return navigationBarHidden_; }
    // The bar slides off the top (or back) over 0.3 s when animated; the top view takes its room.
    void setNavigationBarHidden(bool hidden, Animated animated);
    std::shared_ptr<Toolbar> toolbar();
    bool isToolbarHidden() const { return toolbarHidden_; }
    void setToolbarHidden(bool hidden, Animated animated);

    std::shared_ptr<NavigationControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<NavigationControllerDelegate> delegate) { delegate_ = std::move(delegate); }

protected:
    std::vector<std::shared_ptr<ViewController>> shownChildren() const override;
    void appearanceWillPass(AppearancePhase phase, Animated animated) override;
    void appearancePassed(AppearancePhase phase, Animated animated) override;
    void viewWillBeReleased() override;

private:
    class BarDelegate;
    enum class Direction { Push, Pop };

    // Moves to `stack`, sliding its top in from `direction`'s side.
    void transitionTo(std::vector<std::shared_ptr<ViewController>> stack, Animated animated, Direction direction);
    // Makes the bar's items the stack's navigation items.
    void syncBar(Animated animated);
    // Puts the top controller's view into the content area (loading it when needed).
    void installTopView();
    // The area between the bars, in the view's bounds.
    gfx::Rect contentFrame() const;
    void layoutBars();
    // Drops the parent link of controllers no longer on the stack.
    void releaseRemoved(const std::vector<std::shared_ptr<ViewController>>& old);
    bool contains(const ViewController* vc) const;

    std::vector<std::shared_ptr<ViewController>> stack_;
    std::shared_ptr<NavigationBar> navigationBar_;
    std::shared_ptr<Toolbar> toolbar_;
    std::shared_ptr<BarDelegate> barDelegate_;
    bool updatingBar_ = false;
    bool navigationBarHidden_ = false;
    bool toolbarHidden_ = true;
    std::weak_ptr<NavigationControllerDelegate> delegate_;
    ControllerTransition transition_;
};

} // namespace ui
