// Running work on the main thread from anywhere: fire-and-forget, or waiting until it has run.
#pragma once

#include <functional>

namespace zelvan {

// Queues `fn` on the main thread's run loop and returns at once, also when called on the main
// thread (the work then runs on a later turn of the loop).
void invokeOnMainThread(std::function<void()> fn);

// Runs `fn` on the main thread and returns after it has run: inline when already on the main
// thread, else posted to the main run loop while the caller waits. A worker that calls it blocks
// until the main loop next runs.
void invokeOnMainThreadWaitUntilDone(std::function<void()> fn);

} // namespace zelvan
