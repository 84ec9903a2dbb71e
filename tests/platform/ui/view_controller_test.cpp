// View controllers: lazy loading and the release of off-screen views on a memory warning, the
// window root's appearance calls, titles and bar items, the responder chain, and modal presentation
// with its slide and its appearance calls on both sides, and rotation asked of the top controller.
#include <memory>
#include <string>
#include <vector>

#include "controllers_test_support.h"
#include "platform/ui/application.h"

namespace ui {
namespace {

using namespace controllers_test;

class ViewControllerTest : public ControllersTest {};

class CustomViewController : public ViewController {
public:
    void loadView() override { setView(View::create(gfx::Rect(0, 0, 100, 50))); }
};

TEST_F(ViewControllerTest, LoadsItsViewLazilyAndOnce) {
    auto a = controller("A");
    EXPECT_FALSE(a->isViewLoaded());
    EXPECT_EQ(a->viewIfLoaded(), nullptr);
    EXPECT_TRUE(log_.empty());

    const auto view = a->view();
    ASSERT_TRUE(view);
    EXPECT_TRUE(a->isViewLoaded());
    EXPECT_EQ(a->view(), view);
    EXPECT_EQ(take(), (Log{"A.loadView", "A.didLoad"}));
    // The default view has the application frame and follows its superview's size.
    EXPECT_EQ(view->frame(), gfx::Rect(0, 20, 320, 460));
    EXPECT_EQ(view->autoresizingMask(), AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);

    // A custom loadView decides the view.
    auto custom = std::make_shared<CustomViewController>();
    EXPECT_EQ(custom->view()->frame(), gfx::Rect(0, 0, 100, 50));

    // The controller sits between its root view and that view's superview.
    auto holder = View::create(gfx::Rect(0, 0, 320, 480));
    auto child = View::create(gfx::Rect(0, 0, 10, 10));
    holder->addSubview(view);
    view->addSubview(child);
    EXPECT_EQ(child->nextResponder(), view.get());
    EXPECT_EQ(view->nextResponder(), a.get());
    EXPECT_EQ(a->nextResponder(), holder.get());
    // A plain addSubview of a controller's view calls nothing.
    EXPECT_TRUE(log_.empty());
}

TEST_F(ViewControllerTest, MemoryWarningReleasesOnlyViewsOutsideWindows) {
    auto shown = controller("Shown");
    auto hidden = controller("Hidden");
    window_->setRootViewController(shown);
    hidden->view();
    auto unloadedEver = controller("Never"); // never asked for its view: nothing to release
    take();

    Application::shared().simulateMemoryWarning();
    EXPECT_EQ(take(), (Log{"Hidden.didUnload"}));
    EXPECT_TRUE(shown->isViewLoaded());
    EXPECT_FALSE(hidden->isViewLoaded());
    EXPECT_FALSE(unloadedEver->isViewLoaded());

    // The next use loads it again.
    hidden->view();
    EXPECT_EQ(take(), (Log{"Hidden.loadView", "Hidden.didLoad"}));

    // A released view that sat in an off-screen superview leaves it, and no longer leads to the
    // controller.
    auto offscreen = View::create(gfx::Rect(0, 0, 320, 480));
    const auto view = hidden->view();
    offscreen->addSubview(view);
    Application::shared().simulateMemoryWarning();
    EXPECT_EQ(take(), (Log{"Hidden.didUnload"}));
    EXPECT_EQ(view->superview(), nullptr);
    EXPECT_EQ(view->viewController(), nullptr);
}

TEST_F(ViewControllerTest, TitleItemsAndDefaults) {
    auto a = controller("Home");
    EXPECT_EQ(a->navigationItem()->title(), "Home");
    EXPECT_EQ(a->navigationItem(), a->navigationItem());
    EXPECT_EQ(a->tabBarItem()->title(), "Home");
    a->setTitle("Friends");
    EXPECT_EQ(a->navigationItem()->title(), "Friends");
    EXPECT_EQ(a->tabBarItem()->title(), "Friends");

    EXPECT_TRUE(a->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::Portrait));
    EXPECT_FALSE(a->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::PortraitUpsideDown));
    EXPECT_FALSE(a->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeLeft));
    EXPECT_EQ(a->interfaceOrientation(), InterfaceOrientation::Portrait);
    EXPECT_EQ(a->parentViewController(), nullptr);
    EXPECT_EQ(a->navigationController(), nullptr);
    EXPECT_EQ(a->tabBarController(), nullptr);
    EXPECT_EQ(a->modalViewController(), nullptr);
}

