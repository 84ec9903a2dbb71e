// ORVUITabBarView: the tab bar's layout and selection.
#include "offers/orvane/kit/orv_ui_tab_bar_view.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_settings.h"

namespace zelvan::orvane {

std::shared_ptr<ORVUITabBarView> ORVUITabBarView::initWithTotalButtons(int count, int y) {
    if (count <= 0) {
        return nullptr;
    }
    auto bar = ui::View::create<ORVUITabBarView>(gfx::Rect(0, y, kWidth, kHeight));
    bar->tabButtonsArray_.reserve(static_cast<size_t>(count));
    bar->background_ = ui::View::create<ui::ImageView>(bar->bounds());
    bar->background_->setUserInteractionEnabled(true);
    bar->background_->setImage(ORVSettings::getTabBarImg());
    bar->addSubview(bar->background_);

    const double width = bar->frame().size.width / count - 1.5;
    std::weak_ptr<ORVUITabBarView> weak = bar;
    double x = 1;
    for (int i = 0; i < count; ++i) {
        auto button = ui::View::create<ORVTabBarBtn>(gfx::Rect(x, 4, width, 0));
        button->addTarget(
            weak,
            [weak](ui::Control& sender, const ui::Event*) {
                if (auto owner = weak.lock()) {
                    owner->toggleHighlight(dynamic_cast<const ORVTabBarBtn*>(&sender));
                }
            },
            ui::ControlEvents::TouchUpInside);
        bar->addSubview(button);
        bar->tabButtonsArray_.push_back(button);
        x += width + 1;
    }
    return bar;
}

ORVUITabBarView::~ORVUITabBarView() {
    ORVLog::logWithLevel(4, "Tab Bar Dellocting");
    tabButtonsArray_.clear();
}

std::shared_ptr<ORVTabBarBtn> ORVUITabBarView::getORVTabBarBtnAtIndex(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= tabButtonsArray_.size()) {
        return nullptr;
    }
    return tabButtonsArray_[static_cast<size_t>(index)];
}

void ORVUITabBarView::setSelected(const ORVTabBarBtn* button) {
    for (const auto& each : tabButtonsArray_) {
        if (each.get() == button) {
            each->setMeSelected(true);
            each->showHighlighIcon();
            each->setBackgroundImage(ORVSettings::getTabBarBtnHighlightImg(), ui::ControlState::Normal);
        } else {
            each->setBackgroundImage(nullptr, ui::ControlState::Normal);
            each->setMeSelected(false);
            each->showSimpleIcon();
        }
    }
}

void ORVUITabBarView::toggleHighlight(const ORVTabBarBtn* button) {
    ORVLog::logWithLevel(4, "Button Pressed");
    setSelected(button);
}

} // namespace zelvan::orvane
