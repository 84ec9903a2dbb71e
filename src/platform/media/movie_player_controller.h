// media::MoviePlayerController: the full-screen movie player. Nothing is decoded: while a movie plays, a
// black full-window view stands for it on screen, and its notifications follow the player's life (preload,
// time jumps, scaling, finish). Main thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/object.h"
#include "platform/foundation/url.h"
#include "platform/foundation/value.h"

namespace ui {
class View;
}

namespace media {

// Posted with the player as sender.
inline constexpr std::string_view kMoviePlayerPlaybackDidFinishNotification =
    "MoviePlayerPlaybackDidFinishNotification";
inline constexpr std::string_view kMoviePlayerContentPreloadDidFinishNotification =
    "MoviePlayerContentPreloadDidFinishNotification";
inline constexpr std::string_view kMoviePlayerScalingModeDidChangeNotification =
    "MoviePlayerScalingModeDidChangeNotification";
// The time-jump notification and the user-info key of its time (seconds) keep the texts the video-offer
// player observes.
inline constexpr std::string_view kMoviePlayerTimeDidJumpNotification = "MPAVControllerTimeDidJumpNotification";
inline constexpr std::string_view kMoviePlayerTimeParameterKey = "MPAVControllerTimeParameter";

enum class MovieControlMode { Default = 0, VolumeOnly = 1, Hidden = 2 };
enum class MovieScalingMode { None = 0, AspectFit = 1, AspectFill = 2, Fill = 3 };

class MoviePlayerController : public fnd::Object {
public:
    struct Passkey {
    private:
        friend class MoviePlayerController;
        Passkey() = default;
    };

    static std::shared_ptr<MoviePlayerController> initWithContentURL(const fnd::Url& url);
    MoviePlayerController(Passkey, fnd::Url url);
    ~MoviePlayerController() override;
    std::string className() const override { return "MoviePlayerController"; }

    const fnd::Url& contentURL() const { return url_; }

    // Starts (or resumes) the movie. The player then holds itself until it finishes. On the next pass
    // the preload notification follows; for a URL that cannot play (a missing file, or a scheme other
    // than file, http and https) the finish notification follows instead and the player lets go.
    void play();
    void pause();
    // Ends the movie: the black view goes, the finish notification is posted now, the player lets go.
    void stop();
    // The movie ran to its end (the test driver's entry, and the desktop's "end" for a movie): as stop().
    void finish();

    bool isPlaying() const { return playing_; }
    // Seconds into the movie; runs with Clock::monotonic() while playing.
    double currentPlaybackTime() const;
    // Moves the playhead and posts the time-jump notification with the time under its key.
    void setCurrentPlaybackTime(double seconds);

    MovieControlMode movieControlMode() const { return controlMode_; }
    void setMovieControlMode(MovieControlMode mode) { controlMode_ = mode; }
    MovieScalingMode scalingMode() const { return scalingMode_; }
    // Posts the scaling notification when the mode changes.
    void setScalingMode(MovieScalingMode mode);

private:
    bool playable() const;
    void end();
    void post(std::string_view name, fnd::Value userInfo = fnd::Value());

    fnd::Url url_;
    bool playing_ = false;
    bool active_ = false; // between play() and the finish
    double offset_ = 0;   // playback time when last started or moved
    double startedAt_ = 0;
    MovieControlMode controlMode_ = MovieControlMode::Default;
    MovieScalingMode scalingMode_ = MovieScalingMode::AspectFit;
    std::shared_ptr<ui::View> screen_;
    std::shared_ptr<MoviePlayerController> self_;
};

} // namespace media
