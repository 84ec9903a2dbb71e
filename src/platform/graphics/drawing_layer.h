// gfx::Layer: an offscreen drawing surface made to match a context, drawn into once and then
// painted into other contexts any number of times.
#pragma once

#include <memory>

#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/geometry.h"

namespace gfx {

class Layer {
public:
    // A transparent layer of `size` points (rounded up to whole pixels). Null, with a log line, when
    // the size is not finite, not positive or past the bitmap limits.
    static std::shared_ptr<Layer> create(const Context& context, Size size);

    Size size() const { return size_; }
    // Drawing goes here; like a bitmap context it is y-up.
    const std::shared_ptr<BitmapContext>& context() const { return context_; }

    Layer(std::shared_ptr<BitmapContext> context, Size size) : context_(std::move(context)), size_(size) {}

private:
    std::shared_ptr<BitmapContext> context_;
    Size size_;
};

} // namespace gfx
