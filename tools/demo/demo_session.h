// DemoSession: what the demo's steps share - the launched client, the step runner, the screenshots -
// and what the summary reports at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/zelvan_app_delegate.h"
#include "tools/demo/demo_screens.h"
#include "tools/demo/demo_steps.h"

namespace zelvan::demo {

struct DemoSession {
    DemoSession(std::shared_ptr<zelvanAppDelegate> client, double stepSeconds, std::string screenFolder)
        : delegate(std::move(client)), steps(stepSeconds), screens(std::move(screenFolder)) {}

    std::shared_ptr<zelvanAppDelegate> delegate;
    DemoSteps steps;
    DemoScreens screens;
    // The friend whose line the user answers, and the user's reply.
    int32_t friendId = 2001;
    std::string reply;
    // Filled by the steps for the summary.
    std::string phone;
    std::string displayName;
    std::string gameResult = "no game played";
    // What the Adwick banner asked the ad host and got back.
    std::vector<std::string> adwickRequests;
    // What the Kavlo banner asked the ad host.
    std::vector<std::string> kavloAdRequests;
    // What the Selvo view asked the ad host and shows.
    std::vector<std::string> selvoRequests;
    // The impressions the offer network's banner reported, and what each network of its rotation asked.
    std::vector<std::string> mediationImpressions;
    std::vector<std::string> mediationRequests;
    // The hook-ad banner's canvas page and the store address it opened.
    std::vector<std::string> tallioRequests;
    // What the offer wall asked the offer service and got back.
    std::vector<std::string> orvaneRequests;
    // What the leaderboard asked the offer service and got back.
    std::vector<std::string> leaderboardRequests;
    // The goods store's lists (demo_goods_store_steps).
    std::vector<std::string> goodsStoreRequests;
    // What the Marlin interstitial client fetched and showed.
    std::vector<std::string> marlinRequests;
    // What the Brightpoint offer wall asked the ad host (configuration, offer pages) and its list shows.
    std::vector<std::string> brightpointRequests;
};

} // namespace zelvan::demo
