// ui::ActivityIndicatorView: the spinning-wheel indicator - a fixed size per style, started and
// stopped by product code, hidden while stopped unless told otherwise.
#pragma once

#include "platform/ui/view.h"

namespace ui {

enum class ActivityIndicatorViewStyle { WhiteLarge = 0, White = 1, Gray = 2 };

class ActivityIndicatorView : public View {
public:
    // An indicator of `style` at the origin: 37 points square for WhiteLarge, 20 for the others.
    // It starts stopped (and so hidden).
    static std::shared_ptr<ActivityIndicatorView> initWithActivityIndicatorStyle(ActivityIndicatorViewStyle style);

    // The frame keeps its origin and takes the style's size.
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "ActivityIndicatorView"; }

    static double sideForStyle(ActivityIndicatorViewStyle style);

    ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return style_; }
    void setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style);
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return animating_; }
    // True by default: the view is hidden whenever it is not animating.
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);

    gfx::Size sizeThatFits(gfx::Size size) const override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    void updateHidden();

    ActivityIndicatorViewStyle style_ = ActivityIndicatorViewStyle::White;
    bool animating_ = false;
    bool hidesWhenStopped_ = true;
};

} // namespace ui
