// ZSimpleLoadingView: the small "working on it" box - a spinning indicator with an optional line of
// text under it on a dark rounded panel - centred in the view it is shown in.
#pragma once

#include <memory>
#include <string>

#include "toolkit/z_rounded_corner_view.h"

namespace ui {
class ActivityIndicatorView;
class Label;
} // namespace ui

namespace zelvan {

class ZSimpleLoadingView : public ZRoundedCornerView {
public:
    // The box without text, and the widest it grows for its text.
    static constexpr double kSide = 80;
    static constexpr double kMaxWidth = 200;

    static std::shared_ptr<ZSimpleLoadingView> create();

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ZSimpleLoadingView"; }

    // Shown under the indicator when not empty.
    const std::string& text() const;
    void setText(std::string text);

    // Centres the box in `view` (staying centred as it resizes) and starts the indicator. A null
    // view is refused with a log line.
    void showInView(const std::shared_ptr<ui::View>& view);
    // Stops the indicator and leaves the host; superview() is null afterwards.
    void hide();

    const std::shared_ptr<ui::ActivityIndicatorView>& indicator() const { return indicator_; }

    // The box's size for its text.
    gfx::Size sizeThatFits(gfx::Size size) const override;
    void layoutSubviews() override;

private:
    std::shared_ptr<ui::ActivityIndicatorView> indicator_;
    std::shared_ptr<ui::Label> label_;
};

} // namespace zelvan
