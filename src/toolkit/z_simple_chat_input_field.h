// ZSimpleChatInputField: the text field of the messenger's chat input bar - a rounded white field in
// the chat message font whose return key reads Send.
#pragma once

#include "platform/ui/text_field.h"

namespace zelvan {

class ZSimpleChatInputField : public ui::TextField {
public:
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "ZSimpleChatInputField"; }
};

} // namespace zelvan
