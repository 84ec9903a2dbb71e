// SVImageFactory: the two button pictures of the Selvo client, drawn in code - the landing page's back
// arrow and the interstitial's dismiss button (a black disc ringed in white with a white cross).
#pragma once

#include <memory>

#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/image.h"

namespace zelvan::selvo {

class SVImageFactory {
public:
    static constexpr double kSize = 27;

    // An RGBA bitmap context (8 bits a component, premultiplied alpha last) of `size`.
    std::shared_ptr<gfx::BitmapContext> newContext(gfx::Size size) const;
    gfx::ImagePtr newBackArrowImageRef() const;
    gfx::ImagePtr newDismissImageRef() const;
    gfx::ImagePtr backArrowImage() const { return newBackArrowImageRef(); }
    gfx::ImagePtr dismissImage() const { return newDismissImageRef(); }
};

} // namespace zelvan::selvo
