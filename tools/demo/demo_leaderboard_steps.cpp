// The demo's leaderboard step, over the window the offer wall step left.
#include "tools/demo/demo_leaderboard_steps.h"

#include "app/demo/orvane_leaderboard.h"
#include "core/zelvan_app_delegate.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

bool runLeaderboardSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto window = session.delegate->window();
    if (!steps.act("the window is there", window != nullptr)) {
        return false;
    }
    auto leaderboard = app::openLeaderboard(*session.delegate, *window);
    if (!steps.act("open the leaderboard", leaderboard != nullptr) ||
        !steps.waitFor("the leaderboard's rows", [&] { return app::leaderboardRows(leaderboard) > 0; })) {
        return false;
    }
    steps.pause(0.6); // the panel's transition
    session.screens.save(*window, "20-leaderboard.png");
    session.leaderboardRequests = app::leaderboardReport(leaderboard);
    app::closeLeaderboard(leaderboard);
    steps.pause(0.6);
    return true;
}

} // namespace zelvan::demo
