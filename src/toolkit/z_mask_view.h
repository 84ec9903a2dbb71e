// ZMaskView: a translucent cover over a whole view with a centred message, shown while the screen
// under it must not be used (connecting, saving); it can fade in and out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace ui {
class Label;
}

namespace zelvan {

class ZMaskView : public ui::View {
public:
    // How long the mask takes to fade in or out.
    static constexpr double kFadeDuration = 0.3;

    static std::shared_ptr<ZMaskView> create();

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ZMaskView"; }

    // Covers `view` (its whole bounds, following its size) with the message centred; animated, the
    // mask fades in. Showing again moves the mask and stops a fade-out in progress. A null view is
    // refused with a log line.
    void showMaskInView(const std::shared_ptr<ui::View>& view, const std::string& message, ui::Animated animated);
    // Removes the mask: at once, or after a fade when animated (the mask keeps itself alive until
    // then).
    void hideMask(ui::Animated animated);

    const std::shared_ptr<ui::Label>& messageLabel() const { return label_; }

    void layoutSubviews() override;

private:
    std::shared_ptr<ui::Label> label_;
    // Bumped by every show and hide, so a fade-out that was overtaken does not remove the mask.
    uint64_t generation_ = 0;
};

} // namespace zelvan
