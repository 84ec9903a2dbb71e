// ZSimpleProgressView: a dark rounded box with a progress bar, shown centred in a view while a long
// task (a download, an upload) runs; the bar can glide to a new value.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/types.h"
#include "toolkit/z_rounded_corner_view.h"

namespace zelvan {

class ZSimpleProgressView : public ZRoundedCornerView {
public:
    static constexpr double kWidth = 220;
    static constexpr double kHeight = 36;
    static constexpr double kBarHeight = 8;
    // How long the bar takes to glide to a new value.
    static constexpr double kAnimationDuration = 0.25;

    static std::shared_ptr<ZSimpleProgressView> create();

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ZSimpleProgressView"; }

    double progress() const { return progress_; }
    // Clamped to 0...1 (a value that is not a number counts as 0); animated, the bar glides there.
    void updateProgress(double progress, ui::Animated animated);

    // Centres the box in `view` (narrower when the view is); a null view is refused with a log line.
    void showInView(const std::shared_ptr<ui::View>& view);
    void hide();

    // The track and the filled part of the bar.
    const std::shared_ptr<ZRoundedCornerView>& track() const { return track_; }
    const std::shared_ptr<ZRoundedCornerView>& bar() const { return bar_; }

    void layoutSubviews() override;

private:
    gfx::Rect barFrame() const;

    double progress_ = 0;
    std::shared_ptr<ZRoundedCornerView> track_;
    std::shared_ptr<ZRoundedCornerView> bar_;
};

} // namespace zelvan
