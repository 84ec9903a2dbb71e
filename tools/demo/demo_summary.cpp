// The demo's summary, read from the client's messenger and network loop and the session's steps.
#include "tools/demo/demo_summary.h"

#include <cstdint>
#include <map>

#include "app/demo/kavlo_summary.h"
#include "app/demo/orvane_summary.h"
#include "app/demo/tallio_summary.h"
#include "messaging/lists/im_controller.h"
#include "platform/foundation/format.h"

namespace zelvan::demo {

namespace {

// "n packets: command x n, ..." for one direction.
std::string byCommand(const std::map<int64_t, uint64_t>& counts) {
    uint64_t total = 0;
    std::string listed;
    for (const auto& [command, count] : counts) {
        total += count;
        listed += fnd::format("%s%lld x %llu", listed.empty() ? "" : ", ", static_cast<long long>(command),
                              static_cast<unsigned long long>(count));
    }
    return fnd::format("%llu (%s)", static_cast<unsigned long long>(total), listed.empty() ? "none" : listed);
}

} // namespace

std::string demoSummary(const DemoSession& session) {
    auto& delegate = *session.delegate;
    std::string text = "== demo summary\n";
    text +=
        fnd::format("signed in: %s as %s, user %d (%s)\n", delegate.loggedout() ? "no" : "yes", session.phone,
                    static_cast<int>(delegate.userId()), session.displayName.empty() ? "no name" : session.displayName);
    int received = 0;
    int sent = 0;
    if (auto im = std::dynamic_pointer_cast<IMController>(delegate.im())) {
        for (const auto& chat : im->chat()->chats()) {
            for (const auto& message : chat->messages()) {
                if (message->type() == IMMessage::kTypeChat) {
                    (message->card() ? received : sent) += 1;
                }
            }
        }
    }
    text += fnd::format("chat lines: %d received, %d sent\n", received, sent);
    text += "packets out: " + byCommand(delegate.networkLoop().packetsSentByCommand()) + "\n";
    text += "packets in: " + byCommand(delegate.networkLoop().packetsReceivedByCommand()) + "\n";
    text += "game: " + session.gameResult + "\n";
    text += app::orvaneSummary(delegate);
    text += app::tallioSummary(delegate);
    text += app::kavloSummary(delegate);
    for (const auto& request : session.adwickRequests) {
        text += "adwick: " + request + "\n";
    }
    for (const auto& request : session.kavloAdRequests) {
        text += "kavlo: " + request + "\n";
    }
    for (const auto& request : session.selvoRequests) {
        text += "selvo: " + request + "\n";
    }
    for (const auto& request : session.mediationRequests) {
        text += "mediation: " + request + "\n";
    }
    for (const auto& impression : session.mediationImpressions) {
        text += "mediation: " + impression + "\n";
    }
    for (const auto& request : session.tallioRequests) {
        text += "hook ad: " + request + "\n";
    }
    for (const auto& request : session.orvaneRequests) {
        text += "offer wall: " + request + "\n";
    }
    for (const auto& request : session.leaderboardRequests) {
        text += "leaderboard: " + request + "\n";
    }
    for (const auto& request : session.goodsStoreRequests) {
        text += "goods store: " + request + "\n";
    }
    for (const auto& request : session.marlinRequests) {
        text += "marlin: " + request + "\n";
    }
    for (const auto& request : session.brightpointRequests) {
        text += "brightpoint: " + request + "\n";
    }
    text += fnd::format("steps done: %d\n", static_cast<int>(session.steps.done().size()));
    for (const auto& path : session.screens.written()) {
        text += "wrote " + path + "\n";
    }
    text += session.steps.failed() ? "FAILED: " + session.steps.failure() + "\n" : "all steps done\n";
    return text;
}

} // namespace zelvan::demo
