// Alert views: button indices with and without a cancel button, the delegate's order around a real
// tap, alerts keeping themselves alive while shown, stacking and modality, system cancel, an alert
// subclass with a focused text field, and a screenshot of an alert over a screen.
#include <filesystem>
#include <optional>

#include "alert_test_support.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/label.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/text_field.h"

namespace ui {
namespace {

using namespace alert_test;

TEST_F(AlertTest, ButtonIndicesPutCancelFirst) {
    struct Case {
        std::optional<std::string> cancel;
        std::vector<std::string> others;
        std::string added; // appended with addButtonWithTitle when not empty
        std::vector<std::string> titles;
        int cancelIndex;
        int firstOther;
        int addedIndex;
    };
    const Case cases[] = {
        {"Cancel", {"OK"}, "", {"Cancel", "OK"}, 0, 1, -1},
        {"Cancel", {"Retry", "Help"}, "More", {"Cancel", "Retry", "Help", "More"}, 0, 1, 3},
        {std::nullopt, {"Yes", "No"}, "", {"Yes", "No"}, -1, 0, -1},
        {"Close", {}, "", {"Close"}, 0, -1, -1},
        {"Close", {}, "Later", {"Close", "Later"}, 0, 1, 1},
        {std::nullopt, {}, "Only", {"Only"}, -1, 0, 0},
        {std::nullopt, {}, "", {}, -1, -1, -1},
    };
    for (const auto& c : cases) {
        auto alert = AlertView::initWithTitle("Title", "Message", recorder_, c.cancel, c.others);
        int added = -1;
        if (!c.added.empty()) {
            added = alert->addButtonWithTitle(c.added);
        }
        const std::string label = c.cancel.value_or("<none>") + " + " + std::to_string(c.others.size());
        EXPECT_EQ(added, c.addedIndex) << label;
        ASSERT_EQ(alert->numberOfButtons(), static_cast<int>(c.titles.size())) << label;
        for (size_t i = 0; i < c.titles.size(); ++i) {
            EXPECT_EQ(alert->buttonTitleAtIndex(static_cast<int>(i)), c.titles[i]) << label;
            EXPECT_EQ(alert->buttonViews()[i]->currentTitle(), c.titles[i]) << label;
        }
        EXPECT_EQ(alert->buttonTitleAtIndex(-1), std::nullopt);
        EXPECT_EQ(alert->buttonTitleAtIndex(alert->numberOfButtons()), std::nullopt);
        EXPECT_EQ(alert->cancelButtonIndex(), c.cancelIndex) << label;
        EXPECT_EQ(alert->firstOtherButtonIndex(), c.firstOther) << label;
        EXPECT_FALSE(alert->isVisible());
    }
}

TEST_F(AlertTest, TapCallsClickedThenDismissesOnTheNextPass) {
    auto alert = AlertView::initWithTitle("Call Anna?", "She is online", recorder_, "Cancel", {"Call"});
    alert->setTag(42);
    alert->show();
    EXPECT_EQ(recorder_->take(), (Calls{"willPresent"}));
    EXPECT_TRUE(alert->isVisible());
    auto alertWindow = AlertPanel::alertWindow();
    ASSERT_TRUE(alertWindow);
    EXPECT_EQ(alertWindow->windowLevel(), kWindowLevelAlert);
    EXPECT_FALSE(alertWindow->isHidden());
    EXPECT_EQ(Application::shared().keyWindow(), alertWindow);
    EXPECT_EQ(alert->window(), alertWindow);
    // Centred on the screen; two buttons side by side, cancel on the left.
    EXPECT_DOUBLE_EQ(alert->frame().midX(), 160);
    EXPECT_NEAR(alert->frame().midY(), 240, 0.5);
    const gfx::Rect cancelRect = alert->buttonViews()[0]->frame();
    const gfx::Rect callRect = alert->buttonViews()[1]->frame();
    EXPECT_EQ(cancelRect.minY(), callRect.minY());
    EXPECT_LT(cancelRect.maxX(), callRect.minX());

    advance(0.1);
    EXPECT_TRUE(recorder_->calls.empty());
    advance(AlertPanel::kAnimationDuration);
    EXPECT_EQ(recorder_->take(), (Calls{"didPresent"}));

    // A real finger on the Call button: clicked at once; the dismissal runs on the next pass.
    const gfx::Rect b = alert->buttonViews()[1]->bounds();
    const gfx::Point p = alert->buttonViews()[1]->convertPointToView({b.midX(), b.midY()}, nullptr);
    TouchDriver::touchDown(1, p);
    EXPECT_TRUE(recorder_->calls.empty());
    TouchDriver::touchUp(1); // runs the loop until idle, so the posted dismissal starts
    EXPECT_EQ(recorder_->take(), (Calls{"clicked 1", "willDismiss 1"}));
    EXPECT_TRUE(alert->isVisible());
    // Another tap while dismissing is ignored.
    TouchDriver::tap(alertWindow, p);
    EXPECT_TRUE(recorder_->calls.empty());

    advance(AlertPanel::kAnimationDuration);
    EXPECT_EQ(recorder_->take(), (Calls{"didDismiss 1"}));
    EXPECT_FALSE(alert->isVisible());
    EXPECT_EQ(alert->superview(), nullptr);
    EXPECT_EQ(alert->tag(), 42);
    // The alert window is gone and key status went back.
    EXPECT_EQ(AlertPanel::alertWindow(), nullptr);
    EXPECT_TRUE(alertWindow->isHidden());
    EXPECT_EQ(Application::shared().keyWindow(), window_);

    // It can be shown again; the driver taps by title.
    alert->show();
    AlertDriver::finishAnimations();
    EXPECT_TRUE(AlertDriver::tap("Cancel"));
    EXPECT_EQ(recorder_->take(), (Calls{"willPresent", "didPresent", "clicked 0", "willDismiss 0", "didDismiss 0"}));
    EXPECT_FALSE(AlertDriver::tap("Cancel")); // nothing visible any more
}

TEST_F(AlertTest, ShownAlertKeepsItselfAliveUntilDismissed) {
    std::weak_ptr<AlertView> weak;
    {
        auto unshown = AlertView::initWithTitle("Never shown", "", recorder_, "OK");
        weak = unshown;
    }
    EXPECT_TRUE(weak.expired());

    {
        auto alert = AlertView::initWithTitle("Connection lost", "Reconnect?", recorder_, "No", {"Yes"});
        alert->show();
        weak = alert;
    }
    advance(AlertPanel::kAnimationDuration);
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(AlertDriver::visibleAlert(), weak.lock());
    ASSERT_TRUE(AlertDriver::tap(1));
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(recorder_->take(), (Calls{"willPresent", "didPresent", "clicked 1", "willDismiss 1", "didDismiss 1"}));

    // Dismissed from the delegate's clicked call, unanimated: gone at once, no second dismissal.
    struct Dismisser : Recorder {
        void alertViewClickedButtonAtIndex(AlertView& alert, int i) override {
            Recorder::alertViewClickedButtonAtIndex(alert, i);
            alert.dismissWithClickedButtonIndex(i, Animated::No);
        }
    };
    auto dismisser = std::make_shared<Dismisser>();
    {
        auto alert = AlertView::initWithTitle("Quit?", "", dismisser, "Stay", {"Quit"});
        alert->show();
        weak = alert;
    }
    ASSERT_TRUE(AlertDriver::tap("Quit"));
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(dismisser->calls, (Calls{"willPresent", "didPresent", "clicked 1", "willDismiss 1", "didDismiss 1"}));
    // A dead delegate is skipped.
    {
        auto alert = AlertView::initWithTitle("Orphan", "", std::make_shared<Recorder>(), "OK");
        alert->show();
        weak = alert;
    }
    ASSERT_TRUE(AlertDriver::tap(0));
    EXPECT_TRUE(weak.expired());
}

TEST_F(AlertTest, LaterAlertsStackOnTopAndTheScreenBelowIsBlocked) {
    int mainTaps = 0;
    struct Counter : View {
        int* taps = nullptr;
        void touchesEnded(const TouchSet&, const Event*) override { ++*taps; }
    };
    auto counter = View::create<Counter>(gfx::Rect(0, 0, 320, 480));
    counter->taps = &mainTaps;
    window_->addSubview(counter);
    auto tapScreen = [] {
        TouchDriver::touchDown(9, {160, 20});
        TouchDriver::touchUp(9);
    };
    tapScreen();
    EXPECT_EQ(mainTaps, 1);

    auto first = AlertView::initWithTitle("First", "", recorder_, "OK");
    auto second = AlertView::initWithTitle("Second", "", recorder_, "Dismiss", {"Again"});
    first->show();
    second->show();
    AlertDriver::finishAnimations();
    EXPECT_EQ(AlertPanel::visiblePanels(), (std::vector<std::shared_ptr<AlertPanel>>{first, second}));
    EXPECT_EQ(AlertDriver::visible(), second);
    // Touches outside the alerts reach neither the screen below nor an alert.
    AlertDriver::tapOutside();
    tapScreen();
    EXPECT_EQ(mainTaps, 1);
    recorder_->take();

    // A click on an alert that is not in front is still its own.
    ASSERT_TRUE(AlertDriver::tap(second, "Dismiss"));
    EXPECT_EQ(recorder_->take(), (Calls{"clicked 0", "willDismiss 0", "didDismiss 0"}));
    EXPECT_EQ(AlertDriver::visible(), first);
    ASSERT_TRUE(AlertDriver::tap("OK"));
    EXPECT_EQ(AlertDriver::visible(), nullptr);
    tapScreen();
    EXPECT_EQ(mainTaps, 2);
}

TEST_F(AlertTest, SystemCancelAndDismissWhilePresenting) {
    // A delegate that handles cancel hears it, and the alert goes with the cancel index.
    recorder_->handlesCancel = true;
    auto alert = AlertView::initWithTitle("Incoming call", "", recorder_, "Decline", {"Answer"});
    alert->show();
    AlertDriver::finishAnimations();
    recorder_->take();
    alert->cancel();
    EXPECT_EQ(recorder_->take(), (Calls{"cancel", "willDismiss 0", "didDismiss 0"}));
    EXPECT_FALSE(alert->isVisible());

    // Otherwise cancel acts as a tap on the cancel button.
    recorder_->handlesCancel = false;
    alert->show();
    AlertDriver::finishAnimations();
    recorder_->take();
    alert->cancel();
    AlertDriver::finishAnimations();
    EXPECT_EQ(recorder_->take(), (Calls{"clicked 0", "willDismiss 0", "didDismiss 0"}));

    // Dismissed before its presentation ended: did-present still comes first, and the stale end of
    // the present animation later changes nothing.
    alert->show();
    alert->dismissWithClickedButtonIndex(1, Animated::Yes);
    EXPECT_EQ(recorder_->take(), (Calls{"willPresent", "didPresent", "willDismiss 1"}));
    advance(AlertPanel::kAnimationDuration);
    EXPECT_EQ(recorder_->take(), (Calls{"didDismiss 1"}));
    alert->dismissWithClickedButtonIndex(0, Animated::No); // hidden: ignored
    alert->cancel();
    EXPECT_TRUE(recorder_->calls.empty());
}

// An alert that is its own delegate and asks for an address in an embedded text field.
class AddressPrompt : public AlertView, public AlertViewDelegate {
public:
    std::shared_ptr<TextField> field;
    std::string entered;

