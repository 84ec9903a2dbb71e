// IMMessage: one line of a conversation. The text is not kept: on arrival it is cut into drawing
// tokens (text runs, inline images, colour and font switches), and the message keeps those tokens
// with the size they take when laid out.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "messaging/model/base_card.h"
#include "platform/foundation/object.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

namespace zelvan {

// The token that restores the view's own font and text colour.
struct NullMarker {
    constexpr bool operator==(const NullMarker&) const = default;
};

// One drawing token: a text run (a line feed inside it breaks the line), an inline image, a colour
// or a font made current for the following text, or the null marker.
using MessageToken = std::variant<std::string, gfx::ImagePtr, gfx::Color, std::shared_ptr<gfx::Font>, NullMarker>;

class IMMessage : public fnd::Object {
public:
    static constexpr int32_t kTypeChat = 1;
    static constexpr int32_t kTypeSystem = 2;
    static constexpr int32_t kTypePicture = 3;

    static std::shared_ptr<IMMessage> create() { return std::make_shared<IMMessage>(); }

    std::string className() const override { return "IMMessage"; }

    // Appends the tokens of `text` to `container`: each run of plain text as a string, each emoticon
    // as its image from the widget kit's cache, in source order. An empty text adds nothing.
    static void extractTokens(std::string_view text, std::vector<MessageToken>& container);

    // extractTokens into this message's own tokens.
    void appendMessage(std::string_view text);
    // Appends one ready-made token; a null image or font is ignored.
    void addToken(MessageToken token);

    const std::vector<MessageToken>& tokens() const { return tokens_; }

    // The sender; null for the user's own lines and for system lines.
    const std::shared_ptr<baseCard>& card() const { return card_; }
    void setCard(std::shared_ptr<baseCard> card) { card_ = std::move(card); }
    // The picture address of a picture line, otherwise nullopt.
    const std::optional<std::string>& url() const { return url_; }
    void setUrl(std::optional<std::string> url) { url_ = std::move(url); }
    // 1 chat text, 2 system line, 3 picture; 0 until set.
    int32_t type() const { return type_; }
    void setType(int32_t type) { type_ = type; }
    // The laid-out width and height of the tokens, measured once when the line is added.
    gfx::Size size() const { return size_; }
    void setSize(gfx::Size size) { size_ = size; }

private:
    std::shared_ptr<baseCard> card_;
    std::vector<MessageToken> tokens_;
    std::optional<std::string> url_;
    int32_t type_ = 0;
    gfx::Size size_;
};

} // namespace zelvan
