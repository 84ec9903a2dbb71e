// The registry and host view, custom ads, an old controller's timer, the class operations over the
// application registry, and the wrapper's source over the host view.
#include <gtest/gtest.h>

#include "ads/mediation/mediation_ad_source.h"
#include "ads/mediation/orv_ad_model.h"
#include "ads/mediation/orv_custom_ad_view_controller.h"
#include "ads/zlv_ad_wrapper_view.h"
#include "core/app_registry.h"
#include "tests/ads/mediation/mediation_test_support.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::mediation::testing {
namespace {

using Registry = Fixture;

struct Promo : CustomAdDelegate {
    bool implements = true;
    std::vector<std::string> calls;
    bool respondsToShowCustomAd() const override { return implements; }
    bool respondsToEndCustomAd() const override { return implements; }
    void showCustomAd(ORVAdView& view) override {
        calls.push_back(fnd::format("show %d %@", view.getEventId(), view.getAdLibraryName().value_or("-")));
    }
    void endCustomAd(ORVAdView& view) override {
        calls.push_back(fnd::format("end %d %@", view.getEventId(), view.getAdLibraryName().value_or("-")));
    }
};

TEST_F(Registry, ResetKeepsTheHostViewAndDestroyForgetsTheControllers) {
    EXPECT_EQ(context->controllers()->getAdController(1), nullptr);
    auto first = context->controllers()->resetAdController(1);
    auto host = first->iORVAdView();
    host->addSubview(ui::View::create(gfx::Rect(0, 0, 10, 10)));
    host->addSubview(ui::View::create(gfx::Rect(0, 0, 10, 10)));
    auto second = context->controllers()->resetAdController(1);
    EXPECT_EQ(second->iORVAdView(), host);
    EXPECT_EQ(first->iORVAdView(), nullptr);
    EXPECT_EQ(first->die(), 1);
    EXPECT_TRUE(host->subviews().empty());
    EXPECT_EQ(host->adController(), second);
    EXPECT_EQ(context->controllers()->getAdController(1), second);
    EXPECT_EQ(host->frame(), gfx::Rect(0, 430, 320, 50));
    context->controllers()->destroy();
    EXPECT_EQ(context->controllers()->getAdController(1), nullptr);
    EXPECT_EQ(host->adController(), nullptr);
    // Off screen and back: the flag follows.
    screen->addSubview(host);
    host->removeFromSuperview();
    EXPECT_EQ(host->getCanRotateFlagAndReturn(), 0);
    EXPECT_EQ(host->setCanRotateFlagAndReturn(), 1);
}

TEST_F(Registry, AnOldControllersTimerDoesNothing) {
    add("a", Reply::View);
    order({network("a")}, 10, 2, 0);
    auto old = controller();
    old->preLoadAd(1);
    advance(1); // on screen: a rotation is due in 10 s
    auto fresh = context->controllers()->resetAdController(1);
    advance(20);
    EXPECT_EQ(started.size(), 1u);
    EXPECT_EQ(old->anyPreloadActive(), 2); // its rotation found no host view and stopped
}

TEST_F(Registry, CustomAdsAnnounceAndEnd) {
    auto custom = network("custom_ad");
    custom->customAd = true;
    custom->customAdName = "zelvan-promo";
    add("b", Reply::View);
    order({custom, network("b")}, 5, 2, 1);
    auto made = controller();
    auto promo = std::make_shared<Promo>();
    made->iORVAdView()->setDelegate(promo); // no custom ad yet: neither call
    EXPECT_TRUE(promo->calls.empty());
    made->preLoadAd(1);
    ASSERT_EQ(made->iORVAdView()->subviews().size(), 0u);
    advance(0.05); // the placeholder reports itself after 0.04 s
    ASSERT_EQ(made->iORVAdView()->subviews().size(), 1u);
    auto placeholder = std::dynamic_pointer_cast<ORVCustomAdViewController>(made->iORVAdView()->subviews().front());
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->frame(), gfx::Rect(0, 0, 320, 55));
    EXPECT_EQ(placeholder->alpha(), 0);
    EXPECT_EQ(promo->calls, std::vector<std::string>{"show 1 zelvan-promo"});
    // A new delegate: the ad on screen is ended and announced again to it.
    auto other = std::make_shared<Promo>();
    made->iORVAdView()->setDelegate(other);
    EXPECT_EQ(other->calls, (std::vector<std::string>{"end 1 zelvan-promo", "show 1 zelvan-promo"}));
    advance(6); // the rotation's next network ends the custom ad
    EXPECT_EQ(started, std::vector<std::string>{"b"});
    EXPECT_EQ(other->calls.back(), "end 1 zelvan-promo");
    // A nil placeholder ends the attempt.
    made->rotateToNextAd();
    made->customAdReady(made->currentAttempt(), nullptr);
    EXPECT_EQ(made->anyPreloadActive(), 0);
}

TEST_F(Registry, ClassOperationsReadTheApplicationRegistry) {
    EXPECT_EQ(ORVAdModel::resetAdController(1), nullptr); // no delegate: nothing happens
    ORVAdModel::destroy();
    AppRegistry registry;
    registry.mediation.factory = ServiceSlot<MediationContext>::fixed(context);
    ScopedAppDelegate app(std::move(registry));
    auto made = ORVAdModel::resetAdController(1);
    EXPECT_EQ(ORVAdModel::getAdController(1), made);
    EXPECT_EQ(ORVAdModel::getLock(), &context->getLock());
    ORVAdModel::destroy();
    EXPECT_EQ(ORVAdModel::getAdController(1), nullptr);
}

TEST_F(Registry, AdSourceAnnouncesTheFirstAdOnce) {
    add("a", Reply::View);
    order({network("a"), network("a")}, 10, 2, 1);
    auto made = context->controllers()->resetAdController(1);
    made->preLoadAd(1);
    int boxes = 0;
    auto source = MediationAdSource::create([&]() -> std::shared_ptr<ui::View> {
        ++boxes;
        return made->broadcastAd(1);
    });
    EXPECT_FALSE(source->isAdViewReady());
    auto wrapper = ui::View::create<ZLVAdWrapperView>(gfx::Rect(0, 0, 320, 48));
    screen->addSubview(wrapper);
    int available = 0;
    wrapper->setAdSource(source);
    auto listen = source->onAdAvailable;
    source->onAdAvailable = [&, listen] {
        ++available;
        listen();
    };
    advance(1); // the ad lands: the wrapper takes the host view in at once, so the impression counts
    EXPECT_TRUE(source->isAdViewReady());
    EXPECT_EQ(wrapper->shownAdView(), made->iORVAdView());
    EXPECT_EQ(source->adSize(), gfx::Size(320, 50));
    EXPECT_EQ(core->impressions.size(), 1u);
    advance(11); // the next ad rotates inside the same host view
    EXPECT_EQ(started.size(), 2u);
    EXPECT_EQ(available, 1);
    EXPECT_EQ(boxes, 1);
    // Another source has the slot for a while: the next ad arrives off screen and waits; back in the slot,
    // the host view makes a new show request, which resumes the rotation.
    wrapper->setAdSource(nullptr);
    advance(20);
    EXPECT_EQ(started.size(), 3u);
    wrapper->setAdSource(source);
    EXPECT_EQ(boxes, 2);
    advance(11);
    EXPECT_EQ(started.size(), 4u);
}

} // namespace
} // namespace zelvan::mediation::testing
