// The drawing natives on small surfaces: colour, shapes, clip and translation, buffers within their
// budget, text in the system and bitmap fonts, palette archives and platform images with anchors and
// alpha, and where each kind of draw puts an image's top row. Surfaces are y up: user y is memory row
// height - 1 - y.
#include <gtest/gtest.h>

#include <filesystem>

#include "games/engine/natives/drawing_helpers.h"
#include "games/formats/bitmap_font.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_layout.h"
#include "tests/games/engine/natives/natives_drawing_support.h"
#include "tools/gameart/art_builders.h"
#include "tools/gameart/font_builders.h"

namespace zelvan {
namespace {

using testing::lit;
using testing::NativesBench;

bool same(gfx::Rgba8 p, int r, int g, int b, int a = 255) {
    return std::abs(p.r - r) <= 1 && std::abs(p.g - g) <= 1 && std::abs(p.b - b) <= 1 && std::abs(p.a - a) <= 1;
}

// Whether the two surfaces hold the same pixels.
bool samePixels(gfx::Context& a, gfx::Context& b) {
    return a.pngRepresentation() == b.pngRepresentation();
}

// A solid-colour PNG of w x h (premultiplied B,G,R,A of an opaque colour).
fnd::Bytes solidPng(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    fnd::Bytes px;
    for (int i = 0; i < w * h; ++i) {
        px.insert(px.end(), {b, g, r, 255});
    }
    return gfx::pngRepresentation(*gfx::Image::fromPixels(w, h, px));
}

constexpr const char* kSlot0 = "push 0\n native 44 1\n pop\n";

TEST(NativesDrawingTest, ColourShapesClipAndTranslation) {
    NativesBench bench;
    // One argument splits into red 16, green 32, blue 255.
    bench.run(std::string(kSlot0) + "push 1057023\n native 48 1\n pop\n"
                                    "push 0\n push 0\n push 4\n push 4\n native 56 4\n pop\n push 0\n ret");
    EXPECT_TRUE(same(bench.screen->pixelAt(1, 62), 16, 32, 255)) << bench.screen->pixelAt(1, 62).r;
    EXPECT_EQ(bench.engine->core()->drawState.blue, 255);

    // 64 after 73 (10, 20) and 48 (255, 0, 0): clipped to the new rectangle, still translated and red.
    bench.run(std::string(kSlot0) + "push 10\n push 20\n native 73 2\n pop\n"
                                    "push 255\n push 0\n push 0\n native 48 3\n pop\n"
                                    "push 0\n push 0\n push 2\n push 2\n native 80 4\n pop\n"
                                    "push 0\n push 0\n push 8\n push 8\n native 64 4\n pop\n"
                                    "push 0\n push 0\n push 30\n push 30\n native 56 4\n pop\n push 0\n ret");
    EXPECT_TRUE(same(bench.screen->pixelAt(10, 63 - 20), 255, 0, 0));
    EXPECT_TRUE(same(bench.screen->pixelAt(17, 63 - 27), 255, 0, 0));
    EXPECT_EQ(bench.screen->pixelAt(18, 63 - 20).a, 0); // outside the new clip
    EXPECT_EQ(bench.screen->pixelAt(10, 63 - 28).a, 0);
    EXPECT_EQ(bench.screen->pixelAt(9, 63 - 20).a, 0);

    // A new run starts without colour or translation: a 1-wide line and a stroked rectangle in black.
    bench.screen = gfx::BitmapContext::create(64, 64, gfx::PixelFormat::Bgra8PremulFirstLE);
    bench.run(std::string(kSlot0) + "push 0\n push 40\n push 63\n push 40\n native 50 4\n pop\n"
                                    "push 5\n push 5\n push 10\n push 10\n native 52 4\n pop\n push 0\n ret");
    EXPECT_GT(bench.screen->pixelAt(30, 63 - 40).a + bench.screen->pixelAt(30, 64 - 40).a, 0);
    EXPECT_EQ(bench.screen->pixelAt(30, 63 - 45).a, 0);
    EXPECT_GT(bench.screen->pixelAt(5, 63 - 10).a, 0);  // the rectangle's left edge
    EXPECT_EQ(bench.screen->pixelAt(10, 63 - 10).a, 0); // its inside stays empty
    EXPECT_TRUE(same(bench.screen->pixelAt(5, 63 - 10), 0, 0, 0, bench.screen->pixelAt(5, 63 - 10).a));
}

TEST(NativesDrawingTest, BuffersWithinTheirSlotsAndBudget) {
    NativesBench bench;
    EXPECT_EQ(
        bench.run("push 3\n push 3\n native 45 2\n push 3\n push 3\n native 45 2\n native 46 0\n mkarray 3\n ret"),
        fnd::Value::array({2, 3, fnd::Value::array({64, 64})}));

    // Indexes the script may not use leave the current surface and draw nothing.
    EXPECT_EQ(bench.run(std::string(kSlot0) + "push -1\n native 44 1\n pop\n push 10000\n native 44 1\n pop\n"
                                              "push -1\n push 0\n push 0\n native 66 3\n push 10000\n push 0\n"
                                              "push 0\n native 66 3\n push 50\n push 0\n push 0\n native 66 3\n"
                                              "push 10000\n native 122 1\n push 77\n native 122 1\n mkarray 5\n ret"),
              fnd::Value::array({fnd::Value(), fnd::Value(), fnd::Value(), fnd::Value(), fnd::Value()}));
    EXPECT_EQ(bench.engine->core()->currentBuffer(), 0);

    // Four 2048 x 2048 surfaces fill the 64 MiB budget: the fifth is refused, and so is a slot 44
    // would fill, with one WARN for the run.
    fnd::testing::LogCapture log;
    EXPECT_EQ(bench.run("push 2048\n push 2048\n native 45 2\n push 2048\n push 2048\n native 45 2\n"
                        "push 2048\n push 2048\n native 45 2\n push 2048\n push 2048\n native 45 2\n"
                        "push 2048\n push 2048\n native 45 2\n push 1\n push 1\n native 45 2\n"
                        "push 90\n native 44 1\n pop\n mkarray 6\n ret"),
              fnd::Value::array({2, 3, 4, 5, -1, -1}));
    EXPECT_EQ(bench.engine->core()->surfaceBytes(), STLScriptCore::kMaxSurfaceBytes);
    EXPECT_EQ(bench.engine->core()->buffers()[90], nullptr);
    EXPECT_EQ(log.count("surface budget"), 1u);
    // Sizes no surface may have are refused without spending the budget.
    EXPECT_EQ(bench.run("push 0\n push 5\n native 45 2\n push 9000\n push 1\n native 45 2\n mkarray 2\n ret"),
              fnd::Value::array({-1, -1}));
    EXPECT_EQ(bench.engine->core()->surfaceBytes(), 0u);
}

// Draws on slot 0, and draws that read it from another buffer, take the screen's pixel lock; draws
// between offscreen buffers do not. Each run's save and restore take it once each.
TEST(NativesDrawingTest, DrawsTouchingSlot0TakeThePixelLock) {
    NativesBench bench(16, 16);
    int taken = 0;
    bench.guard->lockPixels = [&taken] {
        ++taken;
        return std::shared_ptr<void>();
    };
    auto takenBy = [&](const std::string& body) {
        taken = 0;
        bench.run(body);
        return taken - 2;
    };
    EXPECT_EQ(takenBy(std::string(kSlot0) + "push 0\n push 0\n push 4\n push 4\n native 56 4\n pop\n push 0\n ret"), 1);
    EXPECT_EQ(takenBy("push 2\n native 44 1\n pop\n push 0\n push 0\n push 4\n push 4\n native 56 4\n pop\n"
                      "push 3\n native 44 1\n pop\n push 2\n push 0\n push 0\n native 66 3\n pop\n push 0\n ret"),
              0);
    EXPECT_EQ(takenBy("push 2\n native 44 1\n pop\n push 0\n push 0\n push 0\n native 66 3\n pop\n"
                      "push 0\n native 122 1\n pop\n push 0\n ret"),
              2);
}

TEST(NativesDrawingTest, SystemAndBitmapFontText) {
    NativesBench bench(96, 32);
    // Three arguments: anchor 7, no width or height limit, as the engine's text routine draws it.
    bench.run(std::string(kSlot0) + "bytes \"Hi 42\"\n push 3\n push 4\n native 62 3\n pop\n push 0\n ret");
    auto reference = gfx::BitmapContext::create(96, 32, gfx::PixelFormat::Bgra8PremulFirstLE);
    CGContextDrawText(reference, "Hi 42", nullptr, 3, 4, 7, -1, -1, gfx::LineBreakMode::WordWrap);
    EXPECT_TRUE(samePixels(*bench.screen, *reference));
    EXPECT_NE(bench.screen->pngRepresentation(),
              gfx::BitmapContext::create(96, 32, gfx::PixelFormat::Bgra8PremulFirstLE)->pngRepresentation());

    // 98 measures in the current font; 59 with a name and size changes it.
    auto font = gfx::Font::withName("Helvetica", 20);
    const gfx::Size size =
        gfx::sizeWithFont("Hi there", font, gfx::Size{30, 2147483647.0}, gfx::LineBreakMode::WordWrap);
    EXPECT_EQ(bench.run("bytes \"Helvetica\"\n push 20\n native 59 2\n pop\n"
                        "bytes \"Hi there\"\n push 30\n native 98 2\n ret"),
              fnd::Value::array({static_cast<int>(size.width), static_cast<int>(size.height)}));

    // A bitmap font from a file, with a red colour added and chosen, draws as the font itself does.
    const std::string path = bench.put("digits.fnt", gameart::pixelFont());
    bench.screen = gfx::BitmapContext::create(96, 32, gfx::PixelFormat::Bgra8PremulFirstLE);
    EXPECT_EQ(bench.run(std::string(kSlot0) + "bytes " + lit(path) +
                        "\n native 76 1\n store G4\n"
                        "load G4\n push 16711680\n push 255\n native 78 3\n store G5\n"
                        "load G4\n load G5\n native 79 2\n pop\n load G4\n native 59 1\n pop\n"
                        "bytes \"AB 12\"\n push 2\n push 3\n native 62 3\n pop\n load G5\n ret"),
              fnd::Value(1));
    auto expected = vFont::initWithIData(gameart::pixelFont()).value();
    ASSERT_EQ(expected->addColor(0xFF0000, 255), 1);
    expected->setColorIndex(1);
    reference = gfx::BitmapContext::create(96, 32, gfx::PixelFormat::Bgra8PremulFirstLE);
    expected->drawString(*reference, "AB 12", 2, 3, 7, 32);
    EXPECT_TRUE(samePixels(*bench.screen, *reference));
    bool red = false;
    for (int x = 0; x < 96 && !red; ++x) {
        for (int y = 0; y < 32 && !red; ++y) {
            red = same(bench.screen->pixelAt(x, y), 255, 0, 0);
        }
    }
    EXPECT_TRUE(red);
    // Not a font: 76 with two arguments, 78 on an integer.
    EXPECT_EQ(bench.run("bytes " + lit(path) +
                        "\n push 1\n native 76 2\n push 3\n push 1\n push 1\n native 78 3\n"
                        "mkarray 2\n ret"),
              fnd::Value::array({fnd::Value(), fnd::Value()}));
}

TEST(NativesDrawingTest, PlatformImagesByAnchorAndAlpha) {
    NativesBench bench(200, 200);
    const std::string path = bench.put("block.png", solidPng(40, 20, 0, 0, 255));
    // Anchor 5 at (100, 100) fills (80, 90, 40, 20); anchor 3 fills (60, 80, 40, 20).
    for (auto [anchor, left, bottom] : {std::tuple{5, 80, 90}, std::tuple{3, 60, 80}}) {
        bench.screen = gfx::BitmapContext::create(200, 200, gfx::PixelFormat::Bgra8PremulFirstLE);
        bench.run(std::string(kSlot0) + "bytes " + lit(path) + "\n native 85 1\n push 100\n push 100\n push " +
                  std::to_string(anchor) + "\n native 65 4\n pop\n push 0\n ret");
        auto at = [&](int x, int y) { return bench.screen->pixelAt(x, 199 - y); };
        EXPECT_TRUE(same(at(left, bottom), 0, 0, 255)) << "anchor " << anchor;
        EXPECT_TRUE(same(at(left + 39, bottom + 19), 0, 0, 255)) << "anchor " << anchor;
        EXPECT_EQ(at(left - 1, bottom).a, 0) << "anchor " << anchor;
        EXPECT_EQ(at(left + 40, bottom).a, 0) << "anchor " << anchor;
        EXPECT_EQ(at(left, bottom - 1).a, 0) << "anchor " << anchor;
        EXPECT_EQ(at(left, bottom + 20).a, 0) << "anchor " << anchor;
    }
    // Alpha 50 draws at half alpha for that draw only; a width and height scale the image.
    bench.screen = gfx::BitmapContext::create(200, 200, gfx::PixelFormat::Bgra8PremulFirstLE);
    bench.run(std::string(kSlot0) + "bytes " + lit(path) +
              "\n native 85 1\n store G4\n"
              "load G4\n push 0\n push 0\n push 7\n push 10\n push 10\n push 50\n native 65 7\n pop\n"
              "load G4\n push 20\n push 0\n native 65 3\n pop\n push 0\n ret");
    EXPECT_NEAR(bench.screen->pixelAt(5, 195).a, 128, 1);
    EXPECT_EQ(bench.screen->pixelAt(11, 195).a, 0);
    EXPECT_EQ(bench.screen->pixelAt(25, 195).a, 255);
}

TEST(NativesDrawingTest, ArchiveBufferAndPhotoAgreeOnTheTopRow) {
    // Top row red, green; bottom row blue, white: as an archive image and as a PNG photo.
    NativesBench bench(8, 8);
    const std::string archive = bench.put("four.cng", gameart::ArchiveBuilder()
                                                          .addPalette({0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF})
                                                          .addImage(2, 2, {0, 1, 2, 3})
                                                          .build());
    const fnd::Bytes px = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};
    const std::string photo = bench.put("four.png", gfx::pngRepresentation(*gfx::Image::fromPixels(2, 2, px)));
    // The archive into slot 0 at (0, 0) and into buffer 2 at (0, 0), buffer 2 blitted at (4, 0), the
    // photo at (4, 4) and, unloaded (72 with prepare 0), the archive at (0, 4).
    bench.run(std::string(kSlot0) + "bytes " + lit(archive) +
              "\n native 72 1\n store G4\n"
              "load G4\n push 0\n push 0\n push 0\n push 0\n native 65 5\n pop\n"
              "push 2\n native 44 1\n pop\n"
              "load G4\n push 0\n push 0\n push 0\n push 0\n native 65 5\n pop\n"
              "push 0\n native 44 1\n pop\n push 2\n push 4\n push 0\n native 66 3\n pop\n"
              "bytes " +
              lit(photo) +
              "\n native 85 1\n push 4\n push 4\n native 65 3\n pop\n"
              "bytes " +
              lit(archive) +
              "\n push 0\n native 72 2\n push 0\n push 0\n push 0\n"
              "push 4\n native 65 5\n pop\n push 0\n ret");
    auto block = [&](int x, int y) {
        return std::vector<bool>{
            same(bench.screen->pixelAt(x, y), 0, 0, 255), same(bench.screen->pixelAt(x + 1, y), 255, 255, 255),
            same(bench.screen->pixelAt(x, y + 1), 255, 0, 0), same(bench.screen->pixelAt(x + 1, y + 1), 0, 255, 0)};
    };
    // Each lands with its top row (red, green) on the lower memory row, where the archive's own rule
    // puts it; the view showing the surface turns it upright.
    const std::vector<bool> all(4, true);
    EXPECT_EQ(block(0, 5), all) << "archive";
    EXPECT_EQ(block(4, 5), all) << "buffer";
    EXPECT_EQ(block(4, 2), all) << "photo";
    EXPECT_EQ(block(0, 1), all) << "unprepared archive";
}

TEST(NativesDrawingTest, MissingFilesAndWrongKindsDrawNothing) {
    NativesBench bench(16, 16);
    const std::string archive =
        bench.put("one.cng", gameart::ArchiveBuilder().addPalette({0xFF0000}).addImage(1, 1, {0}).build());
    const fnd::Value result = bench.run(std::string(kSlot0) + "bytes \"" + bench.root +
                                        "/gone.cng\"\n native 72 1\n store G4\n"
                                        "load G4\n push 0\n push 0\n push 0\n push 0\n native 65 5\n"
                                        "load G4\n push 0\n native 74 2\n"
                                        "push 7\n push 0\n push 0\n push 0\n push 0\n native 65 5\n"
                                        "bytes \"x\"\n push 0\n push 0\n native 65 3\n"
                                        "bytes " +
                                        lit(archive) +
                                        "\n native 72 1\n push 1\n push 1\n native 78 3\n"
                                        "bytes \"" +
                                        bench.root +
                                        "/gone.fnt\"\n native 76 1\n"
                                        "bytes \"" +
                                        bench.root +
                                        "/gone.png\"\n native 85 1\n"
                                        "load G4\n native 59 1\n mkarray 8\n ret");
    std::vector<fnd::Value> nulls(8);
    EXPECT_EQ(result, fnd::Value(std::make_shared<fnd::Array>(nulls)));
    // The missing archive still gives a native object, around nothing.
    auto* wrapper = nsObjectOf(bench.engine->core()->globals()[4]);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_TRUE(wrapper->object.isNull());
    EXPECT_EQ(bench.engine->core()->bitmapFont, nullptr);
    EXPECT_EQ(bench.screen->pngRepresentation(),
              gfx::BitmapContext::create(16, 16, gfx::PixelFormat::Bgra8PremulFirstLE)->pngRepresentation());
}

// A frame drawn only by natives (a ground, a clipped fill, lines, sprites in two palettes at several
// anchors, system and bitmap-font text), kept under the build tree for a person to look at.
TEST(NativesDrawingTest, AFrameForAPersonToLookAt) {
    NativesBench bench(160, 120);
    std::vector<uint8_t> ring(8 * 8, 1);
    for (int y = 2; y < 6; ++y) {
        for (int x = 2; x < 6; ++x) {
            ring[static_cast<size_t>(y * 8 + x)] = (x + y) % 2 == 0 ? 0 : 2;
        }
    }
    const std::string sprites = bench.put("sprites.cng", gameart::ArchiveBuilder()
                                                             .addPalette({0xFFD700, 0xC0392B, 0xFFFFFF})
                                                             .addPalette({0x2ECC71, 0x1F618D, 0x000000})
                                                             .addImage(8, 8, ring)
                                                             .build());
    const std::string font = bench.put("font.fnt", gameart::pixelFont());
    std::string body = std::string(kSlot0) +
                       "push 1911636\n native 48 1\n pop\n push 0\n push 0\n push 160\n push 120\n native 56 4\n pop\n"
                       "push 10\n push 10\n push 60\n push 30\n native 80 4\n pop\n push 200\n push 80\n push 40\n"
                       "native 48 3\n pop\n push 0\n push 0\n push 160\n push 120\n native 56 4\n pop\n"
                       "push 0\n push 0\n push 160\n push 120\n native 64 4\n pop\n"
                       "push 255\n push 255\n push 255\n native 48 3\n pop\n";
    for (int x = 0; x < 160; x += 20) {
        body += "push " + std::to_string(x) + "\n push 60\n push " + std::to_string(x + 10) +
                "\n push 110\n native 50 4\n pop\n";
    }
    body += "bytes " + lit(sprites) + "\n native 72 1\n store G4\n";
    for (int i = 0; i < 9; ++i) {
        body += "load G4\n push 0\n push " + std::to_string(i % 2) + "\n push " + std::to_string(90 + (i % 3) * 24) +
                "\n push " + std::to_string(20 + (i / 3) * 16) + "\n push " + std::to_string(i + 1) +
                "\n native 65 6\n pop\n";
    }
    body += "bytes \"Natives 2\"\n push 10\n push 45\n native 62 3\n pop\n bytes " + lit(font) +
            "\n native 76 1\n store G5\n load G5\n push 16776960\n push 255\n native 78 3\n store G6\n"
            "load G5\n load G6\n native 79 2\n pop\n load G5\n native 59 1\n pop\n"
            "bytes \"FRAME 42\"\n push 10\n push 100\n native 62 3\n pop\n push 0\n ret";
    bench.run(body);

    // Saved the way the script view shows its backing: memory rows bottom first.
    auto frame = bench.screen->makeImage();
    fnd::Bytes rows;
    for (int y = frame->height() - 1; y >= 0; --y) {
        const uint8_t* row = frame->data() + frame->bytesPerRow() * static_cast<size_t>(y);
        rows.insert(rows.end(), row, row + frame->bytesPerRow());
    }
    const fnd::Bytes png = gfx::pngRepresentation(*gfx::Image::fromPixels(frame->width(), frame->height(), rows));
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(fnd::writeFile("screenshots/game-natives-frame.png", png));
    auto saved = gfx::Image::imageWithData(*fnd::readFile("screenshots/game-natives-frame.png"));
    ASSERT_NE(saved, nullptr);
    EXPECT_TRUE(same(saved->pixelAt(30, 20), 200, 80, 40));
    // The ground outside the clipped fill, and the fill inside it.
    EXPECT_TRUE(same(bench.screen->pixelAt(150, 2), 0x1D, 0x2B, 0x54));
    EXPECT_TRUE(same(bench.screen->pixelAt(30, 119 - 20), 200, 80, 40));
    EXPECT_TRUE(same(bench.screen->pixelAt(5, 119 - 20), 0x1D, 0x2B, 0x54));
}

} // namespace
} // namespace zelvan
