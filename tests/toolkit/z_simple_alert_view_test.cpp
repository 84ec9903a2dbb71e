// The in-view alert: button numbering, a tapped button reaching the delegate after the alert has
// gone, the notice without buttons, the kept alert id, a dead delegate, the panel's layout, and
// notices through an alert queue, freed once off screen.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/alert_panel.h"
#include "platform/ui/label.h"
#include "toolkit/z_rounded_corner_view.h"
#include "toolkit/z_simple_alert_view.h"
#include "window_fixture.h"

namespace zelvan {
namespace {

// Records each call as "<title>|<index>|<still in a superview>|<alert id>", after running `first`.
class AlertRecorder : public ZSimpleAlertViewDelegate {
public:
    std::vector<std::string> calls;
    std::function<void(ZSimpleAlertView&)> first;
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& title, int index) override {
        if (first) {
            first(alert);
        }
        calls.push_back(title + "|" + std::to_string(index) + "|" + (alert.superview() ? "shown" : "removed") + "|" +
                        alert.alertId().stringValue());
    }
};

class ZSimpleAlertViewTest : public WindowFixture {
protected:
    std::shared_ptr<ZSimpleAlertView> makeAlert(const std::vector<std::string>& titles) {
        auto alert = ZSimpleAlertView::create();
        alert->label()->setText("Leave the room and go back to the lobby?");
        for (size_t i = 0; i < titles.size(); ++i) {
            EXPECT_EQ(alert->addButtonWithTitle(titles[i]), static_cast<int>(i));
        }
        alert->setDelegate(recorder_);
        return alert;
    }
    void tapButton(const ZSimpleAlertView& alert, int index) {
        const auto& button = alert.buttonViews().at(static_cast<size_t>(index));
        tapIn(*button, button->bounds());
    }

    std::shared_ptr<AlertRecorder> recorder_ = std::make_shared<AlertRecorder>();
};

TEST_F(ZSimpleAlertViewTest, TappedButtonRemovesTheAlertThenTellsTheDelegate) {
    std::weak_ptr<ZSimpleAlertView> weak;
    {
        auto alert = makeAlert({"Stay", "Leave", "Ask later"});
        alert->setAlertId(fnd::Value("room-12"));
        alert->showInView(window_);
        weak = alert;
    }
    // Kept alive by being shown, covering the whole window.
    auto alert = weak.lock();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->superview(), window_);
    EXPECT_EQ(alert->frame(), gfx::Rect(0, 0, 320, 480));
    alert.reset();

    tapButton(*weak.lock(), 1);
    EXPECT_EQ(recorder_->calls, (std::vector<std::string>{"Leave|1|removed|room-12"}));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(weak.expired()) << "a dismissed alert lets itself go";
}

TEST_F(ZSimpleAlertViewTest, NumberingLayoutAndRemovingButtons) {
    auto alert = makeAlert({"OK", "Cancel"});
    alert->setIcon(ZSimpleAlertView::kIconWarning);
    alert->showInView(window_);
    const gfx::Rect panel = alert->panel()->frame();
    EXPECT_DOUBLE_EQ(panel.midX(), 160);
    EXPECT_NEAR(panel.midY(), 240, 1);
    EXPECT_DOUBLE_EQ(panel.width(), ZSimpleAlertView::kPanelWidth);
    // Two buttons side by side in index order, under the message, inside the panel.
    const gfx::Rect ok = alert->buttonViews()[0]->frame();
    const gfx::Rect cancel = alert->buttonViews()[1]->frame();
    EXPECT_EQ(ok.minY(), cancel.minY());
    EXPECT_LT(ok.maxX(), cancel.minX());
    EXPECT_GE(ok.minY(), alert->label()->frame().maxY());
    EXPECT_GT(alert->label()->frame().minY(), ZSimpleAlertView::kIconSize) << "the icon sits above the message";

    // A third button stacks them; removing all leaves a shorter panel, and numbering starts again.
    alert->addButtonWithTitle("Help");
    alert->layoutIfNeeded();
    EXPECT_LT(alert->buttonViews()[0]->frame().maxY(), alert->buttonViews()[1]->frame().minY());
    const double stacked = alert->panel()->frame().height();
    alert->removeAllButton();
    alert->layoutIfNeeded();
    EXPECT_EQ(alert->numberOfButtons(), 0);
    EXPECT_LT(alert->panel()->frame().height(), stacked - 3 * ZSimpleAlertView::kButtonHeight);
    EXPECT_EQ(alert->addButtonWithTitle("Close"), 0);
    alert->layoutIfNeeded();
    tapButton(*alert, 0);
    EXPECT_EQ(recorder_->calls, (std::vector<std::string>{"Close|0|removed|"}));

    // A delegate that gives the alert new buttons before it reads the title still reads the tapped one.
    alert->removeAllButton();
    alert->addButtonWithTitle("Show me the rules of this room first");
    alert->showInView(window_);
    recorder_->first = [](ZSimpleAlertView& shown) {
        shown.removeAllButton();
        for (int i = 0; i < 8; ++i) {
            shown.addButtonWithTitle("Another step of the room's rules " + std::to_string(i));
        }
    };
    tapButton(*alert, 0);
    ASSERT_EQ(recorder_->calls.size(), 2u);
    EXPECT_EQ(recorder_->calls[1], "Show me the rules of this room first|0|removed|");
}

