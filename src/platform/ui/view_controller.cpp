// View controllers: lazy loading and memory-warning release of the root view, the appearance state
// that containers move on, titles and bar items, container relations, and modal presentation over
// the presenter's window.
#include "platform/ui/view_controller.h"

#include "platform/ui/application.h"

#include "platform/foundation/log.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/screen.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace ui {

namespace {

// The application frame (or the whole screen) in `window`'s space.
gfx::Rect coverFrame(const Window& window, const ViewController& vc) {
    const gfx::Rect screen = vc.wantsFullScreenLayout() ? Screen::main().bounds() : Screen::main().applicationFrame();
    const gfx::Point origin = window.frame().origin;
    return gfx::Rect(screen.minX() - origin.x, screen.minY() - origin.y, screen.width(), screen.height());
}

} // namespace

ViewController::ViewController() = default;

ViewController::~ViewController() {
    if (view_ && view_->viewController().get() == this) {
        view_->setViewController({});
    }
}

// --- The view ---

std::shared_ptr<View> ViewController::view() {
    VERIFY(fnd::isMainThread());
    if (!view_ && !loadingView_) {
        const auto keepAlive = weak_from_this().lock();
        loadingView_ = true;
        loadView();
        loadingView_ = false;
        if (!view_) {
            ZLOG(Warn, "ViewController::view: %s's loadView set no view; a plain view stands in", className().c_str());
            ViewController::loadView();
        }
        observeMemoryWarnings();
        viewDidLoad();
    }
    return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
    if (view_ == view) {
        return;
    }
    if (view_ && view_->viewController().get() == this) {
        view_->setViewController({});
    }
    view_ = std::move(view);
    if (view_) {
        view_->setViewController(std::static_pointer_cast<Responder>(weak_from_this().lock()));
    }
}

void ViewController::loadView() {
    auto view = View::create(Screen::main().applicationFrame());
    view->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);
    setView(std::move(view));
}

void ViewController::observeMemoryWarnings() {
    if (observingMemory_) {
        return;
    }
    const std::weak_ptr<fnd::Object> weak = weak_from_this();
    if (weak.expired()) {
        return; // not held by a shared pointer: nobody can keep it alive for the callback
    }
    observingMemory_ = true;
    fnd::NotificationCenter::defaultCenter().addObserver(
        weak, std::string(kApplicationDidReceiveMemoryWarningNotification), fnd::Value(),
        [this](const fnd::Notification&) { didReceiveMemoryWarning(); });
}

void ViewController::didReceiveMemoryWarning() {
    releaseViewForMemoryWarning();
}

void ViewController::releaseViewForMemoryWarning() {
    if (!view_ || view_->window()) {
        return;
    }
    viewWillBeReleased();
    const auto released = std::move(view_);
    view_.reset();
    if (released->viewController().get() == this) {
        released->setViewController({});
    }
    // Off screen anyway; a container that shows this controller again installs the reloaded view.
    released->removeFromSuperview();
    viewDidUnload();
}

// --- Items ---

void ViewController::setTitle(std::string title) {
    title_ = std::move(title);
    if (navigationItem_) {
        navigationItem_->setTitle(title_);
    }
    if (tabBarItem_) {
        tabBarItem_->setTitle(title_);
    }
}

std::shared_ptr<NavigationItem> ViewController::navigationItem() {
    if (!navigationItem_) {
        navigationItem_ = NavigationItem::initWithTitle(title_);
    }
    return navigationItem_;
}

std::shared_ptr<TabBarItem> ViewController::tabBarItem() {
    if (!tabBarItem_) {
        tabBarItem_ = TabBarItem::initWithTitle(title_, nullptr, 0);
    }
    return tabBarItem_;
}

// --- Relations ---

std::shared_ptr<ViewController> ViewController::parentViewController() const {
    if (auto parent = parent_.lock()) {
        return parent;
    }
    return presenting_.lock();
}

std::shared_ptr<NavigationController> ViewController::navigationController() const {
    for (auto p = parent_.lock(); p; p = p->parent_.lock()) {
        if (auto nav = std::dynamic_pointer_cast<NavigationController>(p)) {
            return nav;
        }
    }
    return nullptr;
}

std::shared_ptr<TabBarController> ViewController::tabBarController() const {
    for (auto p = parent_.lock(); p; p = p->parent_.lock()) {
        if (auto tabs = std::dynamic_pointer_cast<TabBarController>(p)) {
            return tabs;
        }
    }
    return nullptr;
}

std::shared_ptr<ViewController> ViewController::rootContainer() {
    auto root = std::static_pointer_cast<ViewController>(weak_from_this().lock());
    while (root) {
        auto parent = root->parent_.lock();
        if (!parent) {
            break;
        }
        root = std::move(parent);
    }
    return root;
}

void ViewController::adoptChild(ViewController& child) {
    child.parent_ = std::static_pointer_cast<ViewController>(weak_from_this().lock());
    child.observeMemoryWarnings();
}

void ViewController::releaseChild(ViewController& child) {
    if (child.parent_.lock().get() == this) {
        child.parent_.reset();
    }
}

InterfaceOrientation ViewController::interfaceOrientation() const {
    return Application::shared().interfaceOrientation();
}

bool ViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
    return orientation == InterfaceOrientation::Portrait;
}

Responder* ViewController::nextResponder() const {
    return view_ ? view_->superview().get() : nullptr;
}

// --- Appearance ---

bool ViewController::isShowing() const {
    return appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared;
}

