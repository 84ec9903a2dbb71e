// The video-offer player with the platform movie player: one movie or a list in order, Done ending a
// movie early, each movie's overlay leaving the window with it, the player letting go after the last
// movie, the bar toggle, and a picture of a playing movie with its overlay (orvane_video.png).
#include "offers/orvane/kit/orv_video_player.h"

#include <cmath>

#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/snapshot.h"
#include "tests/offers/orvane/widget_test_support.h"

namespace zelvan::orvane {
namespace {

using widget_test::TouchDriver;

// Wide enough that the bar and the Done button at x 380 lie inside the window.
class ORVVideoPlayerTest : public widget_test::WidgetTest {
protected:
    ORVVideoPlayerTest() : WidgetTest(gfx::Rect(0, 0, 480, 480)) {}
    size_t buttonsInWindow() const {
        size_t count = 0;
        for (const auto& view : window_->subviews()) {
            count += view->className() == "Button" ? 1 : 0;
        }
        return count;
    }
    static void expectFrame(const ui::View& view, gfx::Rect rect) {
        const gfx::Rect frame = view.frame();
        EXPECT_NEAR(frame.origin.x, rect.origin.x, 1e-6);
        EXPECT_NEAR(frame.origin.y, rect.origin.y, 1e-6);
        EXPECT_NEAR(frame.size.width, rect.size.width, 1e-6);
        EXPECT_NEAR(frame.size.height, rect.size.height, 1e-6);
    }
};

TEST_F(ORVVideoPlayerTest, ListPlaysInOrderAndDoneMovesOnToTheNext) {
    fnd::testing::LogCapture log;
    std::weak_ptr<ORVVideoPlayer> weak;
    {
        auto player = ORVVideoPlayer::init();
        weak = player;
        player->playMultipleVideos(
            {"http://videos.test/1.mp4", "http://videos.test/2.mp4", "http://videos.test/3.mp4"});
    }
    auto player = weak.lock();
    ASSERT_TRUE(player) << "a playing player holds itself";
    ASSERT_TRUE(player->moviePlayer());
    EXPECT_EQ(player->moviePlayer()->contentURL().absoluteString(), "http://videos.test/1.mp4");
    EXPECT_TRUE(player->isFullyWatched());
    EXPECT_EQ(buttonsInWindow(), 4u);
    advance(0.1);
    EXPECT_TRUE(log.contains("Pre Load Did Finish"));

    const auto firstDone = player->btnDone();
    const auto firstBar = player->btnTopBar();
    const gfx::Rect done = firstDone->frame();
    TouchDriver::tap(window_, gfx::Point(done.midX(), done.midY()));
    EXPECT_TRUE(log.contains("Done Button Clicked"));
    ASSERT_TRUE(player->moviePlayer());
    EXPECT_EQ(player->moviePlayer()->contentURL().absoluteString(), "http://videos.test/2.mp4");
    EXPECT_TRUE(player->isFullyWatched());
    EXPECT_FALSE(firstDone->superview()); // the first movie's overlay went with it
    EXPECT_FALSE(firstBar->superview());
    EXPECT_EQ(buttonsInWindow(), 4u);

    player->moviePlayer()->finish();
    EXPECT_EQ(player->moviePlayer()->contentURL().absoluteString(), "http://videos.test/3.mp4");
    EXPECT_TRUE(log.contains("Video Index 2"));
    player->moviePlayer()->finish();
    EXPECT_FALSE(player->moviePlayer());
    EXPECT_EQ(buttonsInWindow(), 0u);
    EXPECT_EQ(log.count("End of Movie"), 3u);
    player.reset();
    advance(0.1);
    EXPECT_TRUE(weak.expired()) << "the player lets go after the last movie";
}

TEST_F(ORVVideoPlayerTest, OneMoviePlaysOnceAndAnEmptyListPlaysNothing) {
    auto player = ORVVideoPlayer::init();
    player->playVideo(*fnd::Url::parse("http://videos.test/only.mp4"));
    ASSERT_TRUE(player->moviePlayer());
    player->moviePlayer()->finish();
    EXPECT_TRUE(player->isFullyWatched());
    EXPECT_FALSE(player->moviePlayer());
    EXPECT_EQ(buttonsInWindow(), 0u);

    auto idle = ORVVideoPlayer::init();
    idle->playMultipleVideos({});
    EXPECT_FALSE(idle->moviePlayer());
    EXPECT_EQ(idle->totalNumOfVideos(), 0);
    EXPECT_EQ(window_->subviews().size(), 0u);
}

TEST_F(ORVVideoPlayerTest, ToggleSlidesTheBarAndDoneInAndBack) {
    auto player = ORVVideoPlayer::init();
    player->playVideo(*fnd::Url::parse("http://videos.test/toggle.mp4"));
    expectFrame(*player->btnTopBar(), ORVVideoPlayer::kTopBarFrame);
    expectFrame(*player->btnDone(), gfx::Rect(380 - 9, 13 + 9, 48, 30)); // a quarter turn about its centre
    EXPECT_FALSE(player->btnFullScreen()->superview());
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "orvane_video.png"));

    // The shared counter's parity decides the direction; two taps always come back.
    const bool showFirst = ORVVideoPlayer::fullScreenClickCount() % 2 == 0;
    player->fullScreenButtonClicked();
    EXPECT_NEAR(player->moviePlayer()->currentPlaybackTime(), 10.0, 1e-9);
    EXPECT_FALSE(player->moviePlayer()->isPlaying());
    expectFrame(*player->btnTopBar(), showFirst ? ORVVideoPlayer::kTopBarShownFrame : ORVVideoPlayer::kTopBarFrame);
    const gfx::Rect shown = player->btnDone()->frame();
    EXPECT_NEAR(shown.origin.x + shown.size.width / 2, showFirst ? 273 : 395, 1e-6);
    player->fullScreenButtonClicked();
    expectFrame(*player->btnTopBar(), showFirst ? ORVVideoPlayer::kTopBarFrame : ORVVideoPlayer::kTopBarShownFrame);
    player->doneButtonClicked();
    EXPECT_FALSE(player->isFullyWatched());
    EXPECT_FALSE(player->moviePlayer());
}

} // namespace
} // namespace zelvan::orvane
