// Fuzz target: any text as a page's command queue, split at ";\n", scanned by the script bridge's command
// grammar and dispatched against a mock command table beside the bridge's own. Nothing may crash; every
// parsed command's selector holds one colon per argument, and a handler is reached only with the
// argument count of its row.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "ads/marlin/javascript_bridge.h"
#include "platform/foundation/log.h"

namespace {

using zelvan::marlin::BridgeArguments;
using zelvan::marlin::BridgeCommand;
using zelvan::marlin::CommandResult;
using zelvan::marlin::JavascriptBridge;
using zelvan::marlin::JavascriptCommandHandler;

CommandResult check(JavascriptCommandHandler&, const BridgeArguments& arguments, size_t count) {
    if (arguments.size() != count) {
        std::abort();
    }
    for (const fnd::Value& argument : arguments) {
        if (!argument.isString() && !argument.isNumber()) {
            std::abort();
        }
    }
    // Some rows fail, so the rest of a poll is dropped as well.
    return count == 2 && arguments[0].stringValue().empty() ? CommandResult::fail("empty name") : CommandResult::ok();
}

const BridgeCommand kMockCommands[] = {
    {"log:", "log", "q", "Mock", [](JavascriptCommandHandler& h, const BridgeArguments& a) { return check(h, a, 1); }},
    {"setSetting:value:", "setSettingValue", "qq", "Mock",
     [](JavascriptCommandHandler& h, const BridgeArguments& a) { return check(h, a, 2); }},
    {"hideMenuButton", "hideMenuButton", "", "Mock",
     [](JavascriptCommandHandler& h, const BridgeArguments& a) { return check(h, a, 0); }},
    {"displayContent:", "displayContent", "b", "Mock",
     [](JavascriptCommandHandler& h, const BridgeArguments& a) { return check(h, a, 1); }},
};

class MockHandler : public JavascriptCommandHandler {
public:
    std::span<const BridgeCommand> commands() const override { return kMockCommands; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), fnd::setMinLogLevel(fnd::LogLevel::Error), true);
    (void)quiet;
    static std::shared_ptr<JavascriptBridge> bridge = [] {
        auto made = std::make_shared<JavascriptBridge>();
        made->addCommandHandler(std::make_shared<MockHandler>());
        return made;
    }();
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (;;) {
        size_t end = rest.find(";\n");
        std::string_view piece = rest.substr(0, end);
        if (auto invocation = JavascriptBridge::parseCommand(piece)) {
            size_t colons = 0;
            for (char c : invocation->selector) {
                colons += c == ':' ? 1 : 0;
            }
            if (invocation->arguments.size() > colons || invocation->selector.empty()) {
                std::abort();
            }
        }
        std::string failure;
        if (!bridge->executeCocoaCommand(piece, &failure) && !failure.empty()) {
            break;
        }
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 2);
    }
    bridge->halt(); // a setPollingInterval: command left a timer
    return 0;
}
