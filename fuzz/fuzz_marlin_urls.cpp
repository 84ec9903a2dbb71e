// Fuzz target: any text as an address the interstitial client's page asks to load, through the content
// controller's URL policy (its first byte picks the navigation type and browser mode), with the store in
// a temporary application root and the script bridge's command handlers replaced by a recording one.
// Nothing may crash, and nothing may be written outside Documents.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "ads/marlin/javascript_bridge.h"
#include "ads/marlin/javascript_bridge_animation_delegate.h"
#include "ads/marlin/javascript_bridge_delegate.h"
#include "ads/marlin/mn_content_controller.h"
#include "ads/marlin/mn_database.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/foundation/thread.h"
#include "platform/ui/application.h"

namespace {

using zelvan::marlin::BridgeArguments;
using zelvan::marlin::BridgeCommand;
using zelvan::marlin::CommandResult;
using zelvan::marlin::JavascriptCommandHandler;

// Every bridge command a performCommand load may name, answered without side effects.
const BridgeCommand kRecorded[] = {
    {"log:", "log", "q", "Mock", [](JavascriptCommandHandler&, const BridgeArguments&) { return CommandResult::ok(); }},
    {"setSetting:value:", "setSettingValue", "qq", "Mock",
     [](JavascriptCommandHandler&, const BridgeArguments&) { return CommandResult::ok(); }},
};

class RecordingHandler : public JavascriptCommandHandler {
public:
    std::span<const BridgeCommand> commands() const override { return kRecorded; }
};

struct Fixture {
    fnd::testing::ScopedAppRoot root;
    std::shared_ptr<zelvan::marlin::MNContentController> content;
    Fixture() {
        fnd::initMainThread();
        auto database = std::make_shared<zelvan::marlin::MNDatabase>();
        content = std::make_shared<zelvan::marlin::MNContentController>(std::weak_ptr<zelvan::marlin::MNContentOwner>(),
                                                                        database);
        content->preparePageBrowserMode(false);
        database->createTable("t1");
        auto bridge = content->jsBridge();
        bridge->halt();
        bridge->removeCommandHandler(content->jsBridgeDelegate());
        for (auto handler : std::vector(bridge->commandHandlers())) {
            bridge->removeCommandHandler(handler);
        }
        bridge->addCommandHandler(std::make_shared<RecordingHandler>());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), fnd::setMinLogLevel(fnd::LogLevel::Error), true);
    (void)quiet;
    static Fixture fixture;
    if (size == 0) {
        return 0;
    }
    const auto type = static_cast<ui::NavigationType>(data[0] % 6);
    fixture.content->setBrowserMode((data[0] & 0x80) != 0);
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    ui::Application::shared().clearOpenedUrls();
    if (auto url = fnd::Url::parse(text)) {
        fixture.content->shouldStartLoad(*url, type);
    }
    // Only Documents (and the folders the root starts with) may hold anything.
    const std::string documents = fnd::AppFolders::documents();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(fixture.root.root())) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file() && path.rfind(documents + "/", 0) != 0 &&
            path.find("/Library/Preferences/") == std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
