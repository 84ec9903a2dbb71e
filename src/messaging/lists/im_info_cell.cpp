// The text row of the messenger's home list: one wrapped label in the style's font 14.
#include "messaging/lists/im_info_cell.h"

#include "core/zelvan_style.h"

namespace zelvan {

void IMInfoCell::reloadWithText(const std::string& text, double height) {
    if (!infoLabel_) {
        const auto& style = *ZelvanStyle::shared();
        infoLabel_ = ui::View::create<ui::Label>(gfx::Rect(0, 0, kWidth, height));
        infoLabel_->setBackgroundColor(style.viewBackgroundColor());
        infoLabel_->setLineBreakMode(ui::LineBreakMode::WordWrap);
        infoLabel_->setNumberOfLines(0);
        infoLabel_->setFont(style.font(14));
        contentView()->addSubview(infoLabel_);
        setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    }
    infoLabel_->setFrame(gfx::Rect(0, 0, kWidth, height));
    if (infoLabel_->text() != text) {
        infoLabel_->setText(text);
    }
}

} // namespace zelvan
