// The offer network's drawn images and view transitions, by their pixels and the animation log: rounded
// corners, gradient ends, reflections, the skin's images, and a contact sheet of them all
// (orvane_skin_sheet.png in the test's working folder) for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/app_registry.h"
#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/file_io.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/image_view.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::orvane {
namespace {

// An opaque image whose row r is the grey 10 * r + 5 (every row different).
gfx::ImagePtr rowsImage(int width, int height) {
    fnd::Bytes pixels;
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const auto grey = static_cast<uint8_t>(10 * row + 5);
            pixels.insert(pixels.end(), {grey, grey, grey, 255});
        }
    }
    return gfx::Image::fromPixels(width, height, std::move(pixels));
}

void expectColour(const gfx::Rgba8& pixel, int32_t code, int tolerance) {
    EXPECT_NEAR(pixel.r, (code >> 16) & 0xFF, tolerance);
    EXPECT_NEAR(pixel.g, (code >> 8) & 0xFF, tolerance);
    EXPECT_NEAR(pixel.b, code & 0xFF, tolerance);
    EXPECT_EQ(pixel.a, 255);
}

class ORVUtilImagesTest : public ::testing::Test {
protected:
    ORVUtilImagesTest() {
        context_ = makeOrvane(NetworkEndpoint("", "/orvane"), fnd::Bundle::main().resourcePath());
        AppRegistry registry;
        registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
        context_->setUserColorCode(kColour);
    }

    static constexpr int32_t kColour = 0x204060;
    std::shared_ptr<OrvaneContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
};

TEST_F(ORVUtilImagesTest, RoundedCornersClearOnlyTheCorners) {
    const gfx::ImagePtr source = rowsImage(40, 20);
    const gfx::ImagePtr rounded = ORVUtil::makeRoundCornerImage(source, 10, 6);
    ASSERT_TRUE(rounded);
    ASSERT_EQ(rounded->size(), source->size());
    for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {39, 0}, {0, 19}, {39, 19}, {1, 1}, {38, 18}}) {
        EXPECT_EQ(rounded->pixelAt(x, y).a, 0) << x << "," << y;
    }
    for (auto [x, y] : std::vector<std::pair<int, int>>{{20, 10}, {20, 0}, {20, 19}, {0, 10}, {39, 10}}) {
        EXPECT_EQ(rounded->pixelAt(x, y), source->pixelAt(x, y)) << x << "," << y; // upright, untouched
    }
    const gfx::ImagePtr plain = ORVUtil::makeRoundCornerImage(source, 0, 6);
    for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {39, 19}, {20, 10}}) {
        EXPECT_EQ(plain->pixelAt(x, y), source->pixelAt(x, y));
    }
    EXPECT_FALSE(ORVUtil::makeRoundCornerImage(nullptr, 10, 10));
    const gfx::ImagePtr scaled = ORVUtil::scaleToSize(gfx::Size(80, 40), source);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->size(), gfx::Size(80, 40));
    EXPECT_EQ(scaled->pixelAt(40, 0).r, source->pixelAt(20, 0).r); // top stays top
    EXPECT_FALSE(ORVUtil::scaleToSize(gfx::Size(0, 40), source));
}

TEST_F(ORVUtilImagesTest, GradientsRunFromTheTopAmountToTheBottomAmount) {
    const gfx::ImagePtr cell = ORVUtil::gradientCellBackgroundImage(10, 50, 40, -20);
    ASSERT_TRUE(cell);
    expectColour(cell->pixelAt(0, 0), ORVUtil::addWhite(kColour, 40), 3);
    expectColour(cell->pixelAt(9, 49), ORVUtil::addWhite(kColour, -20), 3);

    const gfx::ImagePtr button = ORVUtil::primaryThemeColorGradientButtonImage(gfx::Size(80, 40));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->size(), gfx::Size(80, 40));
    EXPECT_EQ(button->pixelAt(0, 0).a, 0); // rounded corners
    expectColour(button->pixelAt(40, 0), ORVUtil::addWhite(kColour, ORVUtil::kPrimaryGradientTop), 4);
    expectColour(button->pixelAt(40, 39), ORVUtil::addWhite(kColour, ORVUtil::kPrimaryGradientBottom), 4);
    const gfx::ImagePtr own = ORVUtil::userColorGradientButtonImage(0x808080, 30, 20, 0, 0);
    expectColour(own->pixelAt(15, 10), 0x808080, 1);
    EXPECT_FALSE(ORVUtil::gradientButtonImage(-1, 20, 0, 0));
}

TEST_F(ORVUtilImagesTest, ReflectionsMirrorTheBottomRowsAndFade) {
    auto view = ui::ImageView::initWithImage(rowsImage(4, 8));
    const gfx::ImagePtr reflection = ORVUtil::reflectedImage(view, 5);
    ASSERT_TRUE(reflection);
    EXPECT_EQ(reflection->size(), gfx::Size(4, 5));
    EXPECT_EQ(reflection->pixelAt(2, 0).r, view->image()->pixelAt(2, 7).r); // the bottom row comes first
    EXPECT_EQ(reflection->pixelAt(2, 0).a, 255);
    EXPECT_NEAR(reflection->pixelAt(2, 1).r, view->image()->pixelAt(2, 6).r, 2);
    for (int row = 1; row < 5; ++row) {
        EXPECT_LT(reflection->pixelAt(2, row).a, reflection->pixelAt(2, row - 1).a) << row;
    }
    EXPECT_EQ(reflection->pixelAt(2, 4).a, 0);
    EXPECT_FALSE(ORVUtil::reflectedImage(ui::ImageView::initWithImage(nullptr), 5));
}

