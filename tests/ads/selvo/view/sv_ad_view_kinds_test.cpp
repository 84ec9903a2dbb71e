// How each Selvo view kind paints an ad (under synthetic text metrics), the interstitial's layout and
// close button, the drawn dismiss picture, and pictures of every kind for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>

#include "ads/selvo/view/sv_banner_ad_view.h"
#include "ads/selvo/view/sv_image_factory.h"
#include "ads/selvo/view/sv_interstitial_ad_view.h"
#include "ads/selvo/view/sv_text_ad_view.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_metrics.h"
#include "platform/ui/testing/screenshot.h"
#include "tests/ads/selvo/view/selvo_view_fixture.h"

namespace zelvan::selvo {
namespace {

// The box of the pixels of `image` that `keep` selects; empty when none.
template <class F>
gfx::Rect inkBox(const gfx::Image& image, F keep) {
    int minX = image.width(), minY = image.height(), maxX = -1, maxY = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (keep(image.pixelAt(x, y))) {
                minX = std::min(minX, x);
                minY = std::min(minY, y);
                maxX = std::max(maxX, x);
                maxY = std::max(maxY, y);
            }
        }
    }
    return maxX < 0 ? gfx::Rect() : gfx::Rect(minX, minY, maxX - minX + 1, maxY - minY + 1);
}

bool isRed(gfx::Rgba8 p) {
    return p.a > 200 && p.r > 200 && p.g < 60 && p.b < 60;
}

gfx::ImagePtr redPicture(int width, int height) {
    gfx::beginImageContext(gfx::Size(width, height));
    gfx::getCurrentContext()->setFillColor(gfx::Color(1, 0, 0, 1));
    gfx::getCurrentContext()->fillRect(gfx::Rect(0, 0, width, height));
    auto image = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    return image;
}

class SVAdViewKindsTest : public testing::SelvoViewFixture {
protected:
    SVAdViewKindsTest() { gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>()); }
    ~SVAdViewKindsTest() override {
        gfx::installTextMetrics(nullptr);
        device::Device::current().deviceDidRotate(device::DeviceOrientation::Portrait);
    }
    std::shared_ptr<SVAd> pictureAd(const std::string& text, int width, int height) {
        auto made = ad("p", "http://shop.test/", text);
        made->setImage(redPicture(width, height));
        return made;
    }
    // An interstitial showing `shown` over a 320 x 480 parent, laid out.
    std::shared_ptr<SVInterstitialAdView> interstitial(const std::shared_ptr<SVAd>& shown) {
        parent_ = ui::View::create(gfx::Rect(0, 0, 320, 480));
        auto view = std::dynamic_pointer_cast<SVInterstitialAdView>(this->view(3, "pub"));
        parent_->addSubview(view);
        view->setAd(shown);
        view->layoutIfNeeded();
        return view;
    }

    std::shared_ptr<ui::View> parent_;
};

TEST_F(SVAdViewKindsTest, TextAndBannerPlaceTheirTextAsDrawn) {
    // Bold 12: "Hello" is 36 x 15, so its box starts at (160 - 18 - 7, 25 - 7.5 + 3).
    auto text = view(2, "pub");
    text->setAd(ad("t", "", "Hello"));
    auto image = text->newContentImageRef(text->bounds());
    ASSERT_TRUE(image);
    const gfx::Rect ink = inkBox(*image, [](gfx::Rgba8 p) { return p.a > 100; });
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.minX(), 135);
    EXPECT_LE(ink.maxX(), 135 + 36 + 1);
    EXPECT_GE(ink.minY(), 20);
    EXPECT_LE(ink.maxY(), 20.5 + 15 + 1);
    EXPECT_LT(ink.midX(), 160 - 3); // left of the middle

    // The banner: the picture centred at the top, its text under it (5 right of centre).
    auto banner = view(0, "pub");
    banner->setAd(pictureAd("Hi", 100, 20));
    image = banner->newContentImageRef(banner->bounds());
    ASSERT_TRUE(image);
    EXPECT_EQ(inkBox(*image, isRed), gfx::Rect(110, 0, 100, 20));
    const gfx::Rect words = inkBox(*image, [](gfx::Rgba8 p) { return p.a > 100 && p.r < 100; });
    ASSERT_FALSE(words.isEmpty());
    EXPECT_GE(words.minY(), 20);
    EXPECT_GE(words.minX(), 160 - 6.6 + 5 - 1);
    banner->setHideActionText(true);
    image = banner->newContentImageRef(banner->bounds());
    EXPECT_TRUE(inkBox(*image, [](gfx::Rgba8 p) { return p.a > 100 && p.r < 100; }).isEmpty());

    // Without an ad there is nothing to paint.
    EXPECT_EQ(view(0, "pub")->newContentImageRef(gfx::Rect(0, 0, 320, 80)), nullptr);
}