void ViewController::callViewWillAppear(Animated animated) {
    if (isShowing()) {
        return;
    }
    const auto keepAlive = weak_from_this().lock();
    appearanceWillPass(AppearancePhase::WillAppear, animated);
    appearance_ = Appearance::Appearing;
    view();
    viewWillAppear(animated);
    for (const auto& child : shownChildren()) {
        child->callViewWillAppear(animated);
    }
    appearancePassed(AppearancePhase::WillAppear, animated);
}

void ViewController::callViewDidAppear(Animated animated) {
    if (appearance_ != Appearance::Appearing) {
        return;
    }
    const auto keepAlive = weak_from_this().lock();
    appearanceWillPass(AppearancePhase::DidAppear, animated);
    appearance_ = Appearance::Appeared;
    viewDidAppear(animated);
    for (const auto& child : shownChildren()) {
        child->callViewDidAppear(animated);
    }
    appearancePassed(AppearancePhase::DidAppear, animated);
}

void ViewController::callViewWillDisappear(Animated animated) {
    if (!isShowing()) {
        return;
    }
    const auto keepAlive = weak_from_this().lock();
    appearanceWillPass(AppearancePhase::WillDisappear, animated);
    appearance_ = Appearance::Disappearing;
    viewWillDisappear(animated);
    for (const auto& child : shownChildren()) {
        child->callViewWillDisappear(animated);
    }
    appearancePassed(AppearancePhase::WillDisappear, animated);
}

void ViewController::callViewDidDisappear(Animated animated) {
    if (appearance_ != Appearance::Disappearing) {
        return;
    }
    const auto keepAlive = weak_from_this().lock();
    appearanceWillPass(AppearancePhase::DidDisappear, animated);
    appearance_ = Appearance::Disappeared;
    viewDidDisappear(animated);
    for (const auto& child : shownChildren()) {
        child->callViewDidDisappear(animated);
    }
    appearancePassed(AppearancePhase::DidDisappear, animated);
}

// --- Modal presentation ---

void ViewController::presentModalViewController(std::shared_ptr<ViewController> vc, Animated animated) {
    VERIFY(fnd::isMainThread());
    if (!vc || vc.get() == this) {
        ZLOG(Warn, "ViewController::presentModalViewController: no controller to present");
        return;
    }
    if (modal_) {
        modal_->presentModalViewController(std::move(vc), animated);
        return;
    }
    // A dismissal still sliding ends first, so its controller may be presented again at once.
    modalTransition_.finish();
    if (vc->presenting_.lock() || vc->parent_.lock() || (vc->view_ && vc->view_->window())) {
        ZLOG(Warn, "ViewController::presentModalViewController: %s is already shown elsewhere",
             vc->className().c_str());
        return;
    }
    const auto window = view_ ? view_->window() : nullptr;
    if (!window) {
        ZLOG(Warn, "ViewController::presentModalViewController: the presenting %s's view is not in a window",
             className().c_str());
        return;
    }
    const auto keepAlive = weak_from_this().lock();
    modal_ = vc;
    vc->presenting_ = std::static_pointer_cast<ViewController>(weak_from_this().lock());
    vc->observeMemoryWarnings();

    const auto covered = rootContainer();
    const bool covering = covered && covered->isShowing();
    const auto modalView = vc->view();
    const gfx::Rect target = coverFrame(*window, *vc);
    if (covering) {
        covered->callViewWillDisappear(animated);
    }
    vc->callViewWillAppear(animated);
    modalView->setFrame(animated == Animated::Yes ? target.offsetBy(0, window->bounds().height()) : target);
    window->addSubview(modalView);
    modalTransition_.start(
        "presentModalViewController", animated, [modalView, target] { modalView->setFrame(target); },
        [weakCovered = std::weak_ptr<ViewController>(covered), covering, vc, animated] {
            // The covered controllers are held weakly: they own this transition.
            if (const auto covered = weakCovered.lock(); covered && covering) {
                covered->callViewDidDisappear(animated);
            }
            vc->callViewDidAppear(animated);
        });
}

void ViewController::dismissModalViewControllerAnimated(Animated animated) {
    VERIFY(fnd::isMainThread());
    if (!modal_) {
        if (auto presenter = presenting_.lock()) {
            presenter->dismissModalViewControllerAnimated(animated);
        } else {
            ZLOG(Warn, "ViewController::dismissModalViewControllerAnimated: %s presents nothing", className().c_str());
        }
        return;
    }
    const auto keepAlive = weak_from_this().lock();
    modalTransition_.finish();
    const auto vc = modal_;
    // Whatever the presented controller presents in turn goes first, without a slide of its own.
    if (vc->modal_) {
        vc->dismissModalViewControllerAnimated(Animated::No);
    }
    vc->modalTransition_.finish();
    modal_.reset();

    const auto covered = rootContainer();
    const bool uncovering = covered && vc->isShowing();
    const auto modalView = vc->view_;
    vc->callViewWillDisappear(animated);
    if (uncovering) {
        covered->callViewWillAppear(animated);
    }
    gfx::Rect away;
    if (modalView) {
        const auto window = modalView->window();
        away = modalView->frame().offsetBy(0, window ? window->bounds().height() : modalView->frame().maxY());
    }
    modalTransition_.start(
        "dismissModalViewController", animated,
        [modalView, away] {
            if (modalView) {
                modalView->setFrame(away);
            }
        },
        [weakCovered = std::weak_ptr<ViewController>(covered), uncovering, vc, modalView, animated] {
            if (modalView) {
                modalView->removeFromSuperview();
            }
            vc->presenting_.reset();
            vc->callViewDidDisappear(animated);
            if (const auto covered = weakCovered.lock(); covered && uncovering) {
                covered->callViewDidAppear(animated);
            }
        });
}

} // namespace ui
