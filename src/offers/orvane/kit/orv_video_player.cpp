// ORVVideoPlayer: starting movies one after the other, the notifications of each movie player, the
// overlay buttons in the key window (removed again when their movie ends) and the bar toggle.
#include "offers/orvane/kit/orv_video_player.h"

#include <numbers>

#include "core/main_thread.h"
#include "offers/orvane/client/orv_log.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/image.h"
#include "platform/ui/application.h"
#include "platform/ui/window.h"

namespace zelvan::orvane {
namespace {

int gFullScreenClicks = 0; // main thread only

} // namespace

std::shared_ptr<ORVVideoPlayer> ORVVideoPlayer::init() {
    return std::make_shared<ORVVideoPlayer>();
}

std::shared_ptr<ORVVideoPlayer> ORVVideoPlayer::initwithDelegate(std::shared_ptr<fnd::Object> delegate) {
    ZLOG_TO(kOrvaneLog, Info, "Init With Delegate");
    auto player = init();
    player->localDelegate_ = std::move(delegate);
    return player;
}

ORVVideoPlayer::~ORVVideoPlayer() {
    for (const auto& button : overlay_) {
        button->removeFromSuperview();
    }
}

int ORVVideoPlayer::fullScreenClickCount() {
    return gFullScreenClicks;
}

void ORVVideoPlayer::playVideo(const fnd::Url& url) {
    totalNumOfVideos_ = 1;
    initAndPlayMovie(url);
}

void ORVVideoPlayer::playMultipleVideos(std::vector<std::string> urls) {
    if (urls.empty()) {
        return;
    }
    listMovieURL_ = std::move(urls);
    videoIndex_ = 0;
    totalNumOfVideos_ = static_cast<int>(listMovieURL_.size());
    playListEntry();
}

void ORVVideoPlayer::playListEntry() {
    while (videoIndex_ < totalNumOfVideos_ && static_cast<size_t>(videoIndex_) < listMovieURL_.size()) {
        const std::string text = fnd::format("%@", listMovieURL_[static_cast<size_t>(videoIndex_)]);
        const std::optional<fnd::Url> url = fnd::Url::parse(text);
        if (url) {
            initAndPlayMovie(*url);
            ++videoIndex_;
            return;
        }
        ZLOG_TO(kOrvaneLog, Warn, "ORVVideoPlayer: skipping a video that is not a URL: %s", fnd::logPreview(text));
        ++videoIndex_;
    }
    self_.reset();
}

void ORVVideoPlayer::initAndPlayMovie(const fnd::Url& url) {
    self_ = std::static_pointer_cast<ORVVideoPlayer>(shared_from_this());
    isFullyWatched_ = true;
    ZLOG_TO(kOrvaneLog, Info, "Video Index %d", videoIndex_);
    moviePlayer_ = media::MoviePlayerController::initWithContentURL(url);
    addNotifications();
    disableMovieControls(false);
    moviePlayer_->play();
    createButtonGraphics();
}

void ORVVideoPlayer::doneButtonClicked() {
    ZLOG_TO(kOrvaneLog, Info, "Done Button Clicked");
    isFullyWatched_ = false;
    if (auto player = moviePlayer_) {
        player->stop();
    }
}

void ORVVideoPlayer::disableMovieControls(bool disable) {
    if (disable && moviePlayer_) {
        ZLOG_TO(kOrvaneLog, Info, "Movie Controlls have been disabled");
        moviePlayer_->setMovieControlMode(media::MovieControlMode::Hidden);
    }
}

void ORVVideoPlayer::addNotifications() {
    if (!moviePlayer_) {
        return;
    }
    auto& center = fnd::NotificationCenter::defaultCenter();
    const fnd::Value sender(std::static_pointer_cast<fnd::Object>(moviePlayer_));
    std::weak_ptr<ORVVideoPlayer> weak = std::static_pointer_cast<ORVVideoPlayer>(shared_from_this());
    observers_ = {center.observe(std::string(media::kMoviePlayerTimeDidJumpNotification), weak,
                                 &ORVVideoPlayer::handleTimeChanged, sender),
                  center.observe(std::string(media::kMoviePlayerPlaybackDidFinishNotification), weak,
                                 &ORVVideoPlayer::moviePlayBackDidFinish, sender),
                  center.observe(std::string(media::kMoviePlayerContentPreloadDidFinishNotification), weak,
                                 &ORVVideoPlayer::moviePreloadDidFinish, sender),
                  center.observe(std::string(media::kMoviePlayerScalingModeDidChangeNotification), weak,
                                 &ORVVideoPlayer::movieScalingModeDidChange, sender)};
}

void ORVVideoPlayer::removeNotifications() {
    observers_ = {};
}

void ORVVideoPlayer::createButtonGraphics() {
    ZLOG_TO(kOrvaneLog, Info, "Creating Button Graphics");
    std::weak_ptr<ORVVideoPlayer> weak = std::static_pointer_cast<ORVVideoPlayer>(shared_from_this());
    std::vector<std::shared_ptr<ui::Button>> buttons;
    for (const gfx::Rect& frame : kShieldFrames) {
        auto shield = ui::View::create<ui::Button>(frame, ui::ButtonType::Custom);
        shield->setBackgroundColor(gfx::Color::clear());
        buttons.push_back(shield);
    }
    btnTopBar_ = ui::View::create<ui::Button>(kTopBarFrame, ui::ButtonType::Custom);
    btnTopBar_->setBackgroundColor(gfx::Color::gray());
    buttons.push_back(btnTopBar_);

    btnDone_ = ui::View::create<ui::Button>(kDoneFrame, ui::ButtonType::Custom);
    btnDone_->setTransform(gfx::AffineTransform::makeRotation(std::numbers::pi / 2));
    btnDone_->setBackgroundImage(gfx::Image::imageNamed("ButtonDone.png"), ui::ControlState::Normal);
    btnDone_->setBackgroundColor(gfx::Color::red());
    btnDone_->addTarget(weak, &ORVVideoPlayer::doneButtonClicked, ui::ControlEvents::TouchUpInside);
    buttons.push_back(btnDone_);

    // Built for the bar toggle but shown nowhere.
    btnFullScreen_ = ui::View::create<ui::Button>(kFullScreenFrame, ui::ButtonType::Custom);
    btnFullScreen_->setBackgroundColor(gfx::Color::clear());
    btnFullScreen_->addTarget(weak, &ORVVideoPlayer::fullScreenButtonClicked, ui::ControlEvents::TouchUpInside);

    auto window = ui::Application::shared().keyWindow();
    if (!window) {
        ZLOG_TO(kOrvaneLog, Warn, "ORVVideoPlayer: no key window for the movie's buttons");
        return;
    }
    for (const auto& button : buttons) {
        window->addSubview(button);
        overlay_.push_back(button);
    }
}

void ORVVideoPlayer::removeOverlay() {
    if (overlay_.empty()) {
        return;
    }
    for (const auto& button : overlay_) {
        button->removeFromSuperview();
    }
    // The Done button may be running its own action right now: its last references go on the next pass.
    onMain([gone = std::move(overlay_)] {});
    overlay_.clear();
}

void ORVVideoPlayer::fullScreenButtonClicked() {
    ZLOG_TO(kOrvaneLog, Info, "Full Screen Button Was pressed");
    if (moviePlayer_) {
        moviePlayer_->pause();
        moviePlayer_->setCurrentPlaybackTime(kToggleSeekTime);
    }
    ++gFullScreenClicks;
    const bool odd = gFullScreenClicks % 2 == 1;
    // The two lines keep their texts, though each names the other parity.
    if (odd) {
        ZLOG_TO(kOrvaneLog, Info, "Click Count is even");
    } else {
        ZLOG_TO(kOrvaneLog, Info, "Click Count is Odd");
    }
    ui::View::beginAnimations("", nullptr);
    ui::View::setAnimationDuration(kToggleDuration);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseInOut);
    if (btnTopBar_) {
        btnTopBar_->setFrame(odd ? kTopBarShownFrame : kTopBarFrame);
    }
    if (btnDone_) {
        btnDone_->setFrame(odd ? kDoneShownFrame : kDoneFrame);
    }
    ui::View::commitAnimations();
}

