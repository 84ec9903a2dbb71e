// The in-game chat field's look and traits.
#include "toolkit/z_simple_input_field.h"

#include "platform/graphics/font.h"

namespace zelvan {

void ZSimpleInputField::initWithFrame(gfx::Rect frame) {
    ui::TextField::initWithFrame(frame);
    setBorderStyle(ui::TextBorderStyle::Line);
    setBackgroundColor(gfx::Color::white());
    setFont(gfx::Font::systemFontOfSize(gfx::Font::systemFontSize()));
    setContentVerticalAlignment(ui::ContentVerticalAlignment::Center);
    setAutocorrectionType(ui::AutocorrectionType::No);
    setAutocapitalizationType(ui::AutocapitalizationType::None);
}

} // namespace zelvan
