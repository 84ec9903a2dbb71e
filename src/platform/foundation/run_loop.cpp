// The run loop: posted-task queue, deadline heap, asio servicing, waiting under the system or a
// manual clock, and the per-thread registry of loops.
#include "platform/foundation/run_loop.h"

#include <asio/executor_work_guard.hpp>
#include <asio/post.hpp>

#include <algorithm>
#include <chrono>
#include <exception>
#include <limits>
#include <set>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop_io.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/timer.h"

namespace fnd {

namespace detail {
struct Perform {
    RunLoop::Task task;
    std::weak_ptr<RunLoop> loop;
    std::pair<double, uint64_t> key{}; // guarded by the loop's mutex
    std::atomic<bool> pending{true};
};
LoopIo& loopIo(RunLoop& loop) {
    return *loop.io_;
}
} // namespace detail

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Under a manual clock a blocked loop wakes on posts, I/O and clock moves; this cap only bounds
// each single wait so a missed signal can never park a loop for good.
constexpr double kManualWaitCap = 1.0;

struct Registry {
    std::mutex mutex;
    std::set<RunLoop*> loops;
};

Registry& registry() {
    static Registry* r = new Registry; // never destroyed: loops close during thread exit
    return *r;
}

std::atomic<RunLoop*> mainLoop{nullptr};

void runGuarded(const std::function<void()>& fn, const char* what) {
    try {
        fn();
    } catch (const std::exception& e) {
        ZLOG(Error, "RunLoop: exception escaped a %s: %s", what, logPreview(e.what()));
    } catch (...) {
        ZLOG(Error, "RunLoop: unknown exception escaped a %s", what);
    }
}

bool servesSockets(std::string_view mode) {
    return mode == RunLoopMode::Default || mode == RunLoopMode::Common;
}

// Converts a wall date to a deadline on the monotonic reading.
double monotonicDeadline(Date until) {
    return Clock::monotonic() + until.timeIntervalSinceDate(Clock::now());
}

// Signals a waiting postAndWait when its task has run, or when the task is dropped unrun.
struct WaitState {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    bool ran = false;

    void finish(bool didRun) {
        std::lock_guard lock(mutex);
        if (!done) {
            done = true;
            ran = didRun;
        }
        cv.notify_all();
    }
};

struct Completion {
    std::shared_ptr<WaitState> state;
    ~Completion() { state->finish(false); }
};

} // namespace

struct RunLoop::Holder {
    std::shared_ptr<RunLoop> loop;
    ~Holder() {
        if (loop) {
            loop->close();
        }
    }
};

thread_local RunLoop::Holder RunLoop::holder_;

// ---- creation and identity ----------------------------------------------------------------------

RunLoop::RunLoop(Passkey) : owner_(std::this_thread::get_id()), io_(std::make_unique<detail::LoopIo>()) {}

RunLoop::~RunLoop() {
    // Handlers still queued in asio (wakes, unfinished I/O) are destroyed with io_, after the
    // members declared below it.
    std::lock_guard lock(registry().mutex);
    registry().loops.erase(this);
}

std::shared_ptr<RunLoop> RunLoop::create() {
    auto loop = std::make_shared<RunLoop>(Passkey{});
    std::weak_ptr<RunLoop> weak = loop;
    loop->clockWaiter_ = Clock::addWaiter([weak] {
        if (auto l = weak.lock()) {
            l->wake();
        }
    });
    std::lock_guard lock(registry().mutex);
    registry().loops.insert(loop.get());
    return loop;
}

RunLoop& RunLoop::current() {
    if (!holder_.loop) {
        holder_.loop = create();
    }
    return *holder_.loop;
}

void RunLoop::adoptCurrentAsMain() {
    RunLoop& loop = current();
    // Kept for the whole process: other threads post to main until exit.
    static auto* keep = new std::shared_ptr<RunLoop>(loop.shared_from_this());
    (void)keep;
    mainLoop.store(&loop);
}

RunLoop& RunLoop::main() {
    RunLoop* loop = mainLoop.load();
    if (!loop) {
        ZLOG(Warn, "RunLoop::main: initMainThread() was not called; adopting the calling thread");
        initMainThread();
        loop = mainLoop.load();
    }
    return *loop;
}

bool RunLoop::isCurrent() const {
    return owner_ == std::this_thread::get_id();
}

bool RunLoop::isMain() const {
    return this == mainLoop.load();
}

