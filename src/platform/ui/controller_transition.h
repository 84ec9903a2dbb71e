// ui::ControllerTransition: the one running transition of a container controller (a push, a pop, a
// modal slide). Its view changes run in a view animation block timed by the process clock; its
// completion runs exactly once - when the block stops, at once when not animated, or early when the
// container must settle it before starting the next one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/ui/types.h"

namespace ui {

class ControllerTransition {
public:
    static constexpr double kDuration = 0.3;

    ControllerTransition();
    ~ControllerTransition();
    ControllerTransition(const ControllerTransition&) = delete;
    ControllerTransition& operator=(const ControllerTransition&) = delete;

    // Settles a running transition first. With Animated::Yes the view changes `animations` makes
    // are recorded in a block called `name` of kDuration seconds and `completion` runs when it
    // stops; otherwise both run now.
    void start(const std::string& name, Animated animated, const std::function<void()>& animations,
               std::function<void()> completion);

    bool isRunning() const { return static_cast<bool>(pending_); }

    // Runs the pending completion now (nothing when none is pending).
    void finish();

private:
    std::function<void()> pending_;
    uint64_t token_ = 0;
    // The animation block's delegate: when the transition dies, its did-stop is skipped.
    std::shared_ptr<int> alive_;
};

} // namespace ui
