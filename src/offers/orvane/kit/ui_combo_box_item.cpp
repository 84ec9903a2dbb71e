// UIComboBoxItem: the caption setter that titles the item's button.
#include "offers/orvane/kit/ui_combo_box_item.h"

#include "platform/foundation/format.h"

namespace zelvan::orvane {

void UIComboBoxItem::setCaption(std::string caption) {
    caption_ = std::move(caption);
    setTitle(fnd::format(" %@", caption_), ui::ControlState::Normal);
}

} // namespace zelvan::orvane
