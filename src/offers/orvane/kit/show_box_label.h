// ShowBoxLabel: the label of the offer kit's dialog boxes - the box style, a centred wrapping prompt
// and a one-line label framed to its text.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/label.h"

namespace zelvan::orvane {

class ShowBoxLabel : public ui::Label {
public:
    // A box-style label with a zero frame (ui::View::create<ShowBoxLabel>(frame) gives one with a frame).
    static std::shared_ptr<ShowBoxLabel> init();
    // (8, y, the view's width - 16, 60): prompt font, centred, unlimited lines.
    static std::shared_ptr<ShowBoxLabel> initCenterPromptForView(const ui::View& view, int y);
    // (x, y, one-line text width + 5, its height + 3), measured in the base label's font before the box
    // style (and its font) is applied.
    static std::shared_ptr<ShowBoxLabel> initAutoFitLabelWithText(const std::string& text, int x, int y);

    // The base label, then the box style.
    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ShowBoxLabel"; }

    // Clear background, white text, the skin's label font, left-aligned.
    void defaultBoxLabelStyle();
};

} // namespace zelvan::orvane
