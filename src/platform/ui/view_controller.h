// ui::ViewController: owns one screen's root view, loaded lazily and released under memory pressure
// while off screen; hears the appearance calls its containers (window root, navigation, tab bar,
// modal presentation) make; carries the title and the items bars show for it; presents and dismisses
// other controllers modally; and sits in the responder chain behind its root view.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/controller_transition.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/responder.h"
#include "platform/ui/tab_bar_item.h"
#include "platform/ui/types.h"

namespace ui {

class NavigationController;
class TabBarController;
class View;
class Window;

class ViewController : public Responder {
public:
    ViewController();
    ~ViewController() override;

    std::string className() const override { return "ViewController"; }

    // --- The view ---
    // Loads the view on first use: loadView, then viewDidLoad.
    std::shared_ptr<View> view();
    // Installs `view` as the root view (null drops it without viewDidUnload).
    void setView(std::shared_ptr<View> view);
    bool isViewLoaded() const { return static_cast<bool>(view_); }
    // The view when loaded, else null (never loads it).
    const std::shared_ptr<View>& viewIfLoaded() const { return view_; }
    // Builds the root view with setView; the default is a plain view of the application frame
    // that follows its superview's size.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewDidUnload() {}

    // --- Appearance (called by the containers only) ---
    virtual void viewWillAppear(Animated /*animated*/) {}
    virtual void viewDidAppear(Animated /*animated*/) {}
    virtual void viewWillDisappear(Animated /*animated*/) {}
    virtual void viewDidDisappear(Animated /*animated*/) {}

    // Runs on every memory warning while the controller lives (once its view was first asked for or
    // a container took it). The default releases a loaded view that is not in a window, then calls
    // viewDidUnload; the next view() loads it again.
    virtual void didReceiveMemoryWarning();

    // --- Items ---
    // Setting the title also retitles the navigation item and the tab bar item.
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    // Made on first use from the title.
    std::shared_ptr<NavigationItem> navigationItem();
    std::shared_ptr<TabBarItem> tabBarItem();
    void setTabBarItem(std::shared_ptr<TabBarItem> item) { tabBarItem_ = std::move(item); }

    // --- Relations ---
    // The container holding this controller, or else the controller that presented it modally.
    std::shared_ptr<ViewController> parentViewController() const;
    // The nearest container ancestor of each kind (modal presenters are not ancestors), or null.
    std::shared_ptr<NavigationController> navigationController() const;
    std::shared_ptr<TabBarController> tabBarController() const;

    // --- Modal presentation ---
    // Covers the window of this controller's view with `vc`'s view (sliding up over 0.3 s when
    // animated). The controllers covered hear the disappear calls, `vc` the appear calls. When this
    // controller already presents one, that one presents `vc`.
    void presentModalViewController(std::shared_ptr<ViewController> vc, Animated animated);
    // On the presenter: dismisses what it presents (and anything that presents in turn). On the
    // presented controller: asks its presenter.
    void dismissModalViewControllerAnimated(Animated animated);
    std::shared_ptr<ViewController> modalViewController() const { return modal_; }

    // --- Orientation ---
    // Portrait only by default.
    virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation);
    // The application's interface orientation (Application::rotateTo changes it).
    InterfaceOrientation interfaceOrientation() const;
    virtual void willRotateToInterfaceOrientation(InterfaceOrientation /*orientation*/, double /*duration*/) {}
    virtual void didRotateFromInterfaceOrientation(InterfaceOrientation /*from*/) {}
    // A view that turns with the interface below the content; none by default.
    virtual std::shared_ptr<View> rotatingFooterView() const { return nullptr; }

    // --- Layout flags ---
    // Pushed onto a navigation controller inside a tab bar controller, the tab bar hides while this
    // controller (or one pushed above it) is on top.
    bool hidesBottomBarWhenPushed() const { return hidesBottomBarWhenPushed_; }
    void setHidesBottomBarWhenPushed(bool hides) { hidesBottomBarWhenPushed_ = hides; }
    // As a window's root or presented modally, the view covers the status bar area too.
    bool wantsFullScreenLayout() const { return wantsFullScreenLayout_; }
    void setWantsFullScreenLayout(bool wants) { wantsFullScreenLayout_ = wants; }

    // The superview of the controller's view.
    Responder* nextResponder() const override;

    // --- Container plumbing ---
    // Run this controller's appearance callback, then pass it to the children shown inside it.
    // Each moves the controller's appearance state on; a call that does not fit the state (a second
    // will-appear, a did-disappear without a will-disappear) is dropped, so no callback doubles.
    void callViewWillAppear(Animated animated);
    void callViewDidAppear(Animated animated);
    void callViewWillDisappear(Animated animated);
    void callViewDidDisappear(Animated animated);
    // Whether the controller is appearing or has appeared (and not begun to disappear since).
    bool isShowing() const;

    // The top of this controller's container chain (itself when nobody contains it).
    std::shared_ptr<ViewController> rootContainer();

protected:
    // The children whose views show inside this controller's view (a navigation stack's top, the
    // selected tab); appearance calls reach them after this controller.
    virtual std::vector<std::shared_ptr<ViewController>> shownChildren() const { return {}; }
    // Container hooks: before this controller's own callback of a phase runs (to settle a running
    // transition) and after its children heard it (to tell delegates).
    enum class AppearancePhase { WillAppear, DidAppear, WillDisappear, DidDisappear };
    virtual void appearanceWillPass(AppearancePhase /*phase*/, Animated /*animated*/) {}
    virtual void appearancePassed(AppearancePhase /*phase*/, Animated /*animated*/) {}
    // Runs before a memory warning releases the view.
    virtual void viewWillBeReleased() {}

    // Containers adopt and release their children.
    void adoptChild(ViewController& child);
    void releaseChild(ViewController& child);

    // This controller as a shared pointer of its own class.
    template <class T>
    std::shared_ptr<T> selfAs() {
        return std::static_pointer_cast<T>(std::static_pointer_cast<ViewController>(shared_from_this()));
    }

private:
    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

    void observeMemoryWarnings();
    void releaseViewForMemoryWarning();

    std::shared_ptr<View> view_;
    bool loadingView_ = false;
    bool observingMemory_ = false;
    Appearance appearance_ = Appearance::Disappeared;
    std::string title_;
    std::shared_ptr<NavigationItem> navigationItem_;
    std::shared_ptr<TabBarItem> tabBarItem_;
    std::weak_ptr<ViewController> parent_;
    std::weak_ptr<ViewController> presenting_;
    std::shared_ptr<ViewController> modal_;
    ControllerTransition modalTransition_;
    bool hidesBottomBarWhenPushed_ = false;
    bool wantsFullScreenLayout_ = false;
};

} // namespace ui
