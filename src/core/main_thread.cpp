// Main-thread hops over the main run loop's post and postAndWait.
#include "core/main_thread.h"

#include <utility>

#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"

namespace zelvan {

void invokeOnMainThread(std::function<void()> fn) {
    if (fn) {
        fnd::RunLoop::main().post(std::move(fn));
    }
}

void invokeOnMainThreadWaitUntilDone(std::function<void()> fn) {
    if (!fn) {
        return;
    }
    if (fnd::isMainThread()) {
        fn();
        return;
    }
    fnd::RunLoop::main().postAndWait(std::move(fn));
}

} // namespace zelvan
