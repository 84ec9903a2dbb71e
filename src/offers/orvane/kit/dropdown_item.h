// DropdownItem: one choice of the offer kit's drop-down list - the text shown, the value carried for the
// caller, the row images and the per-item colours (an unset colour falls back to the control's).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/color.h"
#include "platform/graphics/image.h"

namespace zelvan::orvane {

class DropdownItem {
public:
    // Both background colours take `backgroundColor`; the font colours stay unset.
    static std::shared_ptr<DropdownItem> initWithText(std::string text, std::string value, gfx::ImagePtr normalImage,
                                                      gfx::ImagePtr highlightImage,
                                                      std::optional<gfx::Color> backgroundColor);

    std::string text;
    std::string value;
    gfx::ImagePtr normalImage;
    gfx::ImagePtr highlightImage;
    std::optional<gfx::Color> backgroundColorNormal;
    std::optional<gfx::Color> backgroundColorHighlight;
    std::optional<gfx::Color> fontColorNormal;
    std::optional<gfx::Color> fontColorHighlight;
};

} // namespace zelvan::orvane
