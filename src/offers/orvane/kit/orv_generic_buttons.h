// ORVGenericButtons: the offer kit's one button class - the stock looks from the current skin, a tinted
// one-segment look laid over the button in the user colour with press feedback, frame helpers, and a
// payload (`customParams`) a screen hangs on the button to know which row or item was pressed.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/segmented_control.h"

namespace zelvan::orvane {

class ORVGenericButtons : public ui::Button {
public:
    // Only this initialiser (ui::View::create<ORVGenericButtons>(frame)) moves the frame down by 2.
    void initWithFrame(gfx::Rect frame) override;
    ~ORVGenericButtons() override;
    std::string className() const override { return "ORVGenericButtons"; }

    // --- Stock looks (the frame as given; missing skin images count as 0 x 0) ---
    // "Arial-BoldMT" 12.5 on the standard black images (normal, pressed).
    static std::shared_ptr<ORVGenericButtons> initBlackStandarBtnWithFrame(gfx::Rect frame);
    // (x, y, 124, 33), "Arial-BoldMT" 12: the bottom button image, a tick when selected.
    static std::shared_ptr<ORVGenericButtons> initMenuTickButtonAtX(int x, int y);
    // (x, y, standard black width + 42, its height), the standard black image in every state.
    static std::shared_ptr<ORVGenericButtons> initTabViewButtonAtx(int x, int y);
    // (x, y, bottom button width - 60, its height - 30) on the command button image.
    static std::shared_ptr<ORVGenericButtons> initStandardCommandButton(int x, int y);
    // (x, y, normal image width - 80, its height - 40) on the given images.
    static std::shared_ptr<ORVGenericButtons> initButtonWithX(int x, int y, const gfx::ImagePtr& normal,
                                                              const gfx::ImagePtr& highlight);
    // Plain buttons with the frame; the colour is not used.
    static std::shared_ptr<ORVGenericButtons> initNavBarRoundedBtnWithFrame(gfx::Rect frame, const gfx::Color& color);
    static std::shared_ptr<ORVGenericButtons> initStandardCommandButtonWithFrame(gfx::Rect frame,
                                                                                 const gfx::Color& color);
    // A new label (0, 0, the frame's size): clear, white "Arial-BoldMT" 12.5, centred, with the text.
    // It is not added to any button.
    static std::shared_ptr<ui::Label> createButtonTitle(const std::string& text, gfx::Rect frame);

    // --- The tinted look ---
    // Lays a one-segment bar-style control titled `title` over the button (in `parentView`, beside the
    // button), tinted in the user colour; presses darken it and restore `customColor`. The overlay
    // takes no touches, so the button under it gets them.
    void setStandardTintColorWithTitle(const std::string& title, const std::shared_ptr<ui::View>& parentView);
    // The same; the tint after the first press is `color`.
    void setCustomButtonTintColor(const gfx::Color& color, const std::string& title,
                                  const std::shared_ptr<ui::View>& parentView);
    // Touch down: the user colour with 20 taken from each component. Touch up: `customColor`.
    void buttonActionTouchDown(ui::Control& sender);
    void buttonActionTouchUp(ui::Control& sender);
    const std::shared_ptr<ui::SegmentedControl>& segmentButton() const { return segmentButton_; }
    const gfx::Color& customColor() const { return customColor_; }

    // --- Frame and title ---
    void changeX(double x);
    void changeY(double y);
    void changeWidth(double width);
    void changeHeight(double height);
    // The title of the normal and the highlighted state.
    void setBtnTitle(const std::string& title);

    const fnd::Value& customParams() const { return customParams_; }
    void setCustomParams(fnd::Value params) { customParams_ = std::move(params); }

private:
    // A button through the base initialiser (no shift).
    static std::shared_ptr<ORVGenericButtons> plain(gfx::Rect frame);
    void setTitleFont(double size);
    void applyTint(const std::string& title, const std::shared_ptr<ui::View>& parentView, const gfx::Color& custom);

    fnd::Value customParams_;
    std::shared_ptr<ui::SegmentedControl> segmentButton_;
    gfx::Color customColor_;
};

} // namespace zelvan::orvane
