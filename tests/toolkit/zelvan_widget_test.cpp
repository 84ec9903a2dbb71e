// The widget kit's class methods: the image caches, files and grey copies, card pictures through
// the installed rule, network and presence icons, the colour table, skinned buttons and helpers.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "core/zelvan_style.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "tests/support/scoped_app_delegate.h"
#include "toolkit/widget_layout.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

// A 2x1 image: opaque red, then green at half alpha (premultiplied B,G,R,A).
gfx::ImagePtr redAndGreen() {
    return gfx::Image::fromPixels(2, 1, fnd::Bytes{0, 0, 255, 255, 0, 128, 0, 128});
}

bool isGrey(const gfx::Rgba8& p) {
    return p.r == p.g && p.g == p.b;
}

TEST(ZelvanWidgetTest, ImageCaches) {
    // The caches live for the process; start from empty ones, as a fresh process does.
    ZelvanWidget::clearImageCaches();
    // The shared cache ignores empty names and null images.
    const auto image = redAndGreen();
    EXPECT_EQ(ZelvanWidget::cachedImageForName(""), nullptr);
    ZelvanWidget::addImageCache(nullptr, "k");
    ZelvanWidget::addImageCache(image, "");
    EXPECT_EQ(ZelvanWidget::cachedImageForName("k"), nullptr);
    ZelvanWidget::addImageCache(image, "k");
    EXPECT_EQ(ZelvanWidget::cachedImageForName("k"), image);

    // Resource images are loaded afresh until one is cached, then that one is served.
    const auto first = ZelvanWidget::imageFromResource("state1", false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->size(), (gfx::Size{16, 16}));
    EXPECT_NE(ZelvanWidget::imageFromResource("state1", false), first);
    const auto cached = ZelvanWidget::newImageFromResource("state1", true);
    EXPECT_EQ(ZelvanWidget::imageFromResource("state1", false), cached);
    EXPECT_EQ(ZelvanWidget::cachedImageForName("state1"), nullptr); // a separate cache

    fnd::testing::LogCapture log;
    EXPECT_EQ(ZelvanWidget::imageFromResource("no-such-image", true), nullptr);
    EXPECT_EQ(ZelvanWidget::imageFromResource("", true), nullptr);
    EXPECT_TRUE(log.contains("no-such-image"));
    EXPECT_TRUE(ZelvanWidget::bundleResourcePath("Info.plist").has_value());
    EXPECT_FALSE(ZelvanWidget::bundleResourcePath("../CMakeLists.txt").has_value());
}

TEST(ZelvanWidgetTest, GreyCopiesAndMemoryImages) {
    const auto grey = ZelvanWidget::newGrayScaleImage(redAndGreen());
    ASSERT_NE(grey, nullptr);
    const gfx::Rgba8 red = grey->pixelAt(0, 0);
    const gfx::Rgba8 green = grey->pixelAt(1, 0);
    EXPECT_TRUE(isGrey(red) && isGrey(green));
    EXPECT_NEAR(red.r, 76, 1); // 0.299 x 255
    EXPECT_EQ(red.a, 255);
    EXPECT_NEAR(green.r, 150, 1); // 0.587 x 255
    EXPECT_EQ(green.a, 128);
    EXPECT_EQ(ZelvanWidget::newGrayScaleImage(nullptr), nullptr);

    const std::string folder = (fnd::AppFolders::setUp(), fnd::AppFolders::temporary());
    const std::string good = folder + "/picture.png";
    const std::string bad = folder + "/broken.png";
    ASSERT_TRUE(fnd::writeFile(good, gfx::pngRepresentation(*redAndGreen())));
    ASSERT_TRUE(fnd::writeFile(bad, fnd::Bytes{0x89, 'P', 'N', 'G', 1, 2, 3}));
    const auto loaded = ZelvanWidget::newMemoryImageFromFile(good);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->pixelAt(0, 0), (gfx::Rgba8{255, 0, 0, 255}));
    EXPECT_EQ(ZelvanWidget::newMemoryImageFromFile(bad), nullptr);
    EXPECT_EQ(ZelvanWidget::newMemoryImageFromFile(folder + "/missing.png"), nullptr);
}

// Knows cards whose "type" is "buddy": their picture is grey while their state is 0.
class BuddyRule : public CardPictureRule {
public:
    std::optional<gfx::ImagePtr> pictureForCard(const fnd::Value& card) override {
        const auto dict = card.asDictionary();
        if (!dict || dict->objectForKey("type").stringValue() != "buddy") {
            return std::nullopt;
        }
        return ZelvanWidget::iconForIM(0, dict->objectForKey("state").intValue() == 0);
    }
};

TEST(ZelvanWidgetTest, CardPicturesComeFromTheInstalledRule) {
    const fnd::Value buddy = fnd::Value::dictionary({{"type", "buddy"}, {"state", 0}});
    const fnd::Value room = fnd::Value::dictionary({{"type", "room"}});
    {
        fnd::testing::LogCapture log;
        EXPECT_EQ(ZelvanWidget::newStatusImageForCard(buddy), nullptr);
        EXPECT_TRUE(log.contains("unknown card type"));
    }
    AppRegistry registry;
    registry.cardPictureRule.factory = ServiceSlot<CardPictureRule>::fixed(std::make_shared<BuddyRule>());
    ScopedAppDelegate delegate(std::move(registry));
    EXPECT_EQ(ZelvanWidget::newStatusImageForCard(buddy), ZelvanWidget::iconForIM(0, true));
    fnd::testing::LogCapture log;
    EXPECT_EQ(ZelvanWidget::newStatusImageForCard(room), nullptr);
    EXPECT_TRUE(log.contains("unknown card type"));
    EXPECT_TRUE(log.contains("room"));
}

