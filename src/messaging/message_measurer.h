// MessageMeasurer: how much room a message's tokens take when laid out at a width. Chats measure
// every line once as it arrives through the application registry's measurer (the chat view's layout
// provides its own); until there is one, a simple word-flow measurer over the text measurement serves.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "messaging/im_message.h"
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

    // The measurer chats use: the application registry's, or a shared SimpleMessageMeasurer.
    static std::shared_ptr<MessageMeasurer> installed();
};

// Lays tokens out as flowing words: text runs break after blanks (and at a line feed), a word wider
// than the whole width breaks between characters, images sit inline at their own size, font tokens
// change the font of the following text and the null marker restores the starting font; colours
// take no room. A line is as tall as its tallest font or image. The size is rounded up to whole
// points; no tokens measure (0, 0).
class SimpleMessageMeasurer : public MessageMeasurer {
public:
    gfx::Size calculateContentSize(double width, const std::vector<MessageToken>& tokens,
                                   const std::shared_ptr<gfx::Font>& font,
                                   std::optional<gfx::Color> textColor) const override;
};

} // namespace zelvan
