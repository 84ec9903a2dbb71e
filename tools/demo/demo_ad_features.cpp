// The demo's request for the advertising feature list.
#include "tools/demo/demo_ad_features.h"

#include "protocol/command_table.h"

namespace zelvan::demo {

bool askForAdFeatures(DemoSession& session) {
    auto& loop = session.delegate->networkLoop();
    const auto answered = [&loop] {
        const auto counts = loop.packetsReceivedByCommand();
        const auto found = counts.find(cmd::kAdFeatures);
        return found == counts.end() ? uint64_t{0} : found->second;
    };
    const uint64_t before = answered();
    session.delegate->send(fnd::Value::array({cmd::kAdFeatures}));
    return session.steps.waitFor("the server's next advertising feature list", [&] { return answered() > before; });
}

} // namespace zelvan::demo