void RunLoop::close() {
    std::deque<Task> dropped;
    std::map<Key, Entry> unscheduled;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        dropped.swap(posted_);
        unscheduled.swap(schedule_);
    }
    Clock::removeWaiter(clockWaiter_);
    for (auto& [key, entry] : unscheduled) {
        if (entry.timer) {
            entry.timer->invalidate();
        }
        if (entry.perform) {
            entry.perform->pending = false;
        }
    }
    // `dropped` and `unscheduled` release their captures here, unlocked; waiting postAndWait
    // callers learn their task will never run.
}

// ---- posting ------------------------------------------------------------------------------------

void RunLoop::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (!closed_) {
            posted_.push_back(std::move(task));
            task = nullptr;
        }
    }
    if (task) {
        ZLOG(Warn, "RunLoop: task posted to a loop whose thread has ended; dropped");
        return; // the task is released here, unlocked
    }
    wake();
}

bool RunLoop::postAndWait(Task task) {
    if (isCurrent()) {
        runGuarded(task, "posted task");
        return true;
    }
    auto state = std::make_shared<WaitState>();
    // Built in place: a temporary Completion would signal the waiter as it went.
    std::shared_ptr<Completion> completion(new Completion{state});
    post([task = std::move(task), completion]() mutable {
        // Finished as soon as the task returns (or throws), not when the batch ends.
        struct Finish {
            std::shared_ptr<WaitState> s;
            ~Finish() { s->finish(true); }
        } finish{completion->state};
        task();
    });
    completion.reset();
    std::unique_lock lock(state->mutex);
    state->cv.wait(lock, [&] { return state->done; });
    return state->ran;
}

void RunLoop::wake() {
    {
        std::lock_guard lock(mutex_);
        ++wakeSeq_;
    }
    wakeCv_.notify_all();
    if (!wakePending_.exchange(true)) {
        asio::post(io_->context, [this] {
            wakePending_ = false;
            ++wakesRun_;
        });
    }
}

void RunLoop::stop() {
    stopRequested_ = true;
    wake();
}

// ---- deadline heap ------------------------------------------------------------------------------

bool RunLoop::matches(const Entry& entry, std::string_view mode) {
    return std::any_of(entry.modes.begin(), entry.modes.end(),
                       [&](const std::string& m) { return m == mode || m == RunLoopMode::Common; });
}

RunLoop::Key RunLoop::insertLocked(double deadline, Entry entry) {
    Key key{deadline, nextSeq_++};
    if (entry.timer) {
        entry.timer->key_ = key;
        entry.timer->scheduledIn_ = true;
    }
    if (entry.perform) {
        entry.perform->key = key;
    }
    schedule_.emplace(key, std::move(entry));
    return key;
}

bool RunLoop::takeDue(std::string_view mode, double now, uint64_t limit, Entry* out) {
    std::lock_guard lock(mutex_);
    for (auto it = schedule_.begin(); it != schedule_.end() && it->first.first <= now; ++it) {
        if (it->first.second < limit && matches(it->second, mode)) {
            *out = std::move(it->second);
            schedule_.erase(it);
            if (out->timer) {
                out->timer->scheduledIn_ = false;
            }
            return true;
        }
    }
    return false;
}

bool RunLoop::takeEarliest(std::string_view mode, double end, Key* key, Entry* out) {
    std::lock_guard lock(mutex_);
    for (auto it = schedule_.begin(); it != schedule_.end() && it->first.first <= end; ++it) {
        if (matches(it->second, mode)) {
            *key = it->first;
            *out = std::move(it->second);
            schedule_.erase(it);
            if (out->timer) {
                out->timer->scheduledIn_ = false;
            }
            return true;
        }
    }
    return false;
}

bool RunLoop::hasEntriesLocked(std::string_view mode) const {
    return std::any_of(schedule_.begin(), schedule_.end(), [&](const auto& kv) { return matches(kv.second, mode); });
}

double RunLoop::nextDeadlineLocked(std::string_view mode) const {
    for (const auto& [key, entry] : schedule_) {
        if (matches(entry, mode)) {
            return key.first;
        }
    }
    return kInfinity;
}

PerformHandle RunLoop::performAfter(double delay, Task task, std::string_view mode) {
    return schedulePerform(delay, std::move(task), mode, true);
}

PerformHandle RunLoop::performAfterIfOpen(double delay, Task task, std::string_view mode) {
    return schedulePerform(delay, std::move(task), mode, false);
}

