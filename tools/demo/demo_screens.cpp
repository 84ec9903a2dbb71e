// The demo's named screenshots of the window.
#include "tools/demo/demo_screens.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/image.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/application.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

namespace {

// What the screen shows: the window, and over it the windows of the alerts and sheets on screen.
gfx::ImagePtr captureScreen(ui::Window& window, ui::Window* overlay) {
    auto image = ui::Snapshot::captureView(window);
    const auto panels = ui::AlertPanel::visiblePanels();
    if (!image || (panels.empty() && !overlay)) {
        return image;
    }
    auto context = gfx::BitmapContext::create(image->width(), image->height(), gfx::PixelFormat::Bgra8PremulFirstLE);
    if (!context) {
        return image;
    }
    const gfx::Rect whole(0, 0, image->width(), image->height());
    context->drawImage(whole, *image);
    if (overlay) {
        // The context is y-up: the overlay's top edge at frame.y from the top.
        const gfx::Rect frame = overlay->frame();
        if (auto layer = ui::Snapshot::captureView(*overlay)) {
            context->drawImage(gfx::Rect(frame.origin.x, image->height() - frame.origin.y - frame.size.height,
                                         frame.size.width, frame.size.height),
                               *layer);
        }
    }
    std::vector<ui::Window*> drawn{&window};
    for (const auto& panel : panels) {
        auto over = panel->window();
        if (!over || std::find(drawn.begin(), drawn.end(), over.get()) != drawn.end()) {
            continue;
        }
        drawn.push_back(over.get());
        if (auto layer = ui::Snapshot::captureView(*over)) {
            context->drawImage(whole, *layer);
        }
    }
    return context->makeImage();
}

} // namespace

bool DemoScreens::save(ui::Window& window, const std::string& name) {
    return write(window, nullptr, name);
}

bool DemoScreens::save(ui::Window& window, ui::Window& overlay, const std::string& name) {
    return write(window, &overlay, name);
}

bool DemoScreens::write(ui::Window& window, ui::Window* overlay, const std::string& name) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        ZLOG(Error, "demo: cannot make the screenshot folder %s (%s)", folder_, error.message());
        return false;
    }
    ui::Application::shared().flush();
    const std::string path = folder_ + "/" + name;
    auto image = captureScreen(window, overlay);
    if (!image || !fnd::writeFile(path, gfx::pngRepresentation(*image))) {
        ZLOG(Error, "demo: cannot write the screenshot %s", path);
        return false;
    }
    written_.push_back(path);
    return true;
}

} // namespace zelvan::demo
