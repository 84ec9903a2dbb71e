// ZSimpleInputField: the text field of the in-game chat strip - a plain white field with a thin
// border in the system font, without autocorrection; its owner sets the delegate and the return key.
#pragma once

#include "platform/ui/text_field.h"

namespace zelvan {

// delegate / setDelegate, setReturnKeyType, text / setText and becomeFirstResponder are those of
// ui::TextField.
class ZSimpleInputField : public ui::TextField {
public:
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "ZSimpleInputField"; }
};

} // namespace zelvan
