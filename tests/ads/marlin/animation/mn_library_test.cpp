// The animation library: loading from Documents (also under a "file:" base URL) and what a bad file leaves,
// the colour rule, pattern types and gradients, and shape paths with their bounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_color.h"
#include "ads/marlin/animation/mn_pattern.h"
#include "ads/marlin/animation/mn_shape.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/bitmap_context.h"

namespace zelvan::marlin {
namespace {

using fnd::Value;

Value segment(const char* action, double x = 0, double y = 0) {
    return Value::dictionary({{"action", action}, {"x", x}, {"y", y}});
}

// A library with a few patterns and shapes, as a property list document.
std::string libraryText() {
    Value patterns = Value::dictionary({
        {"red", Value::dictionary({{"type", "solid"}, {"color", "#FF0000FF"}})},
        {"odd", Value::dictionary({{"type", "sparkle"}, {"color", "FF0000FF"}})},
        {"fade",
         Value::dictionary({{"type", "radial"},
                            {"stops", Value::array({Value::dictionary({{"color", "00FF00FF"}, {"ratio", 0}}),
                                                    Value::dictionary({{"color", "0000FF80"}, {"ratio", "255"}})})},
                            {"radius", 12.5},
                            {"x", 3}})},
    });
    Value shapes = Value::dictionary({
        {"box", Value::dictionary({{"x", 1}, {"y", 2}, {"w", 30}, {"h", 40}, {"paths", Value::array()}})},
        {"line", Value::dictionary({{"paths", Value::array({Value::dictionary(
                                                  {{"path", Value::array({segment("m", 10, 10), segment("l", 5, 0)})},
                                                   {"fillId", "red"}})})}})},
    });
    return *fnd::PropertyList::write(Value::dictionary({{"patterns", patterns}, {"shapes", shapes}}));
}

void writeDocument(const std::string& name, const std::string& text) {
    const std::filesystem::path path = fnd::AppFolders::documents() + "/" + name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::shared_ptr<MNAnimationView> makeView() {
    return ui::View::create<MNAnimationView>(gfx::Rect(0, 0, 320, 480));
}

TEST(MNLibraryTest, LoadsFromDocumentsAndABadFileKeepsTheLibrary) {
    auto view = makeView();
    writeDocument("anim.plist", libraryText());
    view->loadPropertiesFromFile("anim.plist");
    EXPECT_EQ(view->shapePropertiesWithKey("box")->count(), 5u);
    EXPECT_EQ(view->patternLibraryKeys(), (std::vector<std::string>{"red", "odd", "fade"}));
    EXPECT_EQ(view->shapeLibraryKeys().size(), 2u);
    auto box = view->shapeInstanceWithKey("b1", "box", true);
    auto red = view->patternInstanceWithKey("red", "red", true);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->bounds(), gfx::Rect(1, 2, 30, 40));
    EXPECT_EQ(red->type(), MNPattern::kSolid);
    EXPECT_EQ(view->patternInstanceWithKey("red", "red", true), red); // shared per key

    // A file that cannot be parsed, is missing, or lies outside Documents: one line each, the library
    // stays. Under a "file:" base URL the name must stay inside Documents too; a readable library just
    // outside is refused, and so is a base URL outside Documents.
    writeDocument("../outside.plist", *fnd::PropertyList::write(Value::dictionary()));
    {
        fnd::testing::LogCapture log;
        writeDocument("broken.plist", "<plist><dict><key>patterns</key>");
        view->loadPropertiesFromFile("broken.plist");
        view->loadPropertiesFromFile("missing.plist");
        view->loadPropertiesFromFile("../outside.plist");
        view->setBaseURL(fnd::Url::fileUrl(fnd::AppFolders::documents() + "/ads/"));
        view->loadPropertiesFromFile("../../outside.plist");
        view->setBaseURL(fnd::Url::fileUrl(fnd::AppFolders::documents() + "/.."));
        view->loadPropertiesFromFile("outside.plist");
        EXPECT_EQ(log.count("PropertyList: "), 5u);
    }
    EXPECT_EQ(view->shapeLibraryKeys().size(), 2u);
    EXPECT_NE(view->patternPropertiesWithKey("red"), nullptr);

    // A "file:" base URL of a folder inside Documents reads below it.
    writeDocument("ads/anim.plist", *fnd::PropertyList::write(Value::dictionary(
                                        {{"shapes", Value::dictionary({{"solo", Value::dictionary()}})}})));
    view->setBaseURL(fnd::Url::fileUrl(fnd::AppFolders::documents() + "/ads/"));
    view->loadPropertiesFromFile("anim.plist");
    EXPECT_EQ(view->shapeLibraryKeys(), std::vector<std::string>{"solo"});
    EXPECT_EQ(view->patternPropertiesWithKey("red"), nullptr);
    EXPECT_EQ(box->bounds(), gfx::Rect(1, 2, 30, 40)); // instances keep what they parsed

    // Without a library: no paths, zero bounds, unknown patterns; literal colours still work.
    auto empty = makeView();
    auto bare = std::static_pointer_cast<MNShape>(empty->shapeInstanceWithKey("b2", "line", true));
    EXPECT_TRUE(bare->paths().empty());
    EXPECT_EQ(bare->bounds(), gfx::Rect());
    EXPECT_EQ(empty->patternInstanceWithKey("fade", "fade", true)->type(), MNPattern::kUnknown);
    auto literal = empty->patternInstanceWithKey("#00FF00", "#00FF00", true);
    EXPECT_EQ(literal->type(), MNPattern::kSolid);
    EXPECT_EQ(*literal->solidColor(), gfx::Color(0, 1, 0, 1));
}

TEST(MNLibraryTest, ColoursReadAsOneHexNumber) {
    EXPECT_EQ(MNColorFromString("#FF000080"), gfx::Color(1, 0, 0, 128.0f / 255.0f));
    // Six digits are 00RRGGBB: red 0, the three bytes as green, blue and alpha.
    EXPECT_EQ(MNColorFromString("112233"), gfx::Color(0, 0x11 / 255.0f, 0x22 / 255.0f, 0x33 / 255.0f));
    EXPECT_EQ(MNColorFromString("#zz"), gfx::Color(0, 0, 0, 0));
    EXPECT_EQ(MNColorFromString("123456789"), gfx::Color(1, 1, 1, 1)); // past 32 bits saturates
    // Literal keys: seven characters plus "FF", so eight digits use only the first six.
    EXPECT_EQ(MNColorFromLiteralKey("#102030"), gfx::Color(0x10 / 255.0f, 0x20 / 255.0f, 0x30 / 255.0f, 1));
    EXPECT_EQ(MNColorFromLiteralKey("#10203000"), MNColorFromLiteralKey("#102030"));
    EXPECT_EQ(MNColorFromLiteralKey("#1"), gfx::Color(0, 0, 1 / 255.0f, 1)); // "#1FF": short keys read no further

    auto view = makeView();
    const std::string text = libraryText();
    ASSERT_TRUE(view->loadPropertiesFromData(fnd::Bytes(text.begin(), text.end())));
    auto odd = view->patternInstanceWithKey("odd", "odd", true);
    EXPECT_EQ(odd->type(), MNPattern::kUnknown); // a colour does not make an unknown type solid
    EXPECT_EQ(*odd->solidColor(), gfx::Color(1, 0, 0, 1));
    auto fade = view->patternInstanceWithKey("fade", "fade", true);
    EXPECT_EQ(fade->type(), MNPattern::kRadial);
    EXPECT_EQ(fade->radialGradientRadius(), 12.5f);
    EXPECT_EQ(fade->radialGradientCenter(), gfx::Point(3, 0));
    ASSERT_NE(fade->gradient(), nullptr);
    ASSERT_EQ(fade->gradient()->stops().size(), 2u);
    EXPECT_DOUBLE_EQ(fade->gradient()->stops()[1].location, 1.0); // "ratio" / 255, text by its number
    EXPECT_EQ(fade->gradient()->stops()[1].color, gfx::Color(0, 0, 1, 128.0f / 255.0f));
}

TEST(MNLibraryTest, ImagePatternsLoadBesideTheLibraryFlipped) {
    // A 1x2 image: red on top, blue below.
    auto context = gfx::BitmapContext::create(1, 2, gfx::PixelFormat::Bgra8PremulFirstLE);
    context->setFillColor(gfx::Color(1, 0, 0, 1));
    context->fillRect(gfx::Rect(0, 1, 1, 1)); // y up: the top row
    context->setFillColor(gfx::Color(0, 0, 1, 1));
    context->fillRect(gfx::Rect(0, 0, 1, 1));
    const fnd::Bytes png = gfx::pngRepresentation(*context->makeImage());
    ASSERT_EQ(context->makeImage()->pixelAt(0, 0), (gfx::Rgba8{255, 0, 0, 255}));
    writeDocument("tile.png", std::string(png.begin(), png.end()));
    writeDocument("lib.plist",
                  *fnd::PropertyList::write(Value::dictionary(
                      {{"patterns", Value::dictionary(
                                        {{"tile", Value::dictionary({{"type", "image"}, {"path", "tile.png"}})}})}})));
    auto view = makeView();
    view->loadPropertiesFromFile("lib.plist");
    auto tile = view->patternInstanceWithKey("tile", "tile", true);
    EXPECT_EQ(tile->type(), MNPattern::kImage);
    ASSERT_NE(tile->image(), nullptr);
    EXPECT_EQ(tile->image()->width(), 1);
    EXPECT_EQ(tile->image()->pixelAt(0, 0), (gfx::Rgba8{0, 0, 255, 255}));
    EXPECT_EQ(tile->image()->pixelAt(0, 1), (gfx::Rgba8{255, 0, 0, 255}));
}

TEST(MNLibraryTest, PathsSegmentsAndBounds) {
    auto view = makeView();
    auto shape = MNShape::create("none", "s", view);
    const auto nan = std::numeric_limits<double>::quiet_NaN();
    const auto inf = std::numeric_limits<double>::infinity();
    Value q = Value::dictionary({{"action", "q"}, {"cpX", 4}, {"cpY", -40}, {"x", 8}, {"y", 0}});
    Value paths = Value::array({
        Value::dictionary(
            {{"path", Value::array({segment("m", 10, 10), segment("l", 5, 0), segment("spin", 99, 99)})}}),
        Value::dictionary({{"path", Value::array({segment("m", 0, 30), q, segment("z")})}, {"strokeWidth", 4}}),
        Value::dictionary({{"path", Value::array({segment("l", nan, inf), Value("not a segment")})}}),
    });
    auto description = Value::dictionary({{"paths", paths}, {"x", 0}, {"y", 0}, {"w", 5}}).asDictionary();
    shape->setWithProperties(description, view);
    ASSERT_EQ(shape->paths().size(), 3u);
    EXPECT_EQ(shape->paths()[0].currentPoint(), gfx::Point(15, 10)); // the unknown action is skipped
    // "q" takes both offsets from (0, 30): control (4, -10), end (8, 30).
    const auto& curve = shape->paths()[1].elements();
    ASSERT_GE(curve.size(), 3u);
    EXPECT_EQ(curve[2].points[2], gfx::Point(8, 30));
    EXPECT_EQ(shape->paths()[2].currentPoint(), gfx::Point(0, 0)); // NaN and infinity read as 0

    // No "h": bounds from the paths. Path 0's box (the implicit (0, 0) included), then path 1's box
    // with the curve's control point, outset by half its stroke width.
    EXPECT_EQ(shape->bounds(), gfx::Rect(-2, -12, 17, 44));

    auto none = Value::dictionary({{"paths", "not an array"}, {"x", 1}, {"y", 1}, {"w", 1}, {"h", nan}});
    shape->setWithProperties(none.asDictionary(), view);
    EXPECT_TRUE(shape->paths().empty());
    EXPECT_EQ(shape->bounds(), gfx::Rect(1, 1, 1, 0));
}

} // namespace
} // namespace zelvan::marlin
