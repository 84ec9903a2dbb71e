// UIScrollBar: the offer kit's own vertical scroll bar, drawn from four images (up arrow, down arrow,
// slider, track) and attached to a scroll view: the arrows scroll by a fixed step and repeat while held,
// the slider follows the scroll position and can be dragged.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/image.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

class UIScrollBar : public ui::View, public ui::ScrollViewDelegate {
public:
    // Image indexes of the array the bar is built from.
    static constexpr size_t kTopImage = 0;
    static constexpr size_t kBottomImage = 1;
    static constexpr size_t kSliderImage = 2;
    static constexpr size_t kBarImage = 3;

    // A bar with `frame` on `scrollView` (held weakly; its owner keeps it), built from `images`.
    static std::shared_ptr<UIScrollBar> initWithFrame(gfx::Rect frame,
                                                      const std::shared_ptr<ui::ScrollView>& scrollView,
                                                      const std::vector<gfx::ImagePtr>& images);

    using ui::View::initWithFrame;
    std::string className() const override { return "UIScrollBar"; }

    // Builds the arrows, track and slider and takes over the scroll view's delegate; does nothing
    // without four images or a scroll view, or when the bar is already built.
    void initScrollBar(const std::vector<gfx::ImagePtr>& images);
    // Clear background; the up arrow lays itself out and redraws.
    void setBackground();

    // Places the slider for the scroll view's offset.
    void scrollViewDidScroll(ui::ScrollView& scrollView) override;

    // One arrow step; repeats every `scrollDelay` while the arrow stays held.
    void moveUp(ui::Control& sender);
    void moveDown(ui::Control& sender);
    // Glides the scroll view one point towards `target` per turn of the run loop, ending on it exactly.
    void setContentOffset(double target);

    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) override {}

    double scrollDelay() const { return scrollDelay_; }
    void setScrollDelay(double delay) { scrollDelay_ = delay; }
    bool continuousScrolling() const { return continuousScrolling_; }
    void setContinuousScrolling(bool on) { continuousScrolling_ = on; }
    double scrollValue() const { return scrollValue_; }
    void setScrollValue(double value) { scrollValue_ = value; }
    double verticalScrollerPadding() const { return verticalScrollerPadding_; }
    void setVerticalScrollerPadding(double padding) { verticalScrollerPadding_ = padding; }
    double availableHeight() const { return availableHeight_; }

    std::shared_ptr<ui::ScrollView> scrollView() const { return scrollView_.lock(); }
    const std::shared_ptr<ui::ImageView>& sliderImageView() const { return sliderImageView_; }
    const std::shared_ptr<ui::ImageView>& barImageView() const { return barImageView_; }
    const std::shared_ptr<ui::Button>& topImageView() const { return topImageView_; }
    const std::shared_ptr<ui::Button>& bottomImageView() const { return bottomImageView_; }

private:
    // Content height minus frame height of the scroll view (0 without one).
    double maxY() const;
    void step(bool down, bool repeated, ui::Control& sender);

    std::weak_ptr<ui::ScrollView> scrollView_;
    // The scroll view's delegate before this bar; remembered, never called.
    std::weak_ptr<ui::ScrollViewDelegate> delegate_;
    std::shared_ptr<ui::Button> topImageView_;
    std::shared_ptr<ui::Button> bottomImageView_;
    std::shared_ptr<ui::ImageView> barImageView_;
    std::shared_ptr<ui::ImageView> sliderImageView_;
    double availableHeight_ = 0;
    double verticalScrollerPadding_ = 0;
    double scrollValue_ = 0;
    double scrollDelay_ = 0;
    bool continuousScrolling_ = false;
    double scrollerTouchY_ = 0;
    bool dragging_ = false;
};

} // namespace zelvan::orvane
