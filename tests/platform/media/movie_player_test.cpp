// The movie player: preload after play, finish on stop, on the driver's end and for movies that cannot
// play, the time-jump user info, scaling notifications, the black view, and that it holds itself only
// while active.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/media/movie_player_controller.h"
#include "platform/ui/application.h"
#include "platform/ui/window.h"

namespace media {
namespace {

class MoviePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        ui::Application::shared().setKeyWindow(window_);
        movie_ = std::string(std::getenv("ZELVAN_HOME")) + "/clip.mp4";
        ASSERT_TRUE(fnd::writeFile(movie_, fnd::Bytes{1, 2, 3}));
        for (std::string_view name :
             {kMoviePlayerPlaybackDidFinishNotification, kMoviePlayerContentPreloadDidFinishNotification,
              kMoviePlayerScalingModeDidChangeNotification, kMoviePlayerTimeDidJumpNotification}) {
            fnd::NotificationCenter::defaultCenter().addObserver(owner_, std::string(name), fnd::Value(),
                                                                 [this](const fnd::Notification& n) {
                                                                     heard_.push_back(n.name);
                                                                     senders_.push_back(n.object.asObject());
                                                                     info_ = n.userInfo;
                                                                 });
        }
    }
    void TearDown() override {
        fnd::NotificationCenter::defaultCenter().removeObserver(owner_);
        ui::Application::shared().setKeyWindow(nullptr);
        fnd::Clock::install(nullptr);
    }
    using Names = std::vector<std::string>;

    std::shared_ptr<int> owner_ = std::make_shared<int>(0);
    Names heard_;
    std::vector<std::shared_ptr<fnd::Object>> senders_;
    fnd::Value info_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
    std::string movie_;
};

TEST_F(MoviePlayerTest, PlaysPreloadsJumpsAndFinishesOnStop) {
    auto player = MoviePlayerController::initWithContentURL(fnd::Url::fileUrl(movie_));
    std::weak_ptr<MoviePlayerController> weak = player;
    player->play();
    EXPECT_TRUE(heard_.empty()); // the preload comes on the next pass
    ASSERT_EQ(window_->subviews().size(), 1u);
    player.reset(); // the player holds itself while playing
    ASSERT_FALSE(weak.expired());
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(heard_, Names{std::string(kMoviePlayerContentPreloadDidFinishNotification)});
    EXPECT_EQ(senders_[0], weak.lock());

    fnd::RunLoop::main().advance(2.5);
    EXPECT_DOUBLE_EQ(weak.lock()->currentPlaybackTime(), 2.5);
    weak.lock()->setCurrentPlaybackTime(42);
    EXPECT_EQ(heard_.back(), kMoviePlayerTimeDidJumpNotification);
    ASSERT_TRUE(info_.isDictionary());
    EXPECT_EQ(info_.asDictionary()->find(std::string(kMoviePlayerTimeParameterKey))->intValue(), 42);
    weak.lock()->pause();
    fnd::RunLoop::main().advance(10);
    EXPECT_DOUBLE_EQ(weak.lock()->currentPlaybackTime(), 42);
    weak.lock()->setScalingMode(MovieScalingMode::Fill);
    weak.lock()->setScalingMode(MovieScalingMode::Fill);
    EXPECT_EQ(heard_.back(), kMoviePlayerScalingModeDidChangeNotification);
    EXPECT_EQ(heard_.size(), 3u);

    weak.lock()->stop();
    EXPECT_EQ(heard_.back(), kMoviePlayerPlaybackDidFinishNotification);
    EXPECT_TRUE(window_->subviews().empty());
    senders_.clear();
    EXPECT_TRUE(weak.expired()); // let go once finished
}

TEST_F(MoviePlayerTest, MissingFilesAndUnknownSchemesFinishOnTheNextPass) {
    for (const char* url : {"file:///nowhere/clip.mp4", "rtsp://example.com/clip"}) {
        SCOPED_TRACE(url);
        heard_.clear();
        senders_.clear();
        auto player = MoviePlayerController::initWithContentURL(*fnd::Url::parse(url));
        std::weak_ptr<MoviePlayerController> weak = player;
        player->play();
        player.reset();
        EXPECT_TRUE(heard_.empty());
        EXPECT_TRUE(window_->subviews().empty()); // nothing to show
        fnd::RunLoop::main().runUntilIdle();
        EXPECT_EQ(heard_, Names{std::string(kMoviePlayerPlaybackDidFinishNotification)});
        senders_.clear();
        EXPECT_TRUE(weak.expired());
    }
    // The driver's end of a playing movie finishes it too; a second stop posts nothing.
    heard_.clear();
    auto player = MoviePlayerController::initWithContentURL(fnd::Url::fileUrl(movie_));
    player->play();
    player->finish();
    player->stop();
    fnd::RunLoop::main().runUntilIdle(); // the preload of a finished movie is not posted
    EXPECT_EQ(heard_, Names{std::string(kMoviePlayerPlaybackDidFinishNotification)});
}

} // namespace
} // namespace media
