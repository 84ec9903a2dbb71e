// MessageMeasurer: how much room a message's tokens take when laid out at a width. Chats measure
// every line once as it arrives through the application registry's measurer, or by default with the
// chat view's token layout (IMMessageView).
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "messaging/chat/im_message.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"

namespace zelvan {

class MessageMeasurer {
public:
    virtual ~MessageMeasurer() = default;

    // The size of `tokens` laid out within `width`, starting with `font` and `textColor` (nullopt:
    // the view's own colour) as the current font and colour.
    virtual gfx::Size calculateContentSize(double width, const std::vector<MessageToken>& tokens,
                                           const std::shared_ptr<gfx::Font>& font,
                                           std::optional<gfx::Color> textColor) const = 0;

    // The measurer chats use: the application registry's, or a shared MessageViewMeasurer.
    static std::shared_ptr<MessageMeasurer> installed();
};

} // namespace zelvan
