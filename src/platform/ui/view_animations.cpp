// The begin/commit view animation blocks: open blocks (nested), recorded changes, the log entry at
// commit, will-start / did-stop scheduled on the main run loop, interruption of an earlier
// animation by a later one on the same property, and the delegate as a liveness guard.
#include "platform/ui/view_animations.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/view.h"

namespace ui {
namespace {

struct Change {
    const void* view = nullptr;
    std::weak_ptr<fnd::Object> owner;
    std::string property;
    AnimationValue from;
    AnimationValue to;
};

struct Block {
    std::string name;
    void* context = nullptr;
    double duration = 0.2;
    double delay = 0;
    AnimationCurve curve = AnimationCurve::EaseInOut;
    bool fromCurrentState = false;
    std::weak_ptr<void> delegate;
    bool hasDelegate = false;
    AnimationWillStartSelector willStart;
    AnimationDidStopSelector didStop;
    std::vector<Change> changes;
    // The block's flip or curl and the view it runs on (None: no transition).
    ViewAnimationTransition transition = ViewAnimationTransition::None;
    const void* transitionView = nullptr;
    std::weak_ptr<fnd::Object> transitionOwner;
};

// A committed animation whose did-stop has not run yet.
struct Running {
    Block block;
    double start = 0;    // monotonic seconds: commit + delay
    double duration = 0; // 0 when it completes on the next pass
    fnd::PerformHandle willStartHandle;
    fnd::PerformHandle didStopHandle;
};

struct State {
    std::vector<Block> open;
    std::vector<std::shared_ptr<Running>> running;
    bool enabled = true;
};

State& state() {
    static State s;
    return s;
}

bool sameView(const Change& a, const Change& b) {
    if (a.view != b.view) {
        return false;
    }
    // The same address may be reused by a later view; the ownership blocks tell them apart.
    return !a.owner.owner_before(b.owner) && !b.owner.owner_before(a.owner);
}

// Whether two properties animate the same thing: a frame change moves the centre and resizes the
// bounds.
bool overlaps(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    auto geometry = [](const std::string& p) { return p == "center" || p == "bounds"; };
    return (a == "frame" && geometry(b)) || (b == "frame" && geometry(a));
}

bool delegateAlive(const Block& block) {
    return !block.hasDelegate || !block.delegate.expired();
}

// Whether both blocks run a transition on the same (live) view.
bool sameTransitionView(const Block& a, const Block& b) {
    if (a.transition == ViewAnimationTransition::None || b.transition == ViewAnimationTransition::None) {
        return false;
    }
    return a.transitionView == b.transitionView && !a.transitionOwner.owner_before(b.transitionOwner) &&
           !b.transitionOwner.owner_before(a.transitionOwner);
}

const char* transitionName(ViewAnimationTransition transition) {
    switch (transition) {
    case ViewAnimationTransition::FlipFromLeft:
        return "flipFromLeft";
    case ViewAnimationTransition::FlipFromRight:
        return "flipFromRight";
    case ViewAnimationTransition::CurlUp:
        return "curlUp";
    case ViewAnimationTransition::CurlDown:
        return "curlDown";
    case ViewAnimationTransition::None:
        break;
    }
    return "";
}

void fireWillStart(const std::shared_ptr<Running>& running) {
    const Block& block = running->block;
    std::shared_ptr<void> guard = block.delegate.lock();
    if (block.willStart && delegateAlive(block)) {
        block.willStart(block.name, block.context);
    }
}

// Removes `running` from the running list and delivers its did-stop.
void fireDidStop(const std::shared_ptr<Running>& running, bool finished) {
    auto& list = state().running;
    list.erase(std::remove(list.begin(), list.end(), running), list.end());
    const Block& block = running->block;
    std::shared_ptr<void> guard = block.delegate.lock();
    if (block.didStop && delegateAlive(block)) {
        block.didStop(block.name, finished, block.context);
    }
}

// Stops every running animation that shares a property with `block`: did-stop(false) next pass.
void interruptOverlapping(const Block& block) {
    std::vector<std::shared_ptr<Running>> interrupted;
    for (const std::shared_ptr<Running>& running : state().running) {
        bool hit = std::any_of(running->block.changes.begin(), running->block.changes.end(), [&](const Change& old) {
            return std::any_of(block.changes.begin(), block.changes.end(), [&](const Change& now) {
                return sameView(old, now) && overlaps(old.property, now.property);
            });
        });
        hit = hit || sameTransitionView(running->block, block);
        if (hit) {
            interrupted.push_back(running);
        }
    }
    for (const std::shared_ptr<Running>& running : interrupted) {
        running->willStartHandle.cancel();
        running->didStopHandle.cancel();
        auto& list = state().running;
        list.erase(std::remove(list.begin(), list.end(), running), list.end());
        fnd::RunLoop::main().performAfter(0, [running] { fireDidStop(running, false); });
    }
}

std::optional<AnimationValue> valueOf(const Running& running, const Change& change, double t) {
    if (t < running.start) {
        return change.from;
    }
    if (running.duration <= 0 || t >= running.start + running.duration) {
        return change.to;
    }
    double progress = curveProgress(running.block.curve, (t - running.start) / running.duration);
    return interpolate(change.from, change.to, progress);
}

double nonNegative(double seconds) {
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

Block* current() {
    State& s = state();
    return s.open.empty() ? nullptr : &s.open.back();
}

} // namespace

void ViewAnimations::recordChange(View& view, std::string_view property, AnimationValue from, AnimationValue to) {
    Block* block = current();
    if (!block) {
        return;
    }
    Change change{&view, view.weak_from_this(), std::string(property), std::move(from), std::move(to)};
    for (Change& existing : block->changes) {
        if (sameView(existing, change) && existing.property == change.property) {
            existing.to = std::move(change.to);
            return;
        }
    }
    if (block->fromCurrentState) {
        if (std::optional<AnimationValue> shown = presentationValue(view, property, fnd::Clock::monotonic())) {
            change.from = std::move(*shown);
        }
    }
    block->changes.push_back(std::move(change));
}

bool ViewAnimations::isRecording() {
    return current() != nullptr;
}

std::optional<AnimationValue> ViewAnimations::presentationValue(const View& view, std::string_view property, double t) {
    const auto& list = state().running;
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        for (const Change& change : (*it)->block.changes) {
            if (change.view == &view && change.property == property && !change.owner.expired()) {
                return valueOf(**it, change, t);
            }
        }
    }
    return std::nullopt;
}

std::optional<AnimationValue> AnimationLog::presentationValue(const View& view, std::string_view property, double t) {
    return ViewAnimations::presentationValue(view, property, t);
}

void View::beginAnimations(const std::string& name, void* context) {
    Block block;
    // A nested block starts with the timing of the block around it.
    if (const Block* outer = current()) {
        block.duration = outer->duration;
        block.delay = outer->delay;
        block.curve = outer->curve;
        block.fromCurrentState = outer->fromCurrentState;
    }
    block.name = name;
    block.context = context;
    state().open.push_back(std::move(block));
}

void View::commitAnimations() {
    State& s = state();
    if (s.open.empty()) {
        ZLOG(Warn, "View: commitAnimations without beginAnimations");
        return;
    }
    auto running = std::make_shared<Running>();
    running->block = std::move(s.open.back());
    s.open.pop_back();
    const Block& block = running->block;

    double now = fnd::Clock::monotonic();
    double duration = s.enabled ? nonNegative(block.duration) : 0;
    double delay = s.enabled && duration > 0 ? nonNegative(block.delay) : 0;
    running->start = now + delay;
    running->duration = duration;

    AnimationLogEntry entry;
    entry.kind = AnimationLogEntry::Kind::ViewBlock;
    entry.name = block.name;
    entry.time = now;
    entry.duration = duration;
    entry.delay = delay;
    entry.curve = block.curve;
    entry.beginsFromCurrentState = block.fromCurrentState;
    entry.transition = transitionName(block.transition);
    for (const Change& change : block.changes) {
        entry.properties.push_back({change.owner, change.property, change.from, change.to});
    }
    AnimationLog::append(std::move(entry));

    interruptOverlapping(block);
    s.running.push_back(running);

    fnd::RunLoop& loop = fnd::RunLoop::main();
    std::weak_ptr<Running> weak = running;
    auto willStart = [weak] {
        if (auto r = weak.lock()) {
            fireWillStart(r);
        }
    };
    auto didStop = [weak] {
        if (auto r = weak.lock()) {
            fireDidStop(r, true);
        }
    };
    if (duration <= 0) {
        // Both on the next pass, in order.
        running->didStopHandle = loop.performAfter(0, [willStart, didStop] {
            willStart();
            didStop();
        });
        return;
    }
    running->willStartHandle = loop.performAfter(delay, willStart);
    running->didStopHandle = loop.performAfter(delay + duration, didStop);
}

void View::setAnimationDuration(double seconds) {
    if (Block* block = current()) {
        block->duration = seconds;
    }
}

void View::setAnimationDelay(double seconds) {
    if (Block* block = current()) {
        block->delay = seconds;
    }
}

void View::setAnimationCurve(AnimationCurve curve) {
    if (Block* block = current()) {
        block->curve = curve;
    }
}

void View::setAnimationBeginsFromCurrentState(bool fromCurrentState) {
    if (Block* block = current()) {
        block->fromCurrentState = fromCurrentState;
    }
}

void View::setAnimationDelegate(std::weak_ptr<void> delegate) {
    if (Block* block = current()) {
        // An empty weak pointer (no delegate) removes the guard.
        std::weak_ptr<void> none;
        block->hasDelegate = delegate.owner_before(none) || none.owner_before(delegate);
        block->delegate = std::move(delegate);
    }
}

void View::setAnimationWillStartSelector(AnimationWillStartSelector selector) {
    if (Block* block = current()) {
        block->willStart = std::move(selector);
    }
}

void View::setAnimationDidStopSelector(AnimationDidStopSelector selector) {
    if (Block* block = current()) {
        block->didStop = std::move(selector);
    }
}

void View::setAnimationTransition(ViewAnimationTransition transition, View& view, bool /*cache*/) {
    if (Block* block = current()) {
        block->transition = transition;
        block->transitionView = &view;
        block->transitionOwner = view.weak_from_this();
    }
}

void View::setAnimationsEnabled(bool enabled) {
    state().enabled = enabled;
}

bool View::areAnimationsEnabled() {
    return state().enabled;
}

} // namespace ui
