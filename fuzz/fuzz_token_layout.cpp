// Fuzz target: chat line layout over random token runs (text of letters, digits, blanks, signs,
// line feeds, accented, wide and astral characters; images; colours; fonts; null markers) at widths
// 1 to 400. The layout must end, its size must be finite and not negative, and drawing (with a
// layer for the images) must give the size measuring gives.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "messaging/chat/im_message_view.h"
#include "platform/foundation/bytes.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/image.h"
#include "platform/ui/layer.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

// What one input byte of a text adds: ASCII letters, digits, a blank, signs, a line feed, and
// characters of two, three and four UTF-8 bytes (the last a surrogate pair in UTF-16).
const char* const kPieces[] = {"a",
                               "Z",
                               "q",
                               "5",
                               " ",
                               "!",
                               ",",
                               "-",
                               "\n",
                               "\xC3\xA9",
                               "\xE4\xB8\xAD",
                               "\xCC\x81",
                               "\xF0\x9F\x98\x80",
                               "\xF0\x9F\x8E\xB2",
                               "W",
                               "m"};

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    const double width = 1 + ((input.next() << 8) | input.next()) % 400;
    static const gfx::ImagePtr image = gfx::Image::fromPixels(8, 8, fnd::Bytes(8 * 8 * 4, 0x80));
    static const auto baseFont = gfx::Font::systemFontOfSize(12);

    std::vector<zelvan::MessageToken> tokens;
    while (!input.empty() && tokens.size() < 64) {
        const uint8_t op = input.next();
        switch (op % 5) {
        case 0: {
            std::string text;
            const int length = input.next() % 80;
            for (int i = 0; i < length && !input.empty(); ++i) {
                text += kPieces[input.next() % std::size(kPieces)];
            }
            tokens.emplace_back(std::move(text));
            break;
        }
        case 1:
            tokens.emplace_back(image);
            break;
        case 2:
            tokens.emplace_back(gfx::Color::rgba(input.next() / 255.0, 0.2, 0.4, 1));
            break;
        case 3:
            tokens.emplace_back(gfx::Font::systemFontOfSize(4 + input.next() % 40));
            break;
        default:
            tokens.emplace_back(zelvan::NullMarker{});
            break;
        }
    }

    const gfx::Size measured =
        zelvan::IMMessageView::calculateContentSize(width, tokens, baseFont, std::nullopt, false);
    check(std::isfinite(measured.width) && std::isfinite(measured.height));
    check(measured.width >= 0 && measured.height >= 0);

    const auto layer = ui::Layer::create();
    gfx::beginImageContext(gfx::Size{64, 64});
    const gfx::Size drawn =
        zelvan::IMMessageView::calculateContentSize(width, tokens, baseFont, gfx::Color::black(), true, layer);
    gfx::endImageContext();
    check(drawn == measured);
    size_t images = 0;
    for (const auto& token : tokens) {
        images += std::holds_alternative<gfx::ImagePtr>(token) ? 1 : 0;
    }
    check(layer->sublayers().size() == images);
    return 0;
}
