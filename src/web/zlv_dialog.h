// ZLVDialog: the framed dialog of the web platform. Shown in a view, it dims that view and centres a
// frame holding a content view (sized from the content size the subclass asks for, clamped to the
// view) with a close button; it fades in and out. Subclasses fill the content view.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/value.h"
#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace ui {
class Button;
}

namespace zelvan {

class ZLVDialog : public ui::View {
public:
    // How long the fade in or out takes.
    static constexpr double kAnimationDuration = 0.3;
    // The frame's border around the content view.
    static constexpr double kBorder = 10;
    // The square close button at the frame's top-right corner.
    static constexpr double kCloseButtonSize = 30;
    // The content size used for a side the subclass leaves at 0.
    static constexpr double kDefaultContentWidth = 280;
    static constexpr double kDefaultContentHeight = 200;

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ZLVDialog"; }

    // Covers `view` (following its size) and shows the frame centred in it. The content view is
    // loaded on the first show. contentViewDidAppear follows the fade-in (at once when not
    // animated). Showing again while shown only moves the dialog. A null view is refused (logged).
    void showInView(const std::shared_ptr<ui::View>& view, ui::Animated animated);
    // Removes the dialog: at once, or after a fade-out when animated (the dialog keeps itself alive
    // until then). The close button hides it animated.
    void hide(ui::Animated animated);
    // Shown and not on its way out.
    bool isVisible() const;

    // Fills contentView(); called once, on the first show, after the frame is laid out.
    virtual void loadContentView() {}
    // The content is on screen: the show has finished.
    virtual void contentViewDidAppear() {}
    // New context for the content (a dictionary from the page or the server); subclasses redraw.
    virtual void refreshWithCtx(const fnd::Value& /*ctx*/) {}

    // The content size asked for (the frame adds kBorder on every side); a side of 0 keeps the
    // default for that side.
    gfx::Size preferredContentSize() const { return preferredContentSize_; }
    void setPreferredContentSize(gfx::Size size);

    const std::shared_ptr<ui::View>& frameView() const { return frameView_; }
    const std::shared_ptr<ui::View>& contentView() const { return contentView_; }
    const std::shared_ptr<ui::Button>& closeButton() const { return closeButton_; }

    void layoutSubviews() override;

protected:
    gfx::Size preferredContentSize_{kDefaultContentWidth, kDefaultContentHeight};

private:
    void closeTapped();

    std::shared_ptr<ui::View> frameView_;
    std::shared_ptr<ui::View> contentView_;
    std::shared_ptr<ui::Button> closeButton_;
    bool contentLoaded_ = false;
    bool hiding_ = false;
    // Bumped by every show and hide, so the end of an overtaken fade does nothing.
    uint64_t generation_ = 0;
};

} // namespace zelvan
