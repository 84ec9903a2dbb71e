// ShowBoxButton: the button of the offer kit's dialog boxes, skinned with the box button images and
// optionally placed at the size of its background image.
#pragma once

#include <memory>

#include "platform/ui/button.h"

namespace zelvan::orvane {

class ShowBoxButton : public ui::Button {
public:
    // Width / height of the skin's box button image (truncated); 0 when the skin lacks it.
    static int getBgImgWidth();
    static int getBgImgHeight();

    // A skinned button with a zero frame (ui::View::create<ShowBoxButton>(frame) gives one with a frame).
    static std::shared_ptr<ShowBoxButton> init();
    // A skinned button at (x, y) of the background image's size.
    static std::shared_ptr<ShowBoxButton> initWithLocation(int x, int y);

    // The base button, then setButtonStandardImages (the title font stays the base button's).
    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ShowBoxButton"; }

    // The box button image for the normal state, its pressed image for the highlighted state.
    void setButtonStandardImages();
    // Move the frame's origin to the new x / y, keeping the rest.
    void changeX(double x);
    void changeY(double y);

    int btnId() const { return btnId_; }
    void setBtnId(int id) { btnId_ = id; }

private:
    int btnId_ = 0;
};

} // namespace zelvan::orvane
