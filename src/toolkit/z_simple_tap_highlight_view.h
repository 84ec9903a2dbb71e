// ZSimpleTapHighlightView: a brief glow over a spot that was tapped - it fades in and out at its
// frame and then takes itself away.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/z_rounded_corner_view.h"

namespace zelvan {

class ZSimpleTapHighlightView : public ZRoundedCornerView {
public:
    // How long each of the fade in and the fade out lasts.
    static constexpr double kFadeDuration = 0.15;

    static std::shared_ptr<ZSimpleTapHighlightView> create();

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ZSimpleTapHighlightView"; }

    // Adds the glow to `view` at its frame and runs the fade in, then the fade out, then removes it;
    // it keeps itself alive meanwhile. Showing it again restarts the sequence. A null view is
    // refused with a log line.
    void showInView(const std::shared_ptr<ui::View>& view);

private:
    void fadeOut(uint64_t generation);

    uint64_t generation_ = 0;
};

} // namespace zelvan
