// MoviePlayerController: the player's state machine, its self-hold while active, and the black view it
// puts over the key window while a movie plays.
#include "platform/media/movie_player_controller.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/color.h"
#include "platform/ui/application.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace media {

std::shared_ptr<MoviePlayerController> MoviePlayerController::initWithContentURL(const fnd::Url& url) {
    return std::make_shared<MoviePlayerController>(Passkey(), url);
}

MoviePlayerController::MoviePlayerController(Passkey, fnd::Url url) : url_(std::move(url)) {}

MoviePlayerController::~MoviePlayerController() {
    if (screen_) {
        screen_->removeFromSuperview();
    }
}

bool MoviePlayerController::playable() const {
    const std::string& scheme = url_.scheme();
    if (scheme == "file") {
        bool isDir = false;
        return fnd::FileManager::fileExistsAtPath(url_.path(), &isDir) && !isDir;
    }
    return scheme == "http" || scheme == "https";
}

void MoviePlayerController::play() {
    if (playing_) {
        return;
    }
    const bool starting = !active_;
    active_ = true;
    playing_ = true;
    startedAt_ = fnd::Clock::monotonic();
    self_ = std::static_pointer_cast<MoviePlayerController>(shared_from_this());
    if (!starting) {
        return;
    }
    std::weak_ptr<MoviePlayerController> weak = self_;
    if (!playable()) {
        ZLOG(Warn, "MoviePlayerController: cannot play %s", url_.absoluteString());
        fnd::RunLoop::main().post([weak] {
            if (auto self = weak.lock(); self && self->active_) {
                self->end();
            }
        });
        return;
    }
    if (auto window = ui::Application::shared().keyWindow()) {
        screen_ = ui::View::create<ui::View>(window->bounds());
        screen_->setBackgroundColor(gfx::Color::black());
        window->addSubview(screen_);
    }
    fnd::RunLoop::main().post([weak] {
        if (auto self = weak.lock(); self && self->active_) {
            self->post(kMoviePlayerContentPreloadDidFinishNotification);
        }
    });
}

void MoviePlayerController::pause() {
    if (playing_) {
        offset_ = currentPlaybackTime();
        playing_ = false;
    }
}

void MoviePlayerController::stop() {
    if (active_) {
        end();
    }
}

void MoviePlayerController::finish() {
    stop();
}

void MoviePlayerController::end() {
    auto keep = self_; // alive through the notification, released at the end of this call
    offset_ = currentPlaybackTime();
    playing_ = false;
    active_ = false;
    if (screen_) {
        screen_->removeFromSuperview();
        screen_.reset();
    }
    post(kMoviePlayerPlaybackDidFinishNotification);
    self_.reset();
}

double MoviePlayerController::currentPlaybackTime() const {
    return playing_ ? offset_ + (fnd::Clock::monotonic() - startedAt_) : offset_;
}

void MoviePlayerController::setCurrentPlaybackTime(double seconds) {
    offset_ = seconds > 0 ? seconds : 0;
    startedAt_ = fnd::Clock::monotonic();
    post(kMoviePlayerTimeDidJumpNotification,
         fnd::Value(fnd::Dictionary::make({{std::string(kMoviePlayerTimeParameterKey), fnd::Value(offset_)}})));
}

void MoviePlayerController::setScalingMode(MovieScalingMode mode) {
    if (mode != scalingMode_) {
        scalingMode_ = mode;
        post(kMoviePlayerScalingModeDidChangeNotification);
    }
}

void MoviePlayerController::post(std::string_view name, fnd::Value userInfo) {
    fnd::NotificationCenter::defaultCenter().postNotificationName(name, fnd::Value(shared_from_this()),
                                                                  std::move(userInfo));
}

} // namespace media