TEST(ZelvanWidgetTest, NetworkAndPresenceIcons) {
    const auto service = ZelvanWidget::iconForIM(-1, false);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->size(), (gfx::Size{24, 24}));
    for (int network : {-2, -3, 0, 9}) {
        EXPECT_NE(ZelvanWidget::iconForIM(network, false), service) << network;
    }
    // A network without its own picture, or an unknown negative id, shows the service's.
    EXPECT_EQ(ZelvanWidget::iconForIM(1000, false), service);
    EXPECT_EQ(ZelvanWidget::iconForIM(-7, false), service);

    const auto grey = ZelvanWidget::iconForIM(-1, true);
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(ZelvanWidget::iconForIM(-1, true), grey);
    const gfx::Rgba8 middle = grey->pixelAt(12, 12);
    EXPECT_TRUE(isGrey(middle));
    EXPECT_EQ(middle.a, service->pixelAt(12, 12).a);

    for (int state = 0; state <= 3; ++state) {
        const auto icon = ZelvanWidget::stateIcon(state);
        ASSERT_NE(icon, nullptr) << state;
        EXPECT_EQ(icon->size(), (gfx::Size{16, 16}));
    }
    EXPECT_EQ(ZelvanWidget::stateIcon(4), nullptr);
    EXPECT_EQ(ZelvanWidget::stateIcon(-1), nullptr);
}

TEST(ZelvanWidgetTest, Colours) {
    const int size = ZelvanWidget::colorTableSize();
    for (int i = 0; i < size; ++i) {
        EXPECT_NE(ZelvanWidget::colorForId(i), ZelvanWidget::colorForId(i + 1)) << i;
        EXPECT_EQ(ZelvanWidget::colorForId(i - size), ZelvanWidget::colorForId(i));
    }
    EXPECT_EQ(ZelvanWidget::colorForId(INT_MIN), ZelvanWidget::colorForId(INT_MIN % size + size));
    EXPECT_EQ(ZelvanWidget::colorForId(INT_MAX), ZelvanWidget::colorForId(INT_MAX % size));

    EXPECT_EQ(ZelvanWidget::colorFromWeb(0x7FFF8000, 0.5), gfx::Color::fromRgbHex(0xFF8000, 0.5));
    EXPECT_EQ(ZelvanWidget::newColorFromWeb(-1, 1), gfx::Color(1, 1, 1, 1));
}

TEST(ZelvanWidgetTest, SkinnedButtonsAndHelpers) {
    struct Case {
        std::shared_ptr<ui::Button> button;
        gfx::Size size;
        int leftCap;
        bool darkTitle;
    };
    const Case cases[] = {
        {ZelvanWidget::newWhiteButton(), {60, 31}, 29, true},
        {ZelvanWidget::newBarButton(), {50, 30}, 24, false},
        {ZelvanWidget::newBarBackButton(), {50, 30}, 14, false},
        {ZelvanWidget::newMossBarButton(), {50, 30}, 24, false},
        {ZelvanWidget::newIMBarButton(), {40, 24}, 19, false},
        {ZelvanWidget::newInputBarLightBlueButton(), {58, 30}, 28, false},
        {ZelvanWidget::newInputBarRedButton(), {58, 30}, 28, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.button->buttonType(), ui::ButtonType::Custom);
        EXPECT_EQ(c.button->frame().size, c.size);
        const auto skin = c.button->backgroundImageForState(ui::ControlState::Normal);
        ASSERT_NE(skin, nullptr);
        EXPECT_EQ(skin->leftCapWidth(), c.leftCap);
        EXPECT_EQ(skin->topCapHeight(), static_cast<int>(c.size.height) / 2);
        EXPECT_EQ(c.button->titleLabel()->font()->pointSize(), ZelvanWidget::buttonFontSize());
        EXPECT_EQ(c.button->titleColorForState(ui::ControlState::Normal)->r < 0.5, c.darkTitle);
    }

    const auto view = ZelvanWidget::newContentViewForViewController();
    EXPECT_EQ(view->frame(), widgetGetMainFrame());
    EXPECT_EQ(view->backgroundColor(), ZelvanStyle::shared()->viewBackgroundColor());
    EXPECT_EQ(view->autoresizingMask(), ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);

    auto label = ui::View::create<ui::Label>(gfx::Rect(0, 0, 50, 20));
    ZelvanWidget::enableFontAutoAdjust(*label);
    EXPECT_TRUE(label->adjustsFontSizeToFitWidth());
    EXPECT_EQ(label->minimumFontSize(), ZelvanWidget::kMinimumAutoAdjustFontSize);
    label->setFont(gfx::Font::systemFontOfSize(8));
    ZelvanWidget::enableFontAutoAdjust(*label);
    EXPECT_EQ(label->minimumFontSize(), 8);

    EXPECT_EQ(ZelvanWidget::newJsonObject(R"({"a":[1]})"), fnd::Value::dictionary({{"a", fnd::Value::array({1})}}));
    EXPECT_FALSE(ZelvanWidget::newJsonObject("{a:1}").has_value());
}

} // namespace
} // namespace zelvan
