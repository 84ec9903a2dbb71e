// The demo's mediation step, on the chat window the banner step left open.
#include "tools/demo/demo_mediation_steps.h"

#include <algorithm>
#include <array>
#include <string>

#include "ads/zlv_ad_wrapper_view.h"
#include "app/demo/ad_banner_report.h"
#include "platform/ui/window.h"

namespace zelvan::demo {
namespace {

struct NetworkShot {
    const char* network;
    const char* screenshot;
};

// Every banner network of the dev server's ad order, with its screenshot.
constexpr std::array<NetworkShot, 7> kShots{{{"orvaneads", "13-mediation-banner.png"},
                                             {"custom_ad", "21-mediation-custom-ad.png"},
                                             {"adwick", "22-mediation-adwick.png"},
                                             {"selvo", "23-mediation-selvo.png"},
                                             {"ostrom", "24-mediation-ostrom.png"},
                                             {"kavlo", "25-mediation-kavlo.png"},
                                             {"reelbox", "26-mediation-reelbox.png"}}};

} // namespace

bool runMediationSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate->adView());
    if (!steps.act("the shared ad view is in the chat window", wrapper && wrapper->window() != nullptr)) {
        return false;
    }
    if (!steps.waitFor("the offer network's banner shows in the chat",
                       [&] { return wrapper->isAdViewAvailable() && !app::mediationReport(*delegate).empty(); })) {
        return false;
    }
    // The rotation brings each network in turn (a failed one is passed at once); each is taken as it shows.
    std::array<bool, kShots.size()> taken{};
    while (std::find(taken.begin(), taken.end(), false) != taken.end()) {
        std::string waiting;
        for (size_t i = 0; i < kShots.size(); ++i) {
            if (!taken[i]) {
                waiting += (waiting.empty() ? "" : ", ") + std::string(kShots[i].network);
            }
        }
        size_t shown = kShots.size();
        if (!steps.waitFor("the mediation's next banner (one of " + waiting + ") shows in the chat", [&] {
                const std::string network = app::mediationNetworkOnScreen(*delegate);
                for (size_t i = 0; i < kShots.size(); ++i) {
                    if (!taken[i] && network == kShots[i].network) {
                        shown = i;
                        return true;
                    }
                }
                return false;
            })) {
            return false;
        }
        // The page of an HTML banner draws on a later pass; the next rotation is a second away.
        steps.pause(0.3);
        if (app::mediationNetworkOnScreen(*delegate) != kShots[shown].network) {
            continue;
        }
        session.screens.save(*window, kShots[shown].screenshot);
        for (const auto& line : app::mediationBannerReport(*delegate)) {
            session.mediationRequests.push_back(line);
        }
        taken[shown] = true;
    }
    session.mediationImpressions = app::mediationReport(*delegate);
    return true;
}

} // namespace zelvan::demo
