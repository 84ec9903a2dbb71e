// ui::Button: a control with per-state titles, title colours, images and background images (each
// falling back to the Normal state), a title label and an image view laid out by the content
// alignments and edge insets, and a plain drawn look for the built-in button types.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/color.h"
#include "platform/graphics/image.h"
#include "platform/ui/control.h"

namespace ui {

class Label;
class ImageView;

enum class ButtonType {
    Custom = 0,
    RoundedRect = 1,
    DetailDisclosure = 2,
    InfoLight = 3,
    InfoDark = 4,
    ContactAdd = 5,
};

class Button : public Control {
public:
    // A button of `type` with a zero frame. The glyph types (disclosure, info, contact add) take
    // their fixed size.
    static std::shared_ptr<Button> buttonWithType(ButtonType type);

    explicit Button(ButtonType type = ButtonType::Custom) : type_(type) {}
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "Button"; }

    ButtonType buttonType() const { return type_; }

    void setTitle(std::optional<std::string> title, ControlState state);
    void setTitleColor(std::optional<gfx::Color> color, ControlState state);
    void setTitleShadowColor(std::optional<gfx::Color> color, ControlState state);
    void setImage(gfx::ImagePtr image, ControlState state);
    void setBackgroundImage(gfx::ImagePtr image, ControlState state);

    // The value set for exactly `state`, else the Normal one.
    std::optional<std::string> titleForState(ControlState state) const;
    std::optional<gfx::Color> titleColorForState(ControlState state) const;
    std::optional<gfx::Color> titleShadowColorForState(ControlState state) const;
    gfx::ImagePtr imageForState(ControlState state) const;
    gfx::ImagePtr backgroundImageForState(ControlState state) const;

    // The values for the current state.
    std::optional<std::string> currentTitle() const { return titleForState(state()); }
    std::optional<gfx::Color> currentTitleColor() const { return titleColorForState(state()); }
    gfx::ImagePtr currentImage() const { return imageForState(state()); }
    gfx::ImagePtr currentBackgroundImage() const { return backgroundImageForState(state()); }

    // The label showing the current title (bold system 15) and the view showing the current image.
    const std::shared_ptr<Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<ImageView>& imageView() const { return imageView_; }

    bool showsTouchWhenHighlighted() const { return showsTouchWhenHighlighted_; }
    void setShowsTouchWhenHighlighted(bool shows) { showsTouchWhenHighlighted_ = shows; }
    bool adjustsImageWhenHighlighted() const { return adjustsImageWhenHighlighted_; }
    void setAdjustsImageWhenHighlighted(bool adjusts) { adjustsImageWhenHighlighted_ = adjusts; }
    bool adjustsImageWhenDisabled() const { return adjustsImageWhenDisabled_; }
    void setAdjustsImageWhenDisabled(bool adjusts) { adjustsImageWhenDisabled_ = adjusts; }

    // The content rect is the bounds inset by contentEdgeInsets; the image and title are placed in
    // it side by side (image first) by the content alignments, then each is shifted by its own
    // insets (left - right, top - bottom).
    gfx::EdgeInsets contentEdgeInsets() const { return contentInsets_; }
    void setContentEdgeInsets(gfx::EdgeInsets insets);
    gfx::EdgeInsets titleEdgeInsets() const { return titleInsets_; }
    void setTitleEdgeInsets(gfx::EdgeInsets insets);
    gfx::EdgeInsets imageEdgeInsets() const { return imageInsets_; }
    void setImageEdgeInsets(gfx::EdgeInsets insets);

    // Where the title and image go within `bounds` for the current state.
    gfx::Rect titleRectForContentRect(gfx::Rect contentRect) const;
    gfx::Rect imageRectForContentRect(gfx::Rect contentRect) const;
    gfx::Rect contentRectForBounds(gfx::Rect bounds) const;

    // Image plus title (side by side) plus the content insets; the glyph types answer their size;
    // with neither title nor image, the background image's size.
    gfx::Size sizeThatFits(gfx::Size size) const override;

    void layoutSubviews() override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

protected:
    void stateDidChange() override;

private:
    template <class T>
    static std::optional<T> lookup(const std::map<uint32_t, T>& map, ControlState state);
    template <class T>
    void store(std::map<uint32_t, T>& map, std::optional<T> value, ControlState state);
    // Pushes the current state's title, colours and image to the subviews.
    void refreshContent();
    gfx::Size titleSize() const;
    gfx::Size imageSize() const;
    void drawGlyph(gfx::Context& ctx) const;

    ButtonType type_;
    std::map<uint32_t, std::string> titles_;
    std::map<uint32_t, gfx::Color> titleColors_;
    std::map<uint32_t, gfx::Color> titleShadowColors_;
    std::map<uint32_t, gfx::ImagePtr> images_;
    std::map<uint32_t, gfx::ImagePtr> backgroundImages_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<ImageView> imageView_;
    bool showsTouchWhenHighlighted_ = false;
    bool adjustsImageWhenHighlighted_ = true;
    bool adjustsImageWhenDisabled_ = true;
    gfx::EdgeInsets contentInsets_;
    gfx::EdgeInsets titleInsets_;
    gfx::EdgeInsets imageInsets_;
};

} // namespace ui
