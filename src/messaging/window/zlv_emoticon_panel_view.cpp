// The emoticon picker sheet: its grid of picture buttons, the choice, closing on other touches and
// the extra room it takes above its own content.
#include "messaging/window/zlv_emoticon_panel_view.h"

#include <algorithm>

#include "messaging/chat/emoticon_texts.h"
#include "platform/ui/button.h"
#include "protocol/tracer.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

constexpr int kColumns = 7;
constexpr double kCell = 40;
constexpr double kLeft = 25;
constexpr double kTop = 35;

} // namespace

std::shared_ptr<ZLVEmoticonPanelView> ZLVEmoticonPanelView::create() {
    auto panel = ui::ActionSheet::initWithTitle<ZLVEmoticonPanelView>("", {});
    panel->addPictureButtons();
    return panel;
}

const std::vector<std::string>& ZLVEmoticonPanelView::emoticonTextList() {
    return zelvan::emoticonTextList();
}

void ZLVEmoticonPanelView::addPictureButtons() {
    const std::weak_ptr<ZLVEmoticonPanelView> weakSelf = self<ZLVEmoticonPanelView>();
    for (int i = 0; i < kEmoticonCount; ++i) {
        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        button->setTag(kFirstTag + i);
        button->setFrame(gfx::Rect{kLeft + kCell * (i % kColumns), kTop + kCell * (i / kColumns), kCell, kCell});
        button->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Center);
        button->setContentVerticalAlignment(ui::ContentVerticalAlignment::Center);
        button->setImage(ZelvanWidget::imageFromResource(emoticonImageName(i), true), ui::ControlState::Normal);
        button->addTarget(weakSelf, &ZLVEmoticonPanelView::iconSelected, ui::ControlEvents::TouchUpInside);
        addSubview(button);
    }
}

void ZLVEmoticonPanelView::iconSelected(ui::Control& button) {
    const int64_t index = button.tag() - kFirstTag;
    const auto& texts = emoticonTextList();
    if (index < 0 || index >= static_cast<int64_t>(texts.size())) {
        ZLOG(Warn, "emoticon panel: button tag %lld is no emoticon", static_cast<long long>(button.tag()));
    } else if (auto delegate = emoticonDelegate()) {
        delegate->emoticonSelected(static_cast<int32_t>(index), texts[static_cast<size_t>(index)]);
    }
    dismissWithClickedButtonIndex(0, ui::Animated::Yes);
}

std::shared_ptr<ui::View> ZLVEmoticonPanelView::hitTest(gfx::Point point, const ui::Event* event) {
    auto hit = ui::ActionSheet::hitTest(point, event);
    if (hit && hit.get() != this) {
        return hit;
    }
    dismissWithClickedButtonIndex(0, ui::Animated::Yes);
    return hit;
}

gfx::Size ZLVEmoticonPanelView::sizeThatFits(gfx::Size size) const {
    gfx::Size fits = ui::ActionSheet::sizeThatFits(size);
    fits.height = std::max(fits.height, kCell);
    return fits;
}

void ZLVEmoticonPanelView::notifyWillPresent() {
    grown_ = false;
    ui::ActionSheet::notifyWillPresent();
}

void ZLVEmoticonPanelView::drawRect(gfx::Rect rect) {
    if (!grown_) {
        grown_ = true;
        gfx::Rect grownFrame = frame();
        grownFrame.origin.y -= kExtraHeight;
        grownFrame.size.height += kExtraHeight;
        setFrame(grownFrame);
    }
    rect.size.height += 2 * kExtraHeight;
    ui::ActionSheet::drawRect(rect);
}

} // namespace zelvan
