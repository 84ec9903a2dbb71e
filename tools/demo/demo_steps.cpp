// The demo's step runner: waits on the main run loop with a time limit and the message of the first
// step that fails.
#include "tools/demo/demo_steps.h"

#include <cstdio>

#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"

namespace zelvan::demo {

bool DemoSteps::waitFor(std::string_view step, const std::function<bool()>& done) {
    if (failed()) {
        return false;
    }
    if (!fnd::RunLoop::main().pumpUntil(done, stepSeconds_)) {
        fail(fnd::format("step \"%s\" timed out after %.1f s", std::string(step), stepSeconds_));
        return false;
    }
    ZLOG(Info, "demo: %s", std::string(step));
    done_.emplace_back(step);
    return true;
}

bool DemoSteps::act(std::string_view step, bool succeeded) {
    if (failed()) {
        return false;
    }
    if (!succeeded) {
        fail(fnd::format("step \"%s\" could not be done", std::string(step)));
        return false;
    }
    ZLOG(Info, "demo: %s", std::string(step));
    done_.emplace_back(step);
    return true;
}

void DemoSteps::pause(double seconds) {
    fnd::RunLoop::main().pumpUntil([] { return false; }, seconds);
}

void DemoSteps::allow(double seconds, const std::function<bool()>& ready) {
    fnd::RunLoop::main().pumpUntil(ready, seconds);
}

void DemoSteps::fail(std::string message) {
    failure_ = std::move(message);
    std::fprintf(stderr, "zelvan-demo: %s\n", failure_.c_str());
}

} // namespace zelvan::demo