    void initWithFrame(gfx::Rect frame) override {
        AlertView::initWithFrame(frame);
        field = View::create<TextField>(gfx::Rect(12, 50, 260, 28));
        field->setBorderStyle(TextBorderStyle::RoundedRect);
        field->setBackgroundColor(gfx::Color::white());
        addSubview(field);
    }
    void didPresentAlertView(AlertView&) override { field->becomeFirstResponder(); }
    void alertViewClickedButtonAtIndex(AlertView&, int i) override {
        if (i == firstOtherButtonIndex()) {
            entered = field->text();
        }
    }
};

TEST_F(AlertTest, SubclassIsItsOwnDelegateAndFocusesItsField) {
    auto prompt = AlertView::initWithTitle<AddressPrompt>("Your e-mail", "\n\n", {}, "Cancel", {"Send"});
    prompt->setDelegate(std::static_pointer_cast<AlertViewDelegate>(prompt));
    prompt->show();
    AlertDriver::finishAnimations();
    EXPECT_TRUE(prompt->field->isFirstResponder());
    EXPECT_TRUE(KeyboardController::shared().isVisible());
    prompt->field->insertText("me@example.com");
    ASSERT_TRUE(AlertDriver::tap("Send"));
    EXPECT_EQ(prompt->entered, "me@example.com");
    // Leaving the screen ended the editing inside the alert, and the keyboard went down.
    EXPECT_FALSE(prompt->field->isFirstResponder());
    EXPECT_FALSE(KeyboardController::shared().isVisible());
    std::weak_ptr<AlertView> weak = prompt;
    prompt.reset();
    EXPECT_TRUE(weak.expired());
}

TEST_F(AlertTest, ScreenshotShowsTheAlertOverTheDimmedScreen) {
    auto heading = View::create<Label>(gfx::Rect(0, 20, 320, 44));
    heading->setText("Friends");
    heading->setBackgroundColor(gfx::Color(0.3, 0.6, 0.3, 1));
    window_->addSubview(heading);
    auto alert =
        AlertView::initWithTitle("Game invite", "Bob invites you to a game of chess.", recorder_, "Decline", {"Play"});
    alert->show();
    AlertDriver::finishAnimations();
    Application::shared().flush();

    // What the screen shows: the main window, then the alert window over it.
    gfx::beginImageContext({320, 480});
    const auto ctx = gfx::getCurrentContext();
    window_->renderInContext(*ctx);
    AlertPanel::alertWindow()->renderInContext(*ctx);
    const auto screen = gfx::imageFromCurrentImageContext();
    // A copy for a person to look at, under the build tree (the test's working directory).
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(gfx::savePng(*ctx, "screenshots/ui-alert-over-screen.png"));
    gfx::endImageContext();
    ASSERT_TRUE(screen);

    // The white ground and the green heading are dimmed by 40% black.
    EXPECT_NEAR(screen->pixelAt(5, 470).r, 153, 2);
    const auto dimmedHeading = screen->pixelAt(5, 30);
    EXPECT_NEAR(dimmedHeading.g, 0.6 * 0.6 * 255, 2);
    // The alert's dark blue body, its white border, and the white title text in it.
    const gfx::Rect f = alert->frame();
    const auto body = screen->pixelAt(static_cast<int>(f.minX()) + 6, static_cast<int>(f.minY()) + 8);
    EXPECT_GT(body.b, body.r + 40);
    int whiteTitlePixels = 0;
    for (int y = static_cast<int>(f.minY()) + 16; y < static_cast<int>(f.minY()) + 36; ++y) {
        for (int x = static_cast<int>(f.minX()) + 20; x < static_cast<int>(f.maxX()) - 20; ++x) {
            const auto p = screen->pixelAt(x, y);
            whiteTitlePixels += p.r > 200 && p.g > 200 && p.b > 200;
        }
    }
    EXPECT_GT(whiteTitlePixels, 20);
    // The buttons are lighter than the body.
    const gfx::Rect play = alert->buttonViews()[1]->convertRectToView(alert->buttonViews()[1]->bounds(), nullptr);
    const auto button = screen->pixelAt(static_cast<int>(play.minX()) + 4, static_cast<int>(play.midY()));
    EXPECT_GT(button.r, body.r + 40);
}

} // namespace
} // namespace ui
