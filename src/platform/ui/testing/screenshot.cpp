// Writes a view's picture for a person to look at.
#include "platform/ui/testing/screenshot.h"

#include <filesystem>
#include <system_error>

#include "platform/graphics/graphics_stack.h"

namespace ui::testing {

bool saveScreenshot(View& view, const std::string& name) {
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    view.layoutIfNeeded();
    view.displayIfNeeded();
    gfx::beginImageContext(view.bounds().size);
    view.renderInContext(*gfx::getCurrentContext());
    const bool saved = gfx::savePng(*gfx::getCurrentContext(), "screenshots/" + name);
    gfx::endImageContext();
    return saved;
}

} // namespace ui::testing