PerformHandle RunLoop::schedulePerform(double delay, Task task, std::string_view mode, bool warnWhenClosed) {
    if (!(delay > 0)) {
        delay = 0; // negative or NaN: the next pass
    }
    auto perform = std::make_shared<detail::Perform>();
    perform->task = std::move(task);
    perform->loop = weak_from_this();
    double deadline = Clock::monotonic() + delay;
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            perform->pending = false;
        } else {
            insertLocked(deadline, Entry{nullptr, perform, {std::string(mode)}});
        }
    }
    if (!perform->pending) {
        if (warnWhenClosed) {
            ZLOG(Warn, "RunLoop: delayed perform on a loop whose thread has ended; dropped");
        }
        return PerformHandle();
    }
    wake();
    return PerformHandle(perform);
}

void RunLoop::addTimer(const std::shared_ptr<Timer>& timer, std::string_view mode) {
    if (!timer || !timer->isValid()) {
        return;
    }
    {
        std::lock_guard timerLock(timer->mutex_);
        auto owner = timer->loop_.lock();
        if (owner && owner.get() != this) {
            ZLOG(Warn, "RunLoop::addTimer: the timer already belongs to another loop; ignored");
            return;
        }
        timer->loop_ = weak_from_this();
    }
    {
        std::lock_guard lock(mutex_);
        if (closed_ || !timer->isValid()) {
            return;
        }
        if (timer->scheduledIn_) {
            auto& modes = schedule_.at(timer->key_).modes;
            if (std::find(modes.begin(), modes.end(), mode) == modes.end()) {
                modes.emplace_back(mode);
            }
        } else {
            insertLocked(timer->firstFire_, Entry{timer, nullptr, {std::string(mode)}});
        }
    }
    wake();
}

void RunLoop::removeTimer(Timer& timer) {
    Entry removed;
    {
        std::lock_guard lock(mutex_);
        if (!timer.scheduledIn_) {
            return;
        }
        auto it = schedule_.find(timer.key_);
        if (it != schedule_.end()) {
            removed = std::move(it->second);
            schedule_.erase(it);
        }
        timer.scheduledIn_ = false;
    }
    // `removed` holds a reference to the timer; it goes here, outside the lock.
}

void RunLoop::cancelPerform(detail::Perform& perform) {
    Entry removed;
    {
        std::lock_guard lock(mutex_);
        if (!perform.pending.exchange(false)) {
            return;
        }
        auto it = schedule_.find(perform.key);
        if (it != schedule_.end()) {
            removed = std::move(it->second);
            schedule_.erase(it);
        }
    }
}

void PerformHandle::cancel() {
    auto perform = perform_.lock();
    if (!perform) {
        return;
    }
    if (auto loop = perform->loop.lock()) {
        loop->cancelPerform(*perform);
    } else {
        perform->pending = false;
    }
}

bool PerformHandle::isPending() const {
    auto perform = perform_.lock();
    return perform && perform->pending.load();
}

void RunLoop::fire(Entry& entry, double deadline) {
    if (entry.perform) {
        std::shared_ptr<detail::Perform> perform = std::move(entry.perform);
        {
            std::lock_guard lock(mutex_);
            if (!perform->pending.exchange(false)) {
                return; // cancelled from another thread just now
            }
        }
        Task task = std::move(perform->task);
        perform->task = nullptr;
        runGuarded(task, "delayed perform");
        return;
    }
    std::shared_ptr<Timer> timer = std::move(entry.timer);
    if (!timer || !timer->isValid()) {
        return;
    }
    if (timer->repeats()) {
        // Rescheduled before the callback, so the callback may invalidate it. The validity check
        // under our lock pairs with invalidate(), which clears validity before taking the lock.
        double next = timer->nextDeadlineAfter(std::max(deadline, Clock::monotonic()));
        std::lock_guard lock(mutex_);
        if (timer->isValid() && !closed_) {
            insertLocked(next, Entry{timer, nullptr, std::move(entry.modes)});
        }
    }
    Timer::Callback fn;
    {
        std::lock_guard lock(timer->mutex_);
        fn = timer->fn_;
    }
    if (fn) {
        runGuarded([&] { fn(*timer); }, "timer callback");
    }
    if (!timer->repeats()) {
        timer->invalidate();
    }
}

// ---- running ------------------------------------------------------------------------------------

