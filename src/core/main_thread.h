// Running work on the main thread from anywhere: fire-and-forget, or waiting until it has run.
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"

namespace zelvan {

// Whether work asked for on the main thread from the main thread runs at once or on a later turn.
enum class OnMain { RunNowIfOnMain, AlwaysPost };

// Queues `fn` on the main thread's run loop and returns at once, also when called on the main
// thread (the work then runs on a later turn of the loop).
void invokeOnMainThread(std::function<void()> fn);

// Runs `fn` on the main thread and returns after it has run: inline when already on the main
// thread, else posted to the main run loop while the caller waits. A worker that calls it blocks
// until the main loop next runs.
void invokeOnMainThreadWaitUntilDone(std::function<void()> fn);

// Runs `work` on `object` on the main thread, keeping the object alive until it has run.
template <class T>
void onMainHolding(std::shared_ptr<T> object, std::function<void(T&)> work, OnMain when = OnMain::RunNowIfOnMain) {
    if (when == OnMain::RunNowIfOnMain && fnd::isMainThread()) {
        work(*object);
        return;
    }
    fnd::RunLoop::main().post([object = std::move(object), work = std::move(work)] { work(*object); });
}

// Runs `work` on `object` on the main thread if the object still lives then; nothing otherwise.
template <class T>
void onMainIfAlive(std::weak_ptr<T> object, std::function<void(T&)> work, OnMain when = OnMain::RunNowIfOnMain) {
    if (when == OnMain::RunNowIfOnMain && fnd::isMainThread()) {
        if (auto live = object.lock()) {
            work(*live);
        }
        return;
    }
    fnd::RunLoop::main().post([object = std::move(object), work = std::move(work)] {
        if (auto live = object.lock()) {
            work(*live);
        }
    });
}

} // namespace zelvan