TEST_F(ZSimpleAlertViewTest, NoticeWithoutButtonsGoesOnAnyTap) {
    auto alert = makeAlert({});
    alert->showInView(window_);
    // A tap on the dimmed cover, away from the panel.
    ui::testing::TouchDriver::tap(window_, {10, 10});
    EXPECT_EQ(recorder_->calls, (std::vector<std::string>{"|-1|removed|"}));
    EXPECT_FALSE(alert->superview());
    EXPECT_FALSE(alert->isShowing());

    // With buttons, the cover swallows taps and the alert stays.
    auto modal = makeAlert({"OK"});
    modal->showInView(window_);
    ui::testing::TouchDriver::tap(window_, {10, 10});
    EXPECT_EQ(recorder_->calls.size(), 1u);
    EXPECT_EQ(modal->superview(), window_);
    modal->hide();
    EXPECT_FALSE(modal->superview());
    EXPECT_EQ(recorder_->calls.size(), 1u) << "hide does not report a choice";

    // A delegate that has gone is skipped.
    recorder_.reset();
    modal->showInView(window_);
    tapButton(*modal, 0);
    EXPECT_FALSE(modal->superview());
}

TEST_F(ZSimpleAlertViewTest, QueuedNoticesShowOneAtATimeAndAreFreedOffScreen) {
    std::vector<std::weak_ptr<ZSimpleAlertView>> made;
    {
        AlertQueue queue("notice", 1);
        for (int i = 0; i < 5; ++i) {
            auto alert = makeAlert({});
            alert->label()->setText(std::to_string(i));
            made.push_back(alert);
            queue.show(alert->queueEntry(window_));
        }
        EXPECT_EQ(ZSimpleAlertView::alertsShowingIn(window_), (std::vector{made[0].lock()}));
        EXPECT_TRUE(made[1].expired()) << "a dropped notice is freed";

        // A tap takes the first away (telling the delegate) and brings up the newest.
        ui::testing::TouchDriver::tap(window_, {10, 10});
        EXPECT_EQ(recorder_->calls, (std::vector<std::string>{"|-1|removed|"}));
        EXPECT_EQ(ZSimpleAlertView::alertsShowingIn(window_), (std::vector{made[4].lock()}));
        made[4].lock()->hide();
        EXPECT_TRUE(ZSimpleAlertView::alertsShowingIn(window_).empty());
    }
    fnd::RunLoop::main().runUntilIdle();
    for (const auto& alert : made) {
        EXPECT_TRUE(alert.expired());
    }

    // An alert left showing in a host view that goes is freed with it.
    auto host = ui::View::create<ui::View>(gfx::Rect(0, 0, 100, 100));
    auto alert = makeAlert({"OK"});
    alert->showInView(host);
    const std::weak_ptr<ZSimpleAlertView> weak = alert;
    alert.reset();
    host.reset();
    EXPECT_TRUE(weak.expired());
}

} // namespace
} // namespace zelvan