TEST_F(ViewControllerTest, WindowRootAppearsAndIsReplaced) {
    auto a = controller("A");
    auto b = controller("B");
    b->setWantsFullScreenLayout(true);
    window_->setRootViewController(a);
    EXPECT_EQ(take(), (Log{"A.loadView", "A.didLoad", "A.willAppear", "A.didAppear"}));
    EXPECT_EQ(a->view()->superview(), window_);
    EXPECT_EQ(a->view()->frame(), gfx::Rect(0, 20, 320, 460));
    window_->setRootViewController(a);
    EXPECT_TRUE(log_.empty());

    window_->setRootViewController(b);
    EXPECT_EQ(take(),
              (Log{"A.willDisappear", "B.loadView", "B.didLoad", "B.willAppear", "A.didDisappear", "B.didAppear"}));
    EXPECT_EQ(a->view()->superview(), nullptr);
    EXPECT_EQ(b->view()->frame(), gfx::Rect(0, 0, 320, 480));
}

TEST_F(ViewControllerTest, ModalPresentationSlidesUpAndDismissalRestores) {
    auto a = controller("A");
    auto b = controller("B");
    window_->setRootViewController(a);
    take();

    a->presentModalViewController(b, Animated::Yes);
    EXPECT_EQ(take(), (Log{"B.loadView", "B.didLoad", "A.willDisappear*", "B.willAppear*"}));
    EXPECT_EQ(a->modalViewController(), b);
    EXPECT_EQ(b->parentViewController(), a);
    // Above everything in the window, sliding up from below the screen.
    EXPECT_EQ(window_->subviews().back(), b->view());
    EXPECT_EQ(b->view()->frame(), gfx::Rect(0, 20, 320, 460));
    const auto entries = AnimationLog::entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().name, "presentModalViewController");
    EXPECT_DOUBLE_EQ(entries.back().duration, 0.3);
    ASSERT_EQ(entries.back().properties.size(), 1u);
    EXPECT_EQ(entries.back().properties[0].property, "frame");
    EXPECT_EQ(entries.back().properties[0].from, AnimationValue(gfx::Rect(0, 500, 320, 460)));

    clock_->advance(0.29);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(log_.empty());
    finishAnimations();
    EXPECT_EQ(take(), (Log{"A.didDisappear*", "B.didAppear*"}));

    // Presenting from a presenter that already presents goes on top of the presented one.
    auto c = controller("C");
    a->presentModalViewController(c, Animated::No);
    EXPECT_EQ(take(),
              (Log{"C.loadView", "C.didLoad", "B.willDisappear", "C.willAppear", "B.didDisappear", "C.didAppear"}));
    EXPECT_EQ(b->modalViewController(), c);
    EXPECT_EQ(c->parentViewController(), b);

    // Dismissing from the bottom takes down what the presented controller presents first.
    a->dismissModalViewControllerAnimated(Animated::Yes);
    EXPECT_EQ(take(), (Log{"C.willDisappear", "B.willAppear", "C.didDisappear", "B.didAppear", "B.willDisappear*",
                           "A.willAppear*"}));
    EXPECT_EQ(a->modalViewController(), nullptr);
    EXPECT_EQ(b->modalViewController(), nullptr);
    EXPECT_EQ(c->view()->superview(), nullptr);
    EXPECT_EQ(AnimationLog::entries().back().name, "dismissModalViewController");
    finishAnimations();
    EXPECT_EQ(take(), (Log{"B.didDisappear*", "A.didAppear*"}));
    EXPECT_EQ(b->view()->superview(), nullptr);
    EXPECT_EQ(b->parentViewController(), nullptr);
    EXPECT_EQ(window_->subviews().back(), a->view());

    // Asked of the presented controller, dismissal goes to its presenter; presenting the same
    // controller again during the slide ends the slide first.
    a->presentModalViewController(b, Animated::No);
    take();
    b->dismissModalViewControllerAnimated(Animated::Yes);
    a->presentModalViewController(b, Animated::No);
    EXPECT_EQ(take(), (Log{"B.willDisappear*", "A.willAppear*", "B.didDisappear*", "A.didAppear*", "A.willDisappear",
                           "B.willAppear", "A.didDisappear", "B.didAppear"}));
    EXPECT_EQ(a->modalViewController(), b);
    EXPECT_EQ(b->view()->superview(), window_);
    b->dismissModalViewControllerAnimated(Animated::No);
    take();

    // Nothing left to dismiss; a presenter outside any window cannot present.
    a->dismissModalViewControllerAnimated(Animated::No);
    auto loose = controller("Loose");
    auto d = controller("D");
    loose->presentModalViewController(d, Animated::No);
    EXPECT_EQ(loose->modalViewController(), nullptr);
    EXPECT_EQ(d->parentViewController(), nullptr);
    EXPECT_TRUE(log_.empty());

    // A slide still running when everything goes away leaves nothing behind.
    a->presentModalViewController(d, Animated::Yes);
}

