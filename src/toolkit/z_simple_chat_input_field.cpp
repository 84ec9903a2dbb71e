// The chat input field's look and keys.
#include "toolkit/z_simple_chat_input_field.h"

#include "core/zelvan_style.h"

namespace zelvan {
namespace {

// The style's chat message font, so what is typed looks like what gets sent.
constexpr int kChatMessageFont = 6;

} // namespace

void ZSimpleChatInputField::initWithFrame(gfx::Rect frame) {
    ui::TextField::initWithFrame(frame);
    setBorderStyle(ui::TextBorderStyle::RoundedRect);
    setBackgroundColor(gfx::Color::white());
    setFont(ZelvanStyle::shared()->font(kChatMessageFont));
    setTextColor(ZelvanStyle::shared()->chatMessageColor());
    setContentVerticalAlignment(ui::ContentVerticalAlignment::Center);
    setReturnKeyType(ui::ReturnKeyType::Send);
}

} // namespace zelvan
