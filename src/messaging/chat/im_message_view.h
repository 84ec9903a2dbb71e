// IMMessageView: lays out and draws a run of message tokens (text, inline images, colours, fonts)
// within a width, and the chat line measurer built on the same layout. Free of the messenger's
// controllers, so the in-game chat uses it for its rows too.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "messaging/chat/im_message.h"
#include "messaging/chat/message_measurer.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/layer.h"
#include "platform/ui/view.h"

namespace zelvan {

class IMMessageView : public ui::View {
public:
    std::string className() const override { return "IMMessageView"; }
    void initWithFrame(gfx::Rect frame) override;

    // The size of `tokens` laid out within `width`, starting in `font`. With `draw`, the text is
    // drawn into this thread's current context (in `textColor` and the colour tokens; nullopt keeps
    // the context's colour) and each image is added to `layer` (when given) as a sublayer.
    static gfx::Size calculateContentSize(double width, const std::vector<MessageToken>& tokens,
                                          const std::shared_ptr<gfx::Font>& font, std::optional<gfx::Color> textColor,
                                          bool draw, const std::shared_ptr<ui::Layer>& layer);
    static gfx::Size calculateContentSize(double width, const std::vector<MessageToken>& tokens,
                                          const std::shared_ptr<gfx::Font>& font, std::optional<gfx::Color> textColor,
                                          bool draw);

    // Lays the tokens out across the frame's width, drawing the text and putting the images into
    // this view's layer; with no tokens the bounds become (frame width, 0).
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

    const std::vector<MessageToken>& tokens() const { return tokens_; }
    void setTokens(std::vector<MessageToken> tokens);
    const std::shared_ptr<gfx::Font>& textFont() const { return textFont_; }
    void setTextFont(std::shared_ptr<gfx::Font> font);
    const gfx::Color& textColor() const { return textColor_; }
    void setTextColor(gfx::Color color);

private:
    std::vector<MessageToken> tokens_;
    std::shared_ptr<gfx::Font> textFont_;
    gfx::Color textColor_ = gfx::Color::black();
};

// Measures chat lines with IMMessageView's layout; what chats use unless the registry holds another.
class MessageViewMeasurer : public MessageMeasurer {
public:
    gfx::Size calculateContentSize(double width, const std::vector<MessageToken>& tokens,
                                   const std::shared_ptr<gfx::Font>& font,
                                   std::optional<gfx::Color> textColor) const override;
};

} // namespace zelvan
