// Threads: shared per-thread state behind the `Thread` handle, the main-thread mark, and the
// clock-driven sleep.
#include "platform/foundation/thread.h"

#include <pthread.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/foundation/clock.h"
#include "platform/foundation/clock_sleep.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"

namespace fnd {

struct Thread::State {
    mutable std::mutex mutex;
    Body body;
    std::thread thread;
    std::string name;
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> cancelled{false};

    ~State() {
        // The last handle may go while the thread still runs (or on the thread itself, when its
        // own current() handle is released at exit): let it finish on its own.
        if (thread.joinable()) {
            thread.detach();
        }
    }
};

namespace {

thread_local std::shared_ptr<Thread::State> currentState;
thread_local bool mainThreadMark = false;
std::atomic<bool> mainThreadInitialised{false};

// The OS limits thread names to 15 bytes plus the terminator.
void applyOsName(pthread_t handle, const std::string& name) {
    std::string cut = name.substr(0, 15);
    ::pthread_setname_np(handle, cut.c_str());
}

} // namespace

void initMainThread() {
    if (mainThreadMark) {
        return;
    }
    if (mainThreadInitialised.exchange(true)) {
        ZLOG(Warn, "initMainThread: another thread is already the main thread; ignored");
        return;
    }
    mainThreadMark = true;
    Thread::current().setName("main");
    RunLoop::adoptCurrentAsMain();
}

bool isMainThread() {
    return mainThreadMark;
}

Thread::Thread(Body body) : state_(std::make_shared<State>()) {
    state_->body = std::move(body);
}

void Thread::detach(Body body) {
    Thread thread(std::move(body));
    thread.start();
}

Thread Thread::current() {
    if (!currentState) {
        currentState = std::make_shared<State>();
        currentState->started = true;
    }
    return Thread(currentState);
}

void Thread::start() {
    if (state_->started.exchange(true)) {
        return;
    }
    std::lock_guard lock(state_->mutex);
    state_->thread = std::thread([state = state_] {
        currentState = state;
        std::string name;
        Body body;
        {
            std::lock_guard inner(state->mutex);
            name = state->name;
            body = std::move(state->body);
            state->body = nullptr;
        }
        if (!name.empty()) {
            applyOsName(::pthread_self(), name);
        }
        try {
            if (body) {
                body();
            }
        } catch (const std::exception& e) {
            ZLOG(Error, "Thread %@: exception escaped the thread body: %s", name, logPreview(e.what()));
        } catch (...) {
            ZLOG(Error, "Thread %@: unknown exception escaped the thread body", name);
        }
        body = nullptr; // release the captures before the thread counts as finished
        state->finished = true;
    });
}

void Thread::join() {
    std::thread toJoin;
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->thread.joinable()) {
            return;
        }
        if (state_->thread.get_id() == std::this_thread::get_id()) {
            ZLOG(Warn, "Thread::join: a thread cannot join itself; ignored");
            return;
        }
        toJoin = std::move(state_->thread);
    }
    toJoin.join();
}

void Thread::cancel() {
    state_->cancelled = true;
}

bool Thread::isCancelled() const {
    return state_->cancelled.load();
}

bool Thread::isExecuting() const {
    return state_->started.load() && !state_->finished.load();
}

bool Thread::isFinished() const {
    return state_->finished.load();
}

std::string Thread::name() const {
    std::lock_guard lock(state_->mutex);
    return state_->name;
}

void Thread::setName(const std::string& name) {
    std::lock_guard lock(state_->mutex);
    state_->name = name;
    if (state_ == currentState) {
        applyOsName(::pthread_self(), name);
    } else if (state_->thread.joinable() && !state_->finished.load()) {
        applyOsName(state_->thread.native_handle(), name);
    }
}

std::string Thread::identityHex() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(state_.get())));
    return buf;
}

void Thread::sleepFor(double seconds) {
    if (seconds > 0) {
        ClockSleep().sleepFor(seconds);
    }
}

} // namespace fnd
