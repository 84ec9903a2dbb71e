// GameLoadView: what covers a game screen while the game starts and its resources arrive - an
// animated background, the game logo, the percentage and "Loading" captions and a progress bar.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/timer.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/view.h"

namespace zelvan {

class GameLoadView : public ui::View {
public:
    // The bar's full width in points, and the smallest width change that is animated.
    static constexpr double kBarWidth = 92;
    static constexpr double kAnimateBeyond = 6;
    // Seconds between background frames, and the frame counts of the two layouts.
    static constexpr double kFrameInterval = 0.4;
    static constexpr int kPortraitFrames = 18;
    static constexpr int kLandscapeFrames = 19;

    // A 320 x 480 (portrait) or 480 x 320 view with background frame 1, the logo, "0%" and the bar.
    static std::shared_ptr<GameLoadView> initWithOrientation(bool portrait);
    explicit GameLoadView(bool portrait) : portrait_(portrait) {}
    ~GameLoadView() override;

    std::string className() const override { return "GameLoadView"; }
    void initWithFrame(gfx::Rect frame) override;

    // Starts the background animation: the next frame every kFrameInterval seconds. The timer holds
    // the view weakly; stopAnimation (and the view's end) invalidates it.
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return timer_ != nullptr && timer_->isValid(); }
    // Shows the next background frame (wrapping after the last).
    void fireTimerEvent();
    // Shows `p` (0.0 - 1.0): "%d%%" of p x 100 and a fill of p x kBarWidth, animated over 2 x |delta p|
    // seconds when the width changes by more than kAnimateBeyond.
    void updateProgress(float p);

    float progress() const { return progress_; }
    bool portrait() const { return portrait_; }
    int currentImg() const { return currentImg_; }
    const std::shared_ptr<ui::ImageView>& fillView() const { return zelvannView_; }
    const std::shared_ptr<ui::Label>& progressLabel() const { return progressLabel_; }

private:
    std::string frameName(int number) const;

    bool portrait_;
    float progress_ = 0;
    int currentImg_ = 1;
    std::shared_ptr<fnd::Timer> timer_;
    std::shared_ptr<ui::ImageView> zelvannView_;
    std::shared_ptr<ui::ImageView> backgroundView_;
    std::shared_ptr<ui::ImageView> loadingView_;
    std::shared_ptr<ui::ImageView> logoView_;
    std::shared_ptr<ui::Label> progressLabel_;
    std::shared_ptr<ui::Label> captionLabel_;
};

} // namespace zelvan
