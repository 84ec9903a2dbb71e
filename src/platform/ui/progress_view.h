// ui::ProgressView: a 9-point bar showing progress from 0 to 1.
#pragma once

#include "platform/ui/view.h"

namespace ui {

enum class ProgressViewStyle { Default = 0, Bar = 1 };

class ProgressView : public View {
public:
    static constexpr double kHeight = 9;

    // A progress view of `style`, 9 points high and with no width yet.
    static std::shared_ptr<ProgressView> initWithProgressViewStyle(ProgressViewStyle style);

    // The frame takes the bar's height.
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "ProgressView"; }

    ProgressViewStyle progressViewStyle() const { return style_; }
    void setProgressViewStyle(ProgressViewStyle style);
    double progress() const { return progress_; }
    // Clamped to 0...1 (a value that is not a number counts as 0).
    void setProgress(double progress);

    gfx::Size sizeThatFits(gfx::Size /*size*/) const override { return {bounds().width(), kHeight}; }
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    ProgressViewStyle style_ = ProgressViewStyle::Default;
    double progress_ = 0;
};

} // namespace ui