void ORVVideoPlayer::moviePlayBackDidFinish(const fnd::Notification& /*notification*/) {
    auto keep = self_; // alive to the end of this call even when the last movie ends here
    ZLOG_TO(kOrvaneLog, Info, "End of Movie");
    removeNotifications();
    removeOverlay();
    moviePlayer_.reset();
    if (videoIndex_ < totalNumOfVideos_ && totalNumOfVideos_ > 1) {
        ZLOG_TO(kOrvaneLog, Info, "There is more than one Video to be Played");
        playListEntry();
        return;
    }
    self_.reset();
}

void ORVVideoPlayer::handleTimeChanged(const fnd::Notification& notification) {
    int64_t seconds = 0;
    if (auto info = notification.userInfo.asDictionary()) {
        if (const fnd::Value* value = info->find(std::string(media::kMoviePlayerTimeParameterKey))) {
            if (auto whole = value->asInt()) {
                seconds = *whole;
            } else if (auto real = value->asDouble()) {
                seconds = static_cast<int64_t>(*real);
            }
        }
    }
    ZLOG_TO(kOrvaneLog, Info, "Last time was %d", seconds);
}

void ORVVideoPlayer::moviePreloadDidFinish(const fnd::Notification& /*notification*/) {
    ZLOG_TO(kOrvaneLog, Info, "Pre Load Did Finish");
}

void ORVVideoPlayer::movieScalingModeDidChange(const fnd::Notification& /*notification*/) {
    ZLOG_TO(kOrvaneLog, Info, "Scaling MOde");
}

void ORVVideoPlayer::movieFinishedCallback(const fnd::Notification& /*notification*/) {
    ZLOG_TO(kOrvaneLog, Info, "Finished Call Back");
}

} // namespace zelvan::orvane
