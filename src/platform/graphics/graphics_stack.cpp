// The per-thread graphics stack and image contexts, and saving a context as a PNG file.
#include "platform/graphics/graphics_stack.h"

#include <cmath>
#include <vector>

#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/graphics/image.h"

namespace gfx {

namespace {

struct Entry {
    std::shared_ptr<Context> context;
    bool imageContext = false;
};

std::vector<Entry>& stack() {
    thread_local std::vector<Entry> entries;
    return entries;
}

bool imageContextOnTop() {
    return !stack().empty() && stack().back().imageContext;
}

} // namespace

std::shared_ptr<Context> getCurrentContext() {
    return stack().empty() ? nullptr : stack().back().context;
}

void pushContext(std::shared_ptr<Context> context) {
    if (context) {
        stack().push_back(Entry{std::move(context), false});
    }
}

void popContext() {
    if (!stack().empty()) {
        stack().pop_back();
    }
}

void beginImageContext(Size size) {
    double w = std::ceil(size.width), h = std::ceil(size.height);
    if (!(w >= 1 && h >= 1 && w <= 1e6 && h <= 1e6)) {
        ZLOG(Warn, "gfx: image context of size %gx%g refused", size.width, size.height);
        return;
    }
    if (auto context = Context::createView(int(w), int(h))) {
        stack().push_back(Entry{std::move(context), true});
    }
}

std::shared_ptr<Image> imageFromCurrentImageContext() {
    return imageContextOnTop() ? stack().back().context->makeImage() : nullptr;
}

void endImageContext() {
    if (!imageContextOnTop()) {
        ZLOG(Warn, "gfx: endImageContext without a current image context; ignored");
        return;
    }
    stack().pop_back();
}

bool savePng(Context& context, const std::string& path) {
    fnd::Bytes png = context.pngRepresentation();
    if (png.empty()) {
        ZLOG(Warn, "gfx: could not encode a %dx%d context as PNG", context.width(), context.height());
        return false;
    }
    if (!fnd::writeFile(path, png)) {
        ZLOG(Warn, "gfx: could not write PNG to %s", path);
        return false;
    }
    return true;
}

} // namespace gfx
