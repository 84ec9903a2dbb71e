// The call banner in a window under the manual clock: showing and hiding, the running clock past
// an hour and a half, the hang-up question with its two answers, "Close", and a screenshot.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/localization.h"
#include "messaging/voice/voip_view.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/alert_driver.h"
#include "tests/toolkit/window_fixture.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

using ui::testing::AlertDriver;

class VoipViewTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        banner_ = VoipView::create();
        banner_->setHangUpHandler([this] { ++hangUps_; });
    }
    void tapButton() { tapIn(*banner_->button(), banner_->button()->bounds()); }

    std::shared_ptr<VoipView> banner_;
    int hangUps_ = 0;
};

TEST_F(VoipViewTest, ShowsLaysOutAndCountsTheCall) {
    banner_->showInView(nullptr);
    banner_->hide();
    EXPECT_FALSE(banner_->visible());
    EXPECT_EQ(banner_->superview(), nullptr);

    banner_->setContent(fnd::format(ZLS("Talking with %@"), "Ann"));
    banner_->setIcon(ZelvanWidget::imageFromResource("zelvan", true));
    banner_->showInView(window_);
    EXPECT_TRUE(banner_->visible());
    EXPECT_EQ(banner_->superview(), window_);
    EXPECT_EQ(banner_->frame(), window_->bounds());
    EXPECT_EQ(banner_->titleLabel()->text(), ZLS("VoIPTitle"));
    EXPECT_EQ(banner_->timeLabel()->text(), "00:00");
    // The icon and title share a row, the other rows follow 10 points apart, all centred.
    const auto icon = banner_->iconView()->frame();
    const auto title = banner_->titleLabel()->frame();
    const auto info = banner_->infoLabel()->frame();
    const auto clock = banner_->timeLabel()->frame();
    const auto button = banner_->button()->frame();
    EXPECT_EQ(icon.minY(), title.minY());
    EXPECT_NEAR(title.minX() - icon.maxX(), 10, 1);
    EXPECT_NEAR(info.minY(), title.maxY() + 10, 1);
    EXPECT_NEAR(clock.minY(), info.maxY() + 10, 1);
    EXPECT_NEAR(button.minY(), clock.maxY() + 10, 1);
    EXPECT_NEAR(button.midX(), 160, 1);

    banner_->startTiming();
    EXPECT_EQ(banner_->timeLabel()->textColor(), gfx::Color::black());
    fnd::RunLoop::main().advance(65);
    EXPECT_EQ(banner_->timeLabel()->text(), "01:05");
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "screenshots/voice-call-banner-clock.png"));
    // The clock jumps; the next tick reads the time afresh.
    clock_->advance(100 * 60 - 65 - 1);
    fnd::RunLoop::main().advance(1);
    EXPECT_EQ(banner_->timeLabel()->text(), "100:00");
    banner_->stopTiming();
    fnd::RunLoop::main().advance(5);
    EXPECT_EQ(banner_->timeLabel()->text(), "100:00");
    EXPECT_EQ(banner_->timeLabel()->textColor(), gfx::Color::gray());
}

TEST_F(VoipViewTest, HangingUpAsksFirstAndCloseOnlyHides) {
    banner_->showInView(window_);
    tapButton();
    auto question = AlertDriver::visibleAlert();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->message(), ZLS("Are you sure you want to hang up?"));
    ASSERT_TRUE(AlertDriver::tap(ZLS("No")));
    EXPECT_EQ(hangUps_, 0);
    EXPECT_TRUE(banner_->visible());

    tapButton();
    ASSERT_TRUE(AlertDriver::tap(ZLS("Yes")));
    EXPECT_EQ(hangUps_, 1);
    EXPECT_FALSE(banner_->visible());
    EXPECT_EQ(banner_->superview(), nullptr);

    // After the call the button closes the banner without a question or a hang-up.
    banner_->setButtonTitle(ZLS("Close"));
    banner_->showInView(window_);
    banner_->refresh();
    tapButton();
    EXPECT_EQ(AlertDriver::visibleAlert(), nullptr);
    EXPECT_FALSE(banner_->visible());
    EXPECT_EQ(hangUps_, 1);
}

} // namespace
} // namespace zelvan
