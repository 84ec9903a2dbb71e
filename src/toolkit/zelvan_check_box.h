// ZelvanCheckBox: a tick box control - square or round, drawn in a tint colour - that flips on a
// tap, sends value-changed on every change of its selection and carries a value for its owner.
#pragma once

#include <memory>
#include <optional>

#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/ui/control.h"

namespace zelvan {

class ZelvanCheckBox : public ui::Control {
public:
    enum Style { kStyleSquare = 0, kStyleRound = 1 };

    // A check box in `frame`, drawn in `tintColor` (the style's bar tint when none) as a square
    // box (style 0) or a round one (style 1; other values draw square). It starts unselected.
    static std::shared_ptr<ZelvanCheckBox> initWithFrame(gfx::Rect frame, std::optional<gfx::Color> tintColor,
                                                         int style);
    using ui::Control::initWithFrame;

    std::string className() const override { return "ZelvanCheckBox"; }

    gfx::Color tintColor() const { return tint_; }
    int style() const { return style_; }

    // Any value the owner attaches (a row's id, a card).
    const fnd::Value& data() const { return data_; }
    void setData(fnd::Value data) { data_ = std::move(data); }

    // Changing the selection sends ValueChanged to the targets; setting the current value sends
    // nothing. (Through a ui::Control reference the base setter changes it silently.)
    bool isSelected() const { return ui::Control::isSelected(); }
    void setSelected(bool selected);

    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

protected:
    // A touch that ends inside flips the selection.
    void endTrackingWithTouch(const ui::Touch& touch, const ui::Event* event) override;

private:
    void changeSelection(bool selected, const ui::Event* event);

    gfx::Color tint_;
    int style_ = kStyleSquare;
    fnd::Value data_;
};

} // namespace zelvan