TEST_F(ORVUtilImagesTest, TransitionsAreLoggedByNumber) {
    auto view = ui::View::create<ui::View>(gfx::Rect(0, 0, 320, 480));
    ui::AnimationLog::clear();
    ORVUtil::animateORVView(view, 3, 0.5);
    ORVUtil::animateORVView(view, 7, 0.5);
    ORVUtil::animateORVView(view, 4, 0.25);
    ORVUtil::animateORVView(view, 12, 0.5); // no such transition
    const auto entries = ui::AnimationLog::entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].transition, "moveIn");
    EXPECT_EQ(entries[0].transitionSubtype, "fromRight");
    EXPECT_EQ(entries[0].duration, 0.5);
    EXPECT_EQ(entries[1].transition, "reveal");
    EXPECT_EQ(entries[1].transitionSubtype, "fromLeft");
    ASSERT_EQ(entries[2].properties.size(), 1u);
    EXPECT_EQ(entries[2].properties[0].property, "alpha");
    EXPECT_EQ(entries[2].duration, 0.25);
    EXPECT_EQ(view->alpha(), 1);
    auto centred = ORVUtil::getCenteredImageViewWithImg(rowsImage(20, 10), view, 30);
    EXPECT_EQ(centred->frame(), gfx::Rect(150, 30, 20, 10));
}

TEST_F(ORVUtilImagesTest, TheSkinHasEveryImageAndASheetShowsThem) {
    const std::vector<gfx::ImagePtr> skin = {
        ORVSettings::getOfferDetailBg(),
        ORVSettings::getStandardBlackNormalBtn(),
        ORVSettings::getStandardBlackHighlightBtn(),
        ORVSettings::getBoxBtnNormalImg(),
        ORVSettings::getBoxBtnHighlightImg(),
        ORVSettings::getBottomBtnON(),
        ORVSettings::getTickImg(),
        ORVSettings::getCommandBtnNormImg(),
        ORVSettings::getTabBarImg(),
        ORVSettings::getTabBarBtnHighlightImg(),
        ORVSettings::getNavBarRoundBtnNormImg(),
        ORVSettings::getNavBarRoundBtnHighlightImg(),
        ORVSettings::getBackPanelImage280_300(),
        ORVSettings::getSubmitBoxTitleImg(),
        ORVSettings::getInfoIcon(),
        ORVSettings::getBestScoreBck(),
        ORVSettings::getLowerBar(),
        ORVSettings::getHighScoreTableHeaderImg(),
        ORVSettings::getGameTypeBGImage(),
    };
    for (size_t i = 0; i < skin.size(); ++i) {
        EXPECT_TRUE(skin[i]) << "skin image " << i;
    }
    EXPECT_FALSE(ORVSettings::initWithImageName("../Info.plist"));
    EXPECT_FALSE(ORVSettings::initWithImageName("/etc/passwd"));
    ASSERT_TRUE(ORVSettings::getNavBarFont());
    EXPECT_EQ(ORVSettings::getNavBarFont()->pointSize(), 20);

    std::vector<gfx::ImagePtr> shown = skin;
    shown.push_back(ORVUtil::primaryThemeColorGradientButtonImage(gfx::Size(120, 40)));
    shown.push_back(ORVUtil::gradientCellBackgroundImage(320, 44, 60, -10));
    shown.push_back(ORVUtil::userColorGradientButtonImage(0xC04020, 120, 40, 50, -30));
    shown.push_back(ORVUtil::makeRoundCornerImage(ORVSettings::getBackPanelImage280_300(), 30, 20));
    shown.push_back(ORVUtil::reflectedImage(ui::ImageView::initWithImage(ORVSettings::getCommandBtnNormImg()), 24));
    // One column, each image upright under the last (a bitmap context is y-up).
    constexpr int kGap = 8;
    int width = 0;
    int height = kGap;
    for (const auto& image : shown) {
        ASSERT_TRUE(image);
        width = std::max(width, image->width() + 2 * kGap);
        height += image->height() + kGap;
    }
    auto sheet = gfx::BitmapContext::create(width, height, gfx::PixelFormat::Argb8PremulFirst);
    ASSERT_TRUE(sheet);
    sheet->setFillColor(gfx::Color(0.85, 0.85, 0.85, 1));
    sheet->fillRect(gfx::Rect(0, 0, width, height));
    int top = kGap;
    for (const auto& image : shown) {
        sheet->drawImage(gfx::Rect(kGap, height - top - image->height(), image->width(), image->height()), *image);
        top += image->height() + kGap;
    }
    const fnd::Bytes png = gfx::pngRepresentation(*sheet->makeImage());
    EXPECT_TRUE(fnd::writeFile("orvane_skin_sheet.png", png));
    EXPECT_TRUE(gfx::Image::imageWithData(png));
}

} // namespace
} // namespace zelvan::orvane
