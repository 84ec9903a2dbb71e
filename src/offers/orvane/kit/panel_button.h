// PanelButton: the black standard button of the offer kit's full-screen panels, skinned from the current
// skin and optionally placed at the size of its background image.
#pragma once

#include <memory>

#include "platform/ui/button.h"

namespace zelvan::orvane {

class PanelButton : public ui::Button {
public:
    // Width / height of the skin's standard black button image (truncated); 0 when the skin lacks it.
    static int getBgImgWidth();
    static int getBgImgHeight();

    // A skinned button with a zero frame (ui::View::create<PanelButton>(frame) gives one with a frame).
    static std::shared_ptr<PanelButton> init();
    // A skinned button at (x, y) of the background image's size.
    static std::shared_ptr<PanelButton> initWithLocation(int x, int y);

    // The base button, then setCustomSetting and setButtonStandardImages.
    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "PanelButton"; }

    // Title font "Arial-BoldMT" 12.5.
    void setCustomSetting();
    // The standard black image behind the normal, highlighted and selected states.
    void setButtonStandardImages();

    int btnId() const { return btnId_; }
    void setBtnId(int id) { btnId_ = id; }

private:
    int btnId_ = 0;
};

} // namespace zelvan::orvane
