// A mediation over a fake offer core and fake network adapters, driven by the manual clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ads/mediation/ad_controller_registry.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/mediation_wiring.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/orv_ad_view.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/view.h"

namespace zelvan::mediation::testing {

struct FakeCore : OfferCore {
    std::optional<AdOrder> order = AdOrder{};
    std::optional<std::vector<AdNetworkRef>> list;
    std::vector<std::string> impressions; // "<campaign>" or "direct <campaign>"

    std::optional<AdOrder> adOrder() const override { return order; }
    std::optional<std::vector<AdNetworkRef>> adNetworkArray() const override { return list; }
    fnd::Value genericParameters() const override { return fnd::Value::dictionary({{"AppID", fnd::Value("app")}}); }
    void adShownWithCampaignID(const std::string& id) override { impressions.push_back(id); }
    void directAdShownWithCampaignID(const std::string& id) override { impressions.push_back("direct " + id); }
};

inline std::shared_ptr<AdNetwork> network(std::string key, int max = -1, int interval = 1) {
    auto net = std::make_shared<AdNetwork>();
    net->adLibraryName = std::move(key);
    net->adCampaignId = "c-" + net->adLibraryName;
    net->maxTimesToShowAdOnDevice = max;
    net->eventIntervals = {interval, interval, interval, interval, interval};
    return net;
}

// What a fake network does with an attempt, `delay` seconds after it starts.
enum class Reply { View, NoAd, NilView, Silent };

struct Fixture;

struct FakeAdapter : MediationAdapter {
    FakeAdapter(Fixture& fixture, ORVAdController& controller, AttemptToken token, Reply reply, double delay);
    ~FakeAdapter() override;
    Fixture& fixture;
    fnd::PerformHandle pending;
};

struct Fixture : ::testing::Test {
    std::shared_ptr<fnd::ManualClock> clock = fnd::ManualClock::install();
    std::shared_ptr<MediationContext> context = makeMediation();
    std::shared_ptr<FakeCore> core = std::make_shared<FakeCore>();
    std::shared_ptr<ui::View> screen = ui::View::create(gfx::Rect(0, 0, 320, 480));
    std::vector<std::string> started;
    std::vector<AttemptToken> tokens;
    int adaptersAlive = 0;
    double replyDelay = 1;

    void SetUp() override {
        context->setOfferCore(core);
        fnd::UserDefaults::standard().removeObjectForKey("kORVEventID1");
        ui::AnimationLog::clear();
    }
    void TearDown() override {
        context->controllers()->destroy();
        fnd::RunLoop::current().runUntilIdle();
    }

    // A network whose attempts end as `reply` says.
    void add(const std::string& key, Reply reply) {
        context->setStarter(key, [this, key, reply](ORVAdController& controller, AttemptToken token) {
            started.push_back(key);
            tokens.push_back(token);
            return std::make_shared<FakeAdapter>(*this, controller, token, reply, replyDelay);
        });
    }
    void order(std::vector<AdNetworkRef> list, int rotationTime, int direction, int last) {
        core->list = std::move(list);
        core->order = AdOrder{rotationTime, direction, last, 0};
    }
    // A controller for event 1 whose host view is on screen.
    std::shared_ptr<ORVAdController> controller() {
        auto made = context->controllers()->resetAdController(1);
        screen->addSubview(made->iORVAdView());
        made->iORVAdView()->setCanRotateFlagAndReturn();
        return made;
    }
    void advance(double seconds) { fnd::RunLoop::current().advance(seconds); }
    std::vector<std::string> transitions() const {
        std::vector<std::string> out;
        for (const auto& entry : ui::AnimationLog::entries()) {
            if (!entry.transition.empty()) {
                out.push_back(entry.transition);
            }
        }
        return out;
    }
};

inline FakeAdapter::FakeAdapter(Fixture& f, ORVAdController& controller, AttemptToken token, Reply reply, double delay)
    : fixture(f) {
    ++fixture.adaptersAlive;
    if (reply == Reply::Silent) {
        return;
    }
    std::weak_ptr<ORVAdController> weak = controller.shared_from_this();
    pending = fnd::RunLoop::current().performAfter(delay, [weak, token, reply] {
        auto owner = weak.lock();
        if (!owner) {
            return;
        }
        if (reply == Reply::NoAd) {
            owner->loadNextAdInLine(token);
        } else {
            owner->adwickAdReady(token, reply == Reply::View ? ui::View::create(gfx::Rect(0, 0, 320, 50)) : nullptr);
        }
    });
}

inline FakeAdapter::~FakeAdapter() {
    pending.cancel();
    --fixture.adaptersAlive;
}

} // namespace zelvan::mediation::testing
