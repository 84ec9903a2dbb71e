// Main-thread hops over the main run loop's post and postAndWait.
#include "core/main_thread.h"

#include <utility>

#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"

namespace zelvan {

void onMain(std::function<void()> fn) {
    if (fn) {
        fnd::RunLoop::main().post(std::move(fn));
    }
}

void onMainInline(std::function<void()> fn) {
    if (!fn) {
        return;
    }
    if (fnd::isMainThread()) {
        fn();
        return;
    }
    fnd::RunLoop::main().post(std::move(fn));
}

void onMainAndWait(std::function<void()> fn) {
    if (!fn) {
        return;
    }
    if (fnd::isMainThread()) {
        fn();
        return;
    }
    fnd::RunLoop::main().postAndWait(std::move(fn));
}

void laterOnThisLoop(std::function<void()> fn) {
    if (fn) {
        fnd::RunLoop::current().post(std::move(fn));
    }
}

} // namespace zelvan
