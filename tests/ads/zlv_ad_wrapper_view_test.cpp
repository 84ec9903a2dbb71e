// The shared advertisement view: availability and size follow the source's ad, the ad's view is
// shown inside the wrapper, and the delegate hears once per change from no ad to an ad.
#include <gtest/gtest.h>

#include "ads/test_ad_source.h"
#include "ads/zlv_ad_wrapper_view.h"

namespace zelvan {
namespace {

class Listener : public ZLVAdWrapperViewDelegate {
public:
    void adViewAvailable(ZLVAdWrapperView& wrapper) override {
        ++calls;
        sizeSeen = wrapper.sizeThatFitsAdView();
    }
    int calls = 0;
    gfx::Size sizeSeen;
};

TEST(ZLVAdWrapperViewTest, ShowsTheSourcesAdAndTellsTheDelegateOnce) {
    auto wrapper = ui::View::create<ZLVAdWrapperView>(gfx::Rect(0, 0, 320, 50));
    auto listener = std::make_shared<Listener>();
    wrapper->setDelegate(listener);
    auto source = std::make_shared<TestAdSource>();
    wrapper->setAdSource(source);
    wrapper->setDisplayMode(2);
    EXPECT_EQ(wrapper->displayMode(), 2);

    EXPECT_FALSE(wrapper->isAdViewAvailable());
    EXPECT_EQ(wrapper->sizeThatFitsAdView(), gfx::Size());
    EXPECT_TRUE(wrapper->subviews().empty());
    EXPECT_EQ(listener->calls, 0);

    auto first = source->deliverAd({320, 48});
    EXPECT_TRUE(wrapper->isAdViewAvailable());
    EXPECT_EQ(wrapper->sizeThatFitsAdView(), (gfx::Size{320, 48}));
    EXPECT_EQ(listener->calls, 1);
    EXPECT_EQ(listener->sizeSeen, (gfx::Size{320, 48})); // already available when told
    ASSERT_EQ(wrapper->subviews().size(), 1u);
    EXPECT_EQ(wrapper->subviews()[0], first);
    EXPECT_EQ(first->frame(), gfx::Rect(0, 0, 320, 48));

    // A newer ad replaces the shown one without telling the delegate again.
    auto second = source->deliverAd({300, 50});
    EXPECT_EQ(listener->calls, 1);
    ASSERT_EQ(wrapper->subviews().size(), 1u);
    EXPECT_EQ(wrapper->subviews()[0], second);
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(wrapper->sizeThatFitsAdView(), (gfx::Size{300, 50}));

    // A dead delegate is skipped; dropping the source clears the ad.
    listener.reset();
    wrapper->setAdSource(nullptr);
    EXPECT_FALSE(wrapper->isAdViewAvailable());
    EXPECT_TRUE(wrapper->subviews().empty());
    source->deliverAd({10, 10}); // no longer listened to
    EXPECT_TRUE(wrapper->subviews().empty());

    // A source already holding an ad counts as one becoming available; its callback does not keep
    // the wrapper alive.
    auto fresh = std::make_shared<Listener>();
    wrapper->setDelegate(fresh);
    wrapper->setAdSource(source);
    EXPECT_TRUE(wrapper->isAdViewAvailable());
    EXPECT_EQ(fresh->calls, 1);
    std::weak_ptr<ZLVAdWrapperView> weak = wrapper;
    wrapper.reset();
    EXPECT_TRUE(weak.expired());
    source->deliverAd({320, 50});
    EXPECT_EQ(fresh->calls, 1);
}

} // namespace
} // namespace zelvan
