// ui::EaglLayer: the drawable layer of a GL surface view. It holds the drawable properties the GL
// context sizes its colour renderbuffer by, and shows each presented frame as its contents.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/layer.h"

namespace ui {

enum class EaglColorFormat { Rgba8, Rgb565 };

struct EaglDrawableProperties {
    bool retainedBacking = false;
    EaglColorFormat colorFormat = EaglColorFormat::Rgba8;
};

class EaglLayer : public Layer {
public:
    static std::shared_ptr<EaglLayer> create();

    std::string className() const override { return "EaglLayer"; }

    bool opaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    const EaglDrawableProperties& drawableProperties() const { return drawableProperties_; }
    void setDrawableProperties(EaglDrawableProperties properties) { drawableProperties_ = properties; }

    // Width and height of the drawable in pixels: the ceilings of the bounds size (scale 1).
    int pixelWidth() const;
    int pixelHeight() const;

private:
    bool opaque_ = false;
    EaglDrawableProperties drawableProperties_;
};

} // namespace ui
