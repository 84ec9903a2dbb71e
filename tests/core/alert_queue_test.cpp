// The alert queue: a flood of platform alerts leaves one on screen and the newest few waiting (each drop
// logged and freed), the alerts' own delegate still hears every call, and the next comes up as the one
// before goes; an alert that never reached the screen, or left it without a word, frees the slot.
#include "core/alert_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/window.h"
#include "tests/toolkit/window_fixture.h"

namespace zelvan {
namespace {

class Recorder : public ui::AlertViewDelegate {
public:
    std::vector<std::string> calls;
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) override {
        calls.push_back("clicked " + alert.message() + " " + std::to_string(index));
    }
    void alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int /*index*/) override {
        calls.push_back("gone " + alert.message());
    }
};

class AlertQueueTest : public WindowFixture {
protected:
    void TearDown() override {
        for (auto up = ui::AlertPanel::visiblePanels(); !up.empty(); up = ui::AlertPanel::visiblePanels()) {
            up.back()->dismissWithClickedButtonIndex(up.back()->cancelButtonIndex(), ui::Animated::No);
        }
        WindowFixture::TearDown();
    }
};

TEST_F(AlertQueueTest, AFloodLeavesOneOnScreenAndTheNewestFewWaiting) {
    fnd::testing::LogCapture log(fnd::testing::LogCapture::Repeats::All); // counts every drop line
    auto recorder = std::make_shared<Recorder>();
    std::vector<std::weak_ptr<ui::AlertView>> made;
    {
        AlertQueue queue("game invitation", 2);
        for (int i = 0; i < 100; ++i) {
            auto alert = ui::AlertView::initWithTitle("Game invitation", std::to_string(i), recorder, "Ignore");
            made.push_back(alert);
            queue.show(alert);
        }
        EXPECT_EQ(ui::AlertPanel::visiblePanels().size(), 1u);
        EXPECT_EQ(queue.waitingCount(), 2u);
        EXPECT_EQ(log.count("game invitation alert dropped (one on screen, at most 2 waiting)"), 97u);
        EXPECT_TRUE(made[50].expired()) << "a dropped alert is freed";

        // The first one, then the two newest, each after the one before has gone.
        for (const char* message : {"0", "98", "99"}) {
            auto alert = ui::testing::AlertDriver::visibleAlert();
            ASSERT_NE(alert, nullptr);
            EXPECT_EQ(alert->message(), message);
            EXPECT_EQ(queue.current(), alert);
            ASSERT_TRUE(ui::testing::AlertDriver::tap(0));
        }
        EXPECT_TRUE(ui::AlertPanel::visiblePanels().empty());
        EXPECT_EQ(queue.current(), nullptr);
        EXPECT_EQ(recorder->calls, (std::vector<std::string>{"clicked 0 0", "gone 0", "clicked 98 0", "gone 98",
                                                             "clicked 99 0", "gone 99"}));
    }
    fnd::RunLoop::main().runUntilIdle();
    for (const auto& alert : made) {
        EXPECT_TRUE(alert.expired());
    }
}

TEST_F(AlertQueueTest, AnAlertThatNeverShowedOrLeftSilentlyFreesTheSlot) {
    auto host = ui::View::create<ui::View>(gfx::Rect(0, 0, 100, 100));
    // A view put into `in`, if that is still there.
    auto entry = [](const std::shared_ptr<ui::View>& in) {
        auto view = ui::View::create<ui::View>(gfx::Rect());
        return AlertQueue::Entry{view, [view, weakHost = std::weak_ptr<ui::View>(in)](std::function<void()>) {
                                     if (auto h = weakHost.lock()) {
                                         h->addSubview(view);
                                     }
                                 }};
    };
    AlertQueue queue("notice", 1);
    queue.show(entry(nullptr));
    EXPECT_EQ(queue.current(), nullptr) << "its host had gone";

    queue.show(entry(host));
    const auto first = queue.current();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->superview(), host);
    queue.show(entry(host));
    EXPECT_EQ(host->subviews().size(), 1u) << "the second waits";
    EXPECT_EQ(queue.waitingCount(), 1u);

    // Taken off without the queue hearing of it: the waiting one comes up when the next arrives.
    first->removeFromSuperview();
    queue.show(entry(host));
    ASSERT_NE(queue.current(), nullptr);
    EXPECT_NE(queue.current(), first);
    EXPECT_EQ(queue.current()->superview(), host);
    EXPECT_EQ(queue.waitingCount(), 1u);
}

} // namespace
} // namespace zelvan
