// The demo's named screenshots of the window.
#include "tools/demo/demo_screens.h"

#include <filesystem>
#include <system_error>

#include "platform/foundation/log.h"
#include "platform/ui/application.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

bool DemoScreens::save(ui::Window& window, const std::string& name) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        ZLOG(Error, "demo: cannot make the screenshot folder %s (%s)", folder_, error.message());
        return false;
    }
    ui::Application::shared().flush();
    const std::string path = folder_ + "/" + name;
    if (!ui::Snapshot::saveViewAsPng(window, path)) {
        ZLOG(Error, "demo: cannot write the screenshot %s", path);
        return false;
    }
    written_.push_back(path);
    return true;
}

} // namespace zelvan::demo