// Turns to any orientation and logs the rotation calls.
class TurningController : public RecordingController {
public:
    using RecordingController::RecordingController;
    bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation) override { return true; }
    void willRotateToInterfaceOrientation(InterfaceOrientation o, double) override {
        rotations.push_back("will " + std::to_string(int(o)) + " from " + std::to_string(int(interfaceOrientation())));
    }
    void didRotateFromInterfaceOrientation(InterfaceOrientation from) override {
        rotations.push_back("did from " + std::to_string(int(from)) + " now " +
                            std::to_string(int(interfaceOrientation())));
    }
    std::vector<std::string> rotations;
};

TEST_F(ViewControllerTest, RotationRefusedThenAccepted) {
    Application& app = Application::shared();
    auto still = controller("Still");
    window_->setRootViewController(still);
    EXPECT_FALSE(app.rotateTo(InterfaceOrientation::LandscapeRight));
    EXPECT_EQ(still->interfaceOrientation(), InterfaceOrientation::Portrait);
    EXPECT_EQ(still->view()->frame(), gfx::Rect(0, 20, 320, 460));
    EXPECT_EQ(still->rotatingFooterView(), nullptr);

    // Asked is the presented controller on top, not the root.
    auto turning = std::make_shared<TurningController>("Turning", log_);
    still->presentModalViewController(turning, Animated::No);
    finishAnimations();
    ASSERT_TRUE(app.rotateTo(InterfaceOrientation::LandscapeRight));
    EXPECT_EQ(turning->rotations, (std::vector<std::string>{"will 4 from 1", "did from 1 now 4"}));
    EXPECT_EQ(app.statusBarOrientation(), InterfaceOrientation::LandscapeRight);
    EXPECT_EQ(still->view()->frame().size, (gfx::Size{480, 320}));
    EXPECT_EQ(turning->view()->frame().size, (gfx::Size{480, 320}));

    ASSERT_TRUE(app.rotateTo(InterfaceOrientation::Portrait));
    EXPECT_EQ(app.interfaceOrientation(), InterfaceOrientation::Portrait);
    EXPECT_EQ(app.statusBarOrientation(), InterfaceOrientation::Portrait);
    EXPECT_EQ(still->view()->frame(), gfx::Rect(0, 20, 320, 460));
    still->dismissModalViewControllerAnimated(Animated::No);
    finishAnimations();
}

} // namespace
} // namespace ui
