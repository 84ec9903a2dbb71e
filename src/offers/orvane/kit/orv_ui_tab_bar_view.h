// ORVUITabBarView: the offer kit's bottom tab bar - a row of equal-width ORVTabBarBtns over the skin's
// tab bar image, of which the tapped (or chosen) one is shown selected. Callers add their own targets
// to the buttons for what a tab does.
#pragma once

#include <memory>
#include <vector>

#include "offers/orvane/kit/orv_tab_bar_btn.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

class ORVUITabBarView : public ui::View {
public:
    static constexpr double kWidth = 320;
    static constexpr double kHeight = 49;

    // A bar (0, y, 320, 49) of `count` buttons, each bar width / count - 1.5 wide from x 1 with one
    // point between them; null for a count of 0 or less.
    static std::shared_ptr<ORVUITabBarView> initWithTotalButtons(int count, int y);
    ~ORVUITabBarView() override;

    std::string className() const override { return "ORVUITabBarView"; }

    // The button at `index`, or null outside the bar.
    std::shared_ptr<ORVTabBarBtn> getORVTabBarBtnAtIndex(int index) const;
    // Shows `button` selected (its selected icon and background) and every other one plain; a button
    // not in the bar leaves them all plain.
    void setSelected(const ORVTabBarBtn* button);
    // What a tap on a tab does: logs "Button Pressed", then setSelected.
    void toggleHighlight(const ORVTabBarBtn* button);

    const std::vector<std::shared_ptr<ORVTabBarBtn>>& tabButtonsArray() const { return tabButtonsArray_; }

private:
    std::vector<std::shared_ptr<ORVTabBarBtn>> tabButtonsArray_;
    std::shared_ptr<ui::ImageView> background_;
};

} // namespace zelvan::orvane
