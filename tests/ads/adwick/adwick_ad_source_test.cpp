// The wrapper view on an Adwick source: the first banner is announced once, and a re-attached wrapper
// asks for a fresh ad only when its last request is more than 60 s old.
#include <gtest/gtest.h>

#include "ads/adwick/adwick_ad_source.h"
#include "ads/zlv_ad_wrapper_view.h"
#include "tests/ads/adwick/adwick_banner_fixture.h"

namespace zelvan::adwick {
namespace {

using testing::BannerEnv;

struct Listener : ZLVAdWrapperViewDelegate {
    int available = 0;
    void adViewAvailable(ZLVAdWrapperView&) override { ++available; }
};

TEST(AdwickAdSourceTest, FirstBannerOnceAndFreshAdsAfter60Seconds) {
    BannerEnv env;
    auto listener = std::make_shared<Listener>();
    auto wrapper = ui::View::create<ZLVAdWrapperView>(gfx::Rect(0, 0, 320, 48));
    wrapper->setDelegate(listener);
    wrapper->setAdSource(AdwickAdSource::create("pub-1", std::string("text")));
    ASSERT_TRUE(BannerEnv::pump([&] { return wrapper->isAdViewAvailable(); }));
    EXPECT_EQ(listener->available, 1);
    EXPECT_EQ(wrapper->sizeThatFitsAdView(), gfx::Size(320, 48));
    EXPECT_EQ(env.hits("/adwick/ad_source.php"), 1);

    auto screen = ui::View::create(gfx::Rect(0, 0, 320, 480));
    env.advance(59);
    screen->addSubview(wrapper);
    fnd::RunLoop::main().pumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(env.hits("/adwick/ad_source.php"), 1);

    wrapper->removeFromSuperview();
    env.advance(2);
    screen->addSubview(wrapper);
    ASSERT_TRUE(BannerEnv::pump([&] { return env.hits("/adwick/ad_source.php") == 2; }));
    fnd::RunLoop::main().pumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(listener->available, 1); // the fresh ad replaces the banner in place
    EXPECT_TRUE(wrapper->isAdViewAvailable());
}

} // namespace
} // namespace zelvan::adwick
