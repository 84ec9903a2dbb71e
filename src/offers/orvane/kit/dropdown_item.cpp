// DropdownItem: the item's initialiser.
#include "offers/orvane/kit/dropdown_item.h"

namespace zelvan::orvane {

std::shared_ptr<DropdownItem> DropdownItem::initWithText(std::string text, std::string value, gfx::ImagePtr normalImage,
                                                         gfx::ImagePtr highlightImage,
                                                         std::optional<gfx::Color> backgroundColor) {
    auto item = std::make_shared<DropdownItem>();
    item->value = std::move(value);
    item->text = std::move(text);
    item->normalImage = std::move(normalImage);
    item->highlightImage = std::move(highlightImage);
    item->backgroundColorNormal = backgroundColor;
    item->backgroundColorHighlight = backgroundColor;
    return item;
}

} // namespace zelvan::orvane
