// DemoSteps: the demo's steps, each a wait on the main run loop (in real time) for what the user waits
// to see, with a time limit. The first step that runs out, or a user action that cannot be done, ends
// the run with a message naming the step; later steps then do nothing.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan::demo {

class DemoSteps {
public:
    explicit DemoSteps(double stepSeconds) : stepSeconds_(stepSeconds) {}

    // Pumps the main run loop until `done` holds; false (and the failure message on stderr) when the
    // step's time runs out first or an earlier step failed.
    bool waitFor(std::string_view step, const std::function<bool()>& done);
    // Records a user action that either worked at once or did not (a tap on a row that is not there);
    // false when it did not or an earlier step failed.
    bool act(std::string_view step, bool succeeded);
    // Lets the main run loop run for `seconds` of real time (animations end).
    void pause(double seconds);
    // Runs the main run loop until `ready` holds or `seconds` pass, whichever comes first, for what
    // the screens show but the run does not need (pictures); never a failure.
    void allow(double seconds, const std::function<bool()>& ready);

    bool failed() const { return !failure_.empty(); }
    // "step \"<name>\" timed out after N s" or "step \"<name>\" could not be done"; empty while all went well.
    const std::string& failure() const { return failure_; }
    // The steps done so far, in order.
    const std::vector<std::string>& done() const { return done_; }

private:
    void fail(std::string message);

    double stepSeconds_;
    std::string failure_;
    std::vector<std::string> done_;
};

} // namespace zelvan::demo