TEST_F(SVAdViewKindsTest, InterstitialCoversItsParentAndPlacesItsCloseButton) {
    auto view = interstitial(pictureAd("Caption", 100, 60));
    EXPECT_EQ(view->frame(), gfx::Rect(0, 0, 320, 480));
    EXPECT_FALSE(view->fitsize());
    EXPECT_EQ(view->backgroundColor(), gfx::Color(0, 0, 0, 0.85));
    const double top = 240 - 0.666 * 60;
    ASSERT_TRUE(view->dismissButton());
    EXPECT_EQ(view->dismissButton()->frame(), gfx::Rect(160 - 50 - 12, top - 12, 27, 27));
    auto image = view->imageLayer()->contents();
    ASSERT_TRUE(image);
    const gfx::Rect picture = inkBox(*image, isRed);
    EXPECT_EQ(picture.minX(), 110);
    EXPECT_NEAR(picture.minY(), top, 1);
    // White caption under the picture; none with hideActionText.
    auto white = [](gfx::Rgba8 p) { return p.a > 100 && p.r > 200 && p.g > 200; };
    EXPECT_GE(inkBox(*image, white).minY(), picture.maxY() - 1);
    view->setHideActionText(true);
    EXPECT_TRUE(inkBox(*view->newContentImageRef(view->bounds()), white).isEmpty());

    // Landscape: the picture at the top edge and the close button at y 0.
    device::Device::current().deviceDidRotate(device::DeviceOrientation::LandscapeLeft);
    view->setNeedsLayout();
    view->layoutIfNeeded();
    EXPECT_EQ(inkBox(*view->imageLayer()->contents(), isRed).minY(), 0);
    EXPECT_EQ(view->dismissButton()->frame().origin.y, 0);

    // Without closeButton the button hides.
    view->setCloseButton(false);
    view->setNeedsLayout();
    view->layoutIfNeeded();
    EXPECT_TRUE(view->dismissButton()->isHidden());
}

TEST_F(SVAdViewKindsTest, InterstitialFitsOnlyWhenTheDelegateResizesIt) {
    delegate_->answersLayout = true;
    auto kept = interstitial(pictureAd("", 100, 60));
    EXPECT_FALSE(kept->fitsize()); // answered, frame unchanged
    EXPECT_EQ(kept->backgroundColor(), gfx::Color(0, 0, 0, 0.85));

    delegate_->onLayout = [](SVAdView& view) { view.setFrame(gfx::Rect(20, 30, 100, 60)); };
    auto fitted = interstitial(pictureAd("", 100, 60));
    EXPECT_TRUE(fitted->fitsize());
    EXPECT_EQ(fitted->backgroundColor(), gfx::Color::clear());
    EXPECT_EQ(fitted->dismissButton()->frame(), gfx::Rect(-12, -12, 27, 27));
    EXPECT_EQ(inkBox(*fitted->imageLayer()->contents(), isRed), gfx::Rect(0, 0, 100, 60));
    // Tapping the close button dismisses the ad.
    fitted->dismissButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(fitted->superview(), nullptr);
    EXPECT_EQ(delegate_->didClose, 1);
}

TEST_F(SVAdViewKindsTest, DismissPictureIsADiscWithACross) {
    auto picture = SVImageFactory().dismissImage();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), gfx::Size(27, 27));
    const auto at = [&](int x, int y) { return picture->pixelAt(x, y); };
    EXPECT_EQ(at(0, 0).a, 0);     // outside the disc
    EXPECT_GT(at(14, 12).r, 200); // the cross's middle
    EXPECT_LT(at(14, 19).r, 60);  // inside the disc, off the cross
    EXPECT_GT(at(14, 19).a, 200);
    EXPECT_GT(at(14, 1).r, 150); // the white ring at the top
    auto arrow = SVImageFactory().backArrowImage();
    ASSERT_TRUE(arrow);
    EXPECT_GT(arrow->pixelAt(20, 13).a, 200); // inside the triangle
    EXPECT_EQ(arrow->pixelAt(4, 13).a, 0);    // left of its tip
}

TEST_F(SVAdViewKindsTest, PicturesOfEveryKind) {
    gfx::installTextMetrics(nullptr);
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    for (const auto& [type, name] :
         {std::pair{0, "banner"}, std::pair{1, "small-banner"}, std::pair{2, "text"}, std::pair{3, "interstitial"}}) {
        std::shared_ptr<SVAdViewConcrete> shown;
        if (type == 3) {
            shown = interstitial(pictureAd("Tap to play", 200, 120));
        } else {
            shown = view(type, "pub");
            shown->setBackgroundColor(gfx::Color::white());
            shown->setAd(pictureAd(type == 2 ? "Play chess with friends tonight" : "Tap to play", 300, 40));
        }
        auto target = type == 3 ? parent_ : std::static_pointer_cast<ui::View>(shown);
        target->layoutIfNeeded();
        auto picture = target->screenshot();
        ASSERT_TRUE(picture) << name;
        EXPECT_FALSE(inkBox(*picture, [](gfx::Rgba8 p) { return p.a > 0; }).isEmpty()) << name;
        EXPECT_TRUE(ui::testing::saveScreenshot(*target, std::string("selvo-") + name + ".png"));
    }
}

} // namespace
} // namespace zelvan::selvo
