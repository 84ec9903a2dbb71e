// Operation's run-once life cycle and OperationQueue's worker: a Thread whose RunLoop receives one pump task
// at a time that runs the next operation, and which leaves its loop only when the queue is destroyed.
#include "platform/foundation/operation_queue.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"

namespace fnd {

void Operation::start() {
    if (started_.exchange(true)) {
        ZLOG(Warn, "Operation: %s started twice", description());
        return;
    }
    if (!cancelled_.load()) {
        executing_ = true;
        try {
            main();
        } catch (const std::exception& e) {
            ZLOG(Error, "Operation: exception escaped main() of %s: %s", description(), logPreview(e.what()));
        } catch (...) {
            ZLOG(Error, "Operation: unknown exception escaped main() of %s", description());
        }
        executing_ = false;
    }
    finished_ = true;
    if (onFinished) {
        onFinished();
    }
}

void Operation::cancel() {
    if (!cancelled_.exchange(true) && onCancelled) {
        onCancelled();
    }
}

struct OperationQueue::State {
    mutable std::mutex mutex;
    std::condition_variable loopReady;
    std::vector<std::shared_ptr<Operation>> operations; // added, not finished
    std::deque<std::shared_ptr<Operation>> pending;     // added, not started
    bool pumping = false;                               // a pump task is queued or running
    std::shared_ptr<RunLoop> loop;                      // the worker's, once it runs
    std::unique_ptr<Thread> worker;
    std::atomic<bool> stopping{false};

    // On the worker, at its loop's outer level: runs the next operation, then queues itself again while
    // operations wait. Only one pump exists at a time, so an operation that runs the loop inside main()
    // never sees the next operation start within it.
    void pump() {
        std::shared_ptr<Operation> op;
        {
            std::lock_guard lock(mutex);
            if (pending.empty()) {
                pumping = false;
                return;
            }
            op = pending.front();
            pending.pop_front();
        }
        finish(op);
        {
            std::lock_guard lock(mutex);
            if (pending.empty()) {
                pumping = false;
            } else {
                loop->post([this] { pump(); });
            }
        }
        if (stopping) {
            RunLoop::current().stop();
        }
    }

    void finish(const std::shared_ptr<Operation>& op) {
        op->start();
        std::lock_guard lock(mutex);
        std::erase(operations, op);
    }

    // The worker's body: serve the loop until the queue goes, then finish what is left (all cancelled).
    void work() {
        RunLoop& current = RunLoop::current();
        {
            std::lock_guard lock(mutex);
            loop = current.shared_from_this();
        }
        loopReady.notify_all();
        // A stop taken by a run nested in an operation still ends this one (see RunLoop::runWhile).
        current.runWhile([this] { return !stopping; });
        for (;;) {
            std::shared_ptr<Operation> op;
            {
                std::lock_guard lock(mutex);
                if (pending.empty()) {
                    break;
                }
                op = pending.front();
                pending.pop_front();
            }
            finish(op);
        }
    }
};

OperationQueue::OperationQueue() : state_(std::make_shared<State>()) {}

OperationQueue::~OperationQueue() {
    cancelAllOperations();
    std::shared_ptr<RunLoop> loop;
    {
        std::lock_guard lock(state_->mutex);
        loop = state_->loop;
    }
    if (!state_->worker) {
        return;
    }
    state_->stopping = true;
    loop->post([] { RunLoop::current().stop(); });
    state_->worker->join();
}

void OperationQueue::setMaxConcurrentOperationCount(int count) {
    if (count != 1) {
        ZLOG(Warn, "OperationQueue: only one operation at a time is supported; ignored a width of %d", count);
    }
}

void OperationQueue::addOperation(const std::shared_ptr<Operation>& operation) {
    if (!operation) {
        ZLOG(Warn, "OperationQueue: ignored a null operation");
        return;
    }
    std::unique_lock lock(state_->mutex);
    if (operation->isFinished() || operation->isExecuting() ||
        std::find(state_->operations.begin(), state_->operations.end(), operation) != state_->operations.end()) {
        ZLOG(Warn, "OperationQueue: ignored %s, already queued, running or finished", operation->description());
        return;
    }
    state_->operations.push_back(operation);
    state_->pending.push_back(operation);
    if (!state_->worker) {
        auto state = state_; // the body keeps the state until it leaves its loop
        state_->worker = std::make_unique<Thread>([state] { state->work(); });
        state_->worker->setName("OperationQueue");
        state_->worker->start();
        state_->loopReady.wait(lock, [&] { return state_->loop != nullptr; });
    }
    if (!state_->pumping) {
        state_->pumping = true;
        State* state = state_.get(); // the worker's body holds the state while its loop runs
        state_->loop->post([state] { state->pump(); });
    }
}

std::vector<std::shared_ptr<Operation>> OperationQueue::operations() const {
    std::lock_guard lock(state_->mutex);
    return state_->operations;
}

size_t OperationQueue::operationCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->operations.size();
}

void OperationQueue::cancelAllOperations() {
    // Newest first: the waiting operations are marked before the running one hears of its cancel, so
    // the running one finishing at once cannot let the next start as if nothing had been cancelled.
    const auto ops = operations();
    for (auto it = ops.rbegin(); it != ops.rend(); ++it) {
        (*it)->cancel();
    }
}

} // namespace fnd