int RunLoop::drainPosted() {
    std::deque<Task> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(posted_);
    }
    int ran = 0;
    while (!batch.empty()) {
        Task task = std::move(batch.front());
        batch.pop_front();
        runGuarded(task, "posted task");
        ++ran;
    }
    return ran;
}

int RunLoop::pollSockets(bool* socketsRegistered) {
    if (io_->context.stopped()) {
        io_->context.restart();
    }
    const uint64_t wakesBefore = wakesRun_;
    size_t handlers = 0;
    for (;;) {
        try {
            handlers += io_->context.poll();
            break;
        } catch (const std::exception& e) {
            ZLOG(Error, "RunLoop: exception escaped a socket handler: %s", logPreview(e.what()));
            ++handlers;
        } catch (...) {
            ZLOG(Error, "RunLoop: unknown exception escaped a socket handler");
            ++handlers;
        }
    }
    // asio stops a context that has run out of work: nothing is pending on it then.
    if (socketsRegistered) {
        *socketsRegistered = !io_->context.stopped();
    }
    uint64_t wakes = wakesRun_ - wakesBefore;
    return handlers > wakes ? static_cast<int>(handlers - wakes) : 0;
}

int RunLoop::pass(std::string_view mode, bool* socketsRegistered) {
    int ran = drainPosted();
    uint64_t limit;
    {
        std::lock_guard lock(mutex_);
        limit = nextSeq_; // entries added by this pass's callbacks wait for the next pass
    }
    const double now = Clock::monotonic();
    Entry entry;
    while (takeDue(mode, now, limit, &entry)) {
        double deadline = now;
        fire(entry, deadline);
        entry = Entry{};
        ++ran;
    }
    if (servesSockets(mode)) {
        ran += pollSockets(socketsRegistered);
    } else if (socketsRegistered) {
        *socketsRegistered = false;
    }
    notifyPassObservers();
    return ran;
}

uint64_t RunLoop::addPassObserver(Task observer) {
    std::lock_guard lock(mutex_);
    const uint64_t id = nextObserverId_++;
    passObservers_.emplace_back(id, std::make_shared<Task>(std::move(observer)));
    return id;
}

void RunLoop::removePassObserver(uint64_t id) {
    std::lock_guard lock(mutex_);
    std::erase_if(passObservers_, [id](const auto& entry) { return entry.first == id; });
}

void RunLoop::notifyPassObservers() {
    std::vector<std::pair<uint64_t, std::shared_ptr<Task>>> observers;
    {
        std::lock_guard lock(mutex_);
        if (passObservers_.empty()) {
            return;
        }
        observers = passObservers_;
    }
    for (auto& [id, observer] : observers) {
        {
            std::lock_guard lock(mutex_);
            const bool stillAdded = std::any_of(passObservers_.begin(), passObservers_.end(),
                                                [id = id](const auto& entry) { return entry.first == id; });
            if (!stillAdded) {
                continue; // removed by an earlier observer of this pass
            }
        }
        try {
            (*observer)();
        } catch (const std::exception& e) {
            ZLOG(Error, "RunLoop: exception escaped a pass observer: %s", logPreview(e.what()));
        } catch (...) {
            ZLOG(Error, "RunLoop: unknown exception escaped a pass observer");
        }
    }
}

bool RunLoop::block(std::string_view mode, double seconds, uint64_t seen) {
    seconds = std::clamp(seconds, 0.0, 3600.0);
    auto duration = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(seconds));
    {
        std::unique_lock lock(mutex_);
        if (wakeSeq_ != seen) {
            return false;
        }
        waiting_ = true;
        waitSeen_ = seen;
    }
    bool socketRan = false;
    if (servesSockets(mode)) {
        // Woken by a socket completion, or by the wake handler that post() and clock moves queue.
        auto guard = asio::make_work_guard(io_->context);
        if (io_->context.stopped()) {
            io_->context.restart();
        }
        const uint64_t wakesBefore = wakesRun_;
        size_t handlers = 0;
        try {
            handlers = io_->context.run_one_for(duration);
        } catch (const std::exception& e) {
            ZLOG(Error, "RunLoop: exception escaped a socket handler: %s", logPreview(e.what()));
            handlers = 1;
        } catch (...) {
            ZLOG(Error, "RunLoop: unknown exception escaped a socket handler");
            handlers = 1;
        }
        socketRan = handlers > wakesRun_ - wakesBefore;
    } else {
        std::unique_lock lock(mutex_);
        wakeCv_.wait_for(lock, duration, [&] { return wakeSeq_ != seen; });
    }
    std::lock_guard lock(mutex_);
    waiting_ = false;
    return socketRan;
}

