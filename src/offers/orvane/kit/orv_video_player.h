// ORVVideoPlayer: plays video offers full screen with the platform movie player - one URL, or a list one
// after the other - and lays its own overlay (touch shields, a side bar and a Done button) over each movie
// in the key window. It keeps itself alive while it plays, so callers need hold no reference.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/foundation/object.h"
#include "platform/foundation/url.h"
#include "platform/media/movie_player_controller.h"
#include "platform/ui/button.h"

namespace zelvan::orvane {

class ORVVideoPlayer : public fnd::Object {
public:
    // Overlay frames, in the key window's space.
    static constexpr gfx::Rect kShieldFrames[2] = {gfx::Rect(60, 140, 40, 40), gfx::Rect(60, 300, 40, 40)};
    static constexpr gfx::Rect kTopBarFrame = gfx::Rect(380, 0, 45, 480);
    static constexpr gfx::Rect kDoneFrame = gfx::Rect(380, 13, 30, 48);
    static constexpr gfx::Rect kFullScreenFrame = gfx::Rect(0, 0, 320, 420);
    // Where the bar toggle moves the bar and the Done button.
    static constexpr gfx::Rect kTopBarShownFrame = gfx::Rect(253, 0, 45, 480);
    static constexpr gfx::Rect kDoneShownFrame = gfx::Rect(258, 10, 30, 48);
    static constexpr double kToggleDuration = 1.0;
    static constexpr double kToggleSeekTime = 10.0;

    static std::shared_ptr<ORVVideoPlayer> init();
    // Logs "Init With Delegate"; the delegate is kept and never called.
    static std::shared_ptr<ORVVideoPlayer> initwithDelegate(std::shared_ptr<fnd::Object> delegate);
    ~ORVVideoPlayer() override;

    std::string className() const override { return "ORVVideoPlayer"; }

    // Plays one movie.
    void playVideo(const fnd::Url& url);
    // Plays the URLs in order, each when the one before has finished; an empty list plays nothing.
    void playMultipleVideos(std::vector<std::string> urls);
    // Starts one movie with its notifications and overlay.
    void initAndPlayMovie(const fnd::Url& url);
    // Stops the current movie and marks it not fully watched.
    void doneButtonClicked();
    // The bar toggle: pauses, seeks to 10 s and slides the bar and Done button in or out.
    void fullScreenButtonClicked();
    // With true, hides the movie player's controls.
    void disableMovieControls(bool disable);
    void addNotifications();
    void removeNotifications();
    // Builds the overlay buttons and adds them to the key window.
    void createButtonGraphics();

    void moviePlayBackDidFinish(const fnd::Notification& notification);
    void handleTimeChanged(const fnd::Notification& notification);
    void moviePreloadDidFinish(const fnd::Notification& notification);
    void movieScalingModeDidChange(const fnd::Notification& notification);
    void movieFinishedCallback(const fnd::Notification& notification);

    const std::shared_ptr<media::MoviePlayerController>& moviePlayer() const { return moviePlayer_; }
    const std::shared_ptr<ui::Button>& btnDone() const { return btnDone_; }
    const std::shared_ptr<ui::Button>& btnTopBar() const { return btnTopBar_; }
    const std::shared_ptr<ui::Button>& btnFullScreen() const { return btnFullScreen_; }
    const std::vector<std::string>& listMovieURL() const { return listMovieURL_; }
    int videoIndex() const { return videoIndex_; }
    int totalNumOfVideos() const { return totalNumOfVideos_; }
    const std::shared_ptr<fnd::Object>& localDelegate() const { return localDelegate_; }
    void setLocalDelegate(std::shared_ptr<fnd::Object> delegate) { localDelegate_ = std::move(delegate); }
    bool isFullyWatched() const { return isFullyWatched_; }
    void setIsFullyWatched(bool watched) { isFullyWatched_ = watched; }

    // The toggle's tap counter, shared by every player of the process.
    static int fullScreenClickCount();

private:
    void playListEntry();
    void removeOverlay();

    std::shared_ptr<media::MoviePlayerController> moviePlayer_;
    std::shared_ptr<ui::Button> btnDone_;
    std::shared_ptr<ui::Button> btnTopBar_;
    std::shared_ptr<ui::Button> btnFullScreen_;
    std::vector<std::string> listMovieURL_;
    int videoIndex_ = 0;
    int totalNumOfVideos_ = 0;
    std::shared_ptr<fnd::Object> localDelegate_;
    bool isFullyWatched_ = false;
    // Every overlay button of the current movie that sits in a window.
    std::vector<std::shared_ptr<ui::Button>> overlay_;
    // Held from the first movie's start until the last one ends.
    std::shared_ptr<ORVVideoPlayer> self_;
    // The current movie's notifications.
    std::array<fnd::ObserverToken, 4> observers_;
};

} // namespace zelvan::orvane
