// ORVTabBarBtn: one button of the offer kit's tab bar - 45 high, an icon above a caption, the selected
// background from the skin, and a normal and a selected icon.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/image.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"

namespace zelvan::orvane {

class ORVTabBarBtn : public ui::Button {
public:
    static constexpr double kHeight = 45;

    // The frame's height is always 45; the caption (0, 29, width, 20) and the icon view
    // (width / 2 - 12, 3.5, 25, 25) are built.
    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ORVTabBarBtn"; }

    // The selected state; the caption white when selected, light grey otherwise.
    void setMeSelected(bool selected);
    // Loads the normal icon from the skin and shows it.
    void setIconImgWithName(const std::string& fileName);
    // Loads the selected icon from the skin (not shown yet).
    void setIconHighlightImgWithName(const std::string& fileName);
    // Show the selected / normal icon when one was set.
    void showHighlighIcon();
    void showSimpleIcon();

    const std::shared_ptr<ui::Label>& btnTitleLabel() const { return btnTitleLabel_; }
    void setBtnTitleLabel(std::shared_ptr<ui::Label> label) { btnTitleLabel_ = std::move(label); }
    const std::shared_ptr<ui::ImageView>& iconImgView() const { return iconImgView_; }
    const gfx::ImagePtr& iconImg() const { return iconImg_; }
    const gfx::ImagePtr& iconHighlightImg() const { return iconHighlightImg_; }

private:
    std::shared_ptr<ui::Label> btnTitleLabel_;
    std::shared_ptr<ui::ImageView> iconImgView_;
    gfx::ImagePtr iconImg_;
    gfx::ImagePtr iconHighlightImg_;
};

} // namespace zelvan::orvane
