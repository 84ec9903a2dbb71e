// UIComboBoxItem: one choice of the offer kit's combo box, a button that shows its caption (after one
// blank) and carries a hidden value.
#pragma once

#include <string>

#include "platform/ui/button.h"

namespace zelvan::orvane {

class UIComboBoxItem : public ui::Button {
public:
    UIComboBoxItem() : ui::Button(ui::ButtonType::Custom) {}
    std::string className() const override { return "UIComboBoxItem"; }

    void setValue(std::string value) { value_ = std::move(value); }
    // Also titles the button " <caption>" for the normal state.
    void setCaption(std::string caption);
    const std::string& getValue() const { return value_; }
    const std::string& getCaption() const { return caption_; }
    // A plain number the combo box itself does not use.
    int index() const { return index_; }
    void setIndex(int index) { index_ = index; }

private:
    std::string value_;
    std::string caption_;
    int index_ = 0;
};

} // namespace zelvan::orvane
