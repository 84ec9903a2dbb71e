// Operations and the one-at-a-time queue that runs them on a worker thread of its own, which waits for
// work on its own run loop (so an operation may run that loop in a mode of its choosing).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/object.h"

namespace fnd {

class OperationQueue;

// A unit of work: subclasses override main(). The object is held by its queue until it has finished.
class Operation : public Object {
public:
    std::string className() const override { return "Operation"; }

    // The work. Long work polls isCancelled() and returns early.
    virtual void main() {}

    // Runs the operation on the calling thread: main() unless it was cancelled first, then it is finished
    // and onFinished runs here. An exception escaping main() is logged and the operation still finishes.
    // A second call does nothing.
    void start();
    // Marks the operation cancelled; the first call runs onCancelled on the calling thread. A queued
    // operation cancelled before its turn finishes without running main().
    void cancel();

    bool isCancelled() const { return cancelled_.load(); }
    bool isExecuting() const { return executing_.load(); }
    bool isFinished() const { return finished_.load(); }

    // Set before the operation is queued or started.
    std::function<void()> onFinished;
    std::function<void()> onCancelled;

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> executing_{false};
    std::atomic<bool> finished_{false};
};

// Runs its operations in the order added, one at a time, on one worker thread. The thread starts with the
// first addOperation and then waits for work on its own RunLoop, so test drivers see it idle between
// operations. Destroying the queue cancels the operations still queued and joins the worker.
class OperationQueue {
public:
    OperationQueue();
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    // Only width 1 is supported; any other count is logged and ignored.
    void setMaxConcurrentOperationCount(int count);
    int maxConcurrentOperationCount() const { return 1; }

    // Queues `operation`; adding one that is already queued, started or finished is logged and ignored.
    void addOperation(const std::shared_ptr<Operation>& operation);
    // The operations added and not yet finished, in order.
    std::vector<std::shared_ptr<Operation>> operations() const;
    size_t operationCount() const;
    // Cancels every operation not yet finished (the running one included: it sees isCancelled()).
    void cancelAllOperations();

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace fnd
