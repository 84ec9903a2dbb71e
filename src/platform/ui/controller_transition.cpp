// A container's running transition: the animation block around its view changes and the completion
// that runs once, whether the block ends, the transition is not animated or it is settled early.
#include "platform/ui/controller_transition.h"

#include "platform/ui/view.h"

namespace ui {

ControllerTransition::ControllerTransition() : alive_(std::make_shared<int>(0)) {}

ControllerTransition::~ControllerTransition() = default;

void ControllerTransition::start(const std::string& name, Animated animated, const std::function<void()>& animations,
                                 std::function<void()> completion) {
    finish();
    const uint64_t token = ++token_;
    if (animated == Animated::No) {
        if (animations) {
            animations();
        }
        if (completion) {
            completion();
        }
        return;
    }
    pending_ = std::move(completion);
    if (!pending_) {
        pending_ = [] {};
    }
    View::beginAnimations(name);
    View::setAnimationDuration(kDuration);
    View::setAnimationDelegate(std::weak_ptr<void>(alive_));
    View::setAnimationDidStopSelector([this, token](const std::string&, bool, void*) {
        // A later transition (or an early finish) has already run this one's completion.
        if (token == token_) {
            finish();
        }
    });
    if (animations) {
        animations();
    }
    View::commitAnimations();
}

void ControllerTransition::finish() {
    if (!pending_) {
        return;
    }
    auto completion = std::move(pending_);
    pending_ = nullptr;
    ++token_;
    completion();
}

} // namespace ui
