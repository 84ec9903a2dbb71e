// ZelvanWidget's look: the colour table, web colours and the buttons in the kit's skins.
#include <array>

#include "platform/graphics/font.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

// Distinct colours that read on the light backgrounds of lists and chats (names, tags, avatars).
constexpr std::array<uint32_t, 12> kColorTable = {
    0xC0392B, // red
    0x2471A3, // blue
    0x1E8449, // green
    0xCA6F1E, // orange
    0x7D3C98, // purple
    0x117A65, // teal
    0xB7950B, // mustard
    0xA93226, // brick
    0x2E4053, // slate
    0xAF601A, // brown
    0xC2185B, // magenta
    0x5D6D7E, // grey blue
};

// A skinned button: `skin` from the bundle, stretched around its middle column and row (or after a
// fixed left cap when `leftCap` is set), with the button sized to it.
std::shared_ptr<ui::Button> skinnedButton(std::string_view skin, const gfx::Color& titleColor, int leftCap = -1) {
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->titleLabel()->setFont(gfx::Font::boldSystemFontOfSize(ZelvanWidget::buttonFontSize()));
    button->setTitleColor(titleColor, ui::ControlState::Normal);
    if (const auto image = ZelvanWidget::imageFromResource(skin, true)) {
        const int cap = leftCap >= 0 ? leftCap : image->width() / 2 - 1;
        button->setBackgroundImage(image->stretchableImageWithLeftCapWidth(cap, image->height() / 2),
                                   ui::ControlState::Normal);
        button->setFrame(gfx::Rect(gfx::Point{}, image->size()));
    }
    return button;
}

const gfx::Color kDarkTitle = gfx::Color::fromRgbHex(0x333333);

} // namespace

gfx::Color ZelvanWidget::colorForId(int id) {
    const int size = colorTableSize();
    return gfx::Color::fromRgbHex(kColorTable[static_cast<size_t>((id % size + size) % size)]);
}

int ZelvanWidget::colorTableSize() {
    return static_cast<int>(kColorTable.size());
}

gfx::Color ZelvanWidget::colorFromWeb(int rgb, double alpha) {
    return gfx::Color::fromRgbHex(static_cast<uint32_t>(rgb) & 0xFFFFFF, alpha);
}

gfx::Color ZelvanWidget::newColorFromWeb(int rgb, double alpha) {
    return colorFromWeb(rgb, alpha);
}

std::shared_ptr<ui::Button> ZelvanWidget::newWhiteButton() {
    return skinnedButton("button-white", kDarkTitle);
}

std::shared_ptr<ui::Button> ZelvanWidget::newBarButton() {
    return skinnedButton("button-bar", gfx::Color::white());
}

std::shared_ptr<ui::Button> ZelvanWidget::newBarBackButton() {
    // The arrow is the left cap, so the title starts after it.
    auto button = skinnedButton("button-bar-back", gfx::Color::white(), 14);
    button->setContentEdgeInsets(gfx::EdgeInsets{0, 10, 0, 4});
    return button;
}

std::shared_ptr<ui::Button> ZelvanWidget::newMossBarButton() {
    return skinnedButton("button-moss-bar", gfx::Color::white());
}

std::shared_ptr<ui::Button> ZelvanWidget::newIMBarButton() {
    return skinnedButton("button-im-bar", gfx::Color::white());
}

std::shared_ptr<ui::Button> ZelvanWidget::newInputBarLightBlueButton() {
    return skinnedButton("button-input-lightblue", gfx::Color::white());
}

std::shared_ptr<ui::Button> ZelvanWidget::newInputBarRedButton() {
    return skinnedButton("button-input-red", gfx::Color::white());
}

double ZelvanWidget::buttonFontSize() {
    return 12;
}

} // namespace zelvan