RunLoop::Outcome RunLoop::runOnce(std::string_view mode, double until, bool waitWhenEmpty) {
    struct Depth {
        RunLoop* loop;
        explicit Depth(RunLoop* l) : loop(l) {
            std::lock_guard lock(loop->mutex_);
            ++loop->runDepth_;
        }
        ~Depth() {
            std::lock_guard lock(loop->mutex_);
            --loop->runDepth_;
        }
    } depth(this);

    for (;;) {
        // The wake count is read before the stop is looked at: stop() sets its flag before it wakes the
        // loop, so a stop that lands after this read is either seen just below or has moved the count,
        // which ends the wait below at once. Read the other way round, a stop landing between the two
        // would be in neither and the wait would last until the next wake.
        uint64_t seen;
        {
            std::lock_guard lock(mutex_);
            seen = wakeSeq_;
        }
        if (stopRequested_.exchange(false)) {
            return Outcome::Stopped;
        }
        bool socketsRegistered = false;
        if (pass(mode, &socketsRegistered) > 0) {
            return Outcome::Ran;
        }
        double next;
        {
            std::lock_guard lock(mutex_);
            if (!waitWhenEmpty && !socketsRegistered && !hasEntriesLocked(mode) && posted_.empty()) {
                return Outcome::Empty;
            }
            next = nextDeadlineLocked(mode);
        }
        const double now = Clock::monotonic();
        if (next <= now && next <= until) {
            continue; // became due during the pass, before the deadline: it runs even if time is now past it
        }
        if (now >= until) {
            return Outcome::TimedOut;
        }
        double wait = Clock::manual() ? kManualWaitCap : std::min(until, next) - now;
        if (block(mode, wait, seen)) {
            return Outcome::Ran;
        }
    }
}

bool RunLoop::runMode(std::string_view mode, Date until) {
    if (!isCurrent()) {
        ZLOG(Warn, "RunLoop::runMode: called from a thread that does not own the loop; ignored");
        return false;
    }
    return runOnce(mode, monotonicDeadline(until), false) != Outcome::Empty;
}

void RunLoop::runUntil(Date date) {
    if (!isCurrent()) {
        ZLOG(Warn, "RunLoop::runUntil: called from a thread that does not own the loop; ignored");
        return;
    }
    double until = monotonicDeadline(date);
    while (runOnce(RunLoopMode::Default, until, true) == Outcome::Ran) {
    }
}

void RunLoop::runFor(double seconds) {
    if (!(seconds > 0)) {
        seconds = 0; // negative or NaN: one pass
    }
    runUntil(Clock::now().addingTimeInterval(seconds));
}

void RunLoop::run() {
    runUntil(Date(kInfinity));
}

void RunLoop::runWhile(const std::function<bool()>& keepRunning) {
    if (!isCurrent()) {
        ZLOG(Warn, "RunLoop::runWhile: called from a thread that does not own the loop; ignored");
        return;
    }
    while (keepRunning()) {
        runOnce(RunLoopMode::Default, kInfinity, true);
    }
}

// ---- idleness, for test settling ------------------------------------------------------------------

bool RunLoop::idleForSettle() const {
    std::lock_guard lock(mutex_);
    if (closed_) {
        return true;
    }
    if (!posted_.empty()) {
        return false;
    }
    if (waiting_) {
        return wakeSeq_ == waitSeen_; // blocked with no wake pending
    }
    if (runDepth_ > 0) {
        return false; // between passes or running something
    }
    // Not running at all: idle unless something in the modes it would run is already due.
    double now = Clock::monotonic();
    return nextDeadlineLocked(RunLoopMode::Default) > now;
}

bool RunLoop::othersIdle() {
    RunLoop* self = holder_.loop.get();
    std::vector<std::shared_ptr<RunLoop>> loops;
    {
        std::lock_guard lock(registry().mutex);
        for (RunLoop* loop : registry().loops) {
            if (loop != self) {
                auto shared = loop->weak_from_this().lock();
                if (shared) {
                    loops.push_back(std::move(shared));
                }
            }
        }
    }
    return std::all_of(loops.begin(), loops.end(), [](const auto& loop) { return loop->idleForSettle(); });
}

} // namespace fnd
