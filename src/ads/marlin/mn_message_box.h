// MNMessageBox: the interstitial client's own alert-style box, a translucent dark rounded panel with a
// white border, centred over the key window, that stacks views (title, message, spinner, a small web
// view) in a scrolling area at most 320 points high. It pops in (scale and fade) and fades out.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/graphics/drawing_layer.h"
#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"

namespace ui {
class Label;
class ScrollView;
} // namespace ui

namespace zelvan::marlin {

class MNMessageBoxView : public ui::View {
public:
    static constexpr double kMaximumHeight = 320;
    static constexpr double kBorderWidth = 4;

    std::string className() const override { return "MNMessageBoxView"; }
    void initWithFrame(gfx::Rect frame) override;
    // Paints the background at the view's size, and makes the content area.
    void initialize();
    void drawRect(gfx::Rect rect) override;
    // Fits the box to its content (at most kMaximumHeight high), repaints and restacks.
    void sizeToFit();
    void layoutViews();
    void addView(const std::shared_ptr<ui::View>& view);
    // Only a view of the content area is removed; the later ones move up.
    void removeView(const std::shared_ptr<ui::View>& view);
    void updateBackgroundLayerForSize(gfx::Size size);

    gfx::Size contentSize() const;
    void setContentSize(gfx::Size size);
    double cornerRadius() const { return cornerRadius_; }
    const std::shared_ptr<ui::ScrollView>& contentView() const { return contentView_; }
    const std::shared_ptr<gfx::Layer>& bgLayer() const { return bgLayer_; }

private:
    std::shared_ptr<gfx::Layer> bgLayer_;
    double cornerRadius_ = 16;
    mutable std::mutex sizeMutex_;
    gfx::Size contentSize_;
    std::shared_ptr<ui::ScrollView> contentView_;
};

class MNMessageBox : public ui::ViewController {
public:
    static constexpr const char* kAnimationName = "MNMessageBox";
    static constexpr double kAnimationSeconds = 0.5;

    static std::shared_ptr<MNMessageBox> messageBox();
    std::string className() const override { return "MNMessageBox"; }
    void loadView() override;

    void setTitle(const std::string& text);
    void setMessage(const std::string& text);
    void addView(const std::shared_ptr<ui::View>& view);
    void removeView(const std::shared_ptr<ui::View>& view);
    // Pops the box in, centred on the key window; nothing without one.
    void show();
    // Fades the box out and removes it when the fade ends.
    void hide();
    void setTransform(const gfx::AffineTransform& transform);
    void animationFinished(const std::string& name, bool finished);

    std::shared_ptr<MNMessageBoxView> boxView();
    const std::shared_ptr<ui::Label>& titleView() const { return titleView_; }
    const std::shared_ptr<ui::Label>& messageView() const { return messageView_; }

private:
    std::shared_ptr<ui::Label> makeLabel(const std::string& text, bool bold);

    std::shared_ptr<ui::Label> titleView_;
    std::shared_ptr<ui::Label> messageView_;
};

} // namespace zelvan::marlin
