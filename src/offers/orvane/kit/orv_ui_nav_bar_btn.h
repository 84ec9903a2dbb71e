// ORVUINavBarBtn: a rounded header button as wide as its title needs, on the skin's stretched round
// header button images.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/button.h"
#include "platform/ui/label.h"

namespace zelvan::orvane {

class ORVUINavBarBtn : public ui::Button {
public:
    // Extra width beside the title.
    static constexpr double kTitlePadding = 20;

    // A new label (0, 0, title width in the header button font + 20, height): clear, white, centred.
    static std::shared_ptr<ui::Label> createAutoWidthLabelWithTitle(const std::string& title, int height);
    // A button at `position`, `height` high and as wide as that label, titled in its font.
    static std::shared_ptr<ORVUINavBarBtn> initWithTitle(const std::string& title, int height, gfx::Point position);

    std::string className() const override { return "ORVUINavBarBtn"; }

    // Resizes to the width the title needs at the current height (origin kept) and sets the title.
    void updateBtnFrameWithTitle(const std::string& title);
    // The title of the normal and the highlighted state.
    void setBtnTitle(const std::string& title);
};

} // namespace zelvan::orvane
