// A game's "paint" through the natives against the same frame drawn straight through the graphics
// layer: 200 pre-rendered palette sprites (16 x 16 to 32 x 32, mixed anchors and palettes) and 20 text
// lines (half in a bitmap font) on a 320 x 480 backing. The frame's time set against the 50 ms tick
// is what a game can afford per paint.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "games/engine/natives/drawing_helpers.h"
#include "games/engine/natives/game_host.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "games/formats/bitmap_font.h"
#include "games/formats/cng4.h"
#include "platform/foundation/log.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/font.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "tools/bcasm/assembler.h"
#include "tools/gameart/art_builders.h"
#include "tools/gameart/font_builders.h"

namespace {

using namespace zelvan;

constexpr int kWidth = 320;
constexpr int kHeight = 480;
constexpr int kSprites = 200;
constexpr int kLines = 20;
constexpr int kImages = 5; // sides 16, 20, 24, 28, 32
constexpr int kPalettes = 4;

fnd::Bytes spriteArchive() {
    gameart::ArchiveBuilder builder;
    for (int p = 0; p < kPalettes; ++p) {
        builder.addPalette({0x000000, 0xFF0000u >> (p * 4), 0x00FF00u + static_cast<uint32_t>(p) * 40, 0xFFFFFF},
                           {0, 255, 255, 255});
    }
    for (int i = 0; i < kImages; ++i) {
        const int side = 16 + 4 * i;
        std::vector<uint8_t> pixels(static_cast<size_t>(side * side));
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                pixels[static_cast<size_t>(y * side + x)] = static_cast<uint8_t>((x / 4 + y / 4) % 4);
            }
        }
        builder.addImage(side, side, pixels);
    }
    return builder.build();
}

struct Sprite {
    int image, palette, x, y, anchor;
};
struct Line {
    std::string text;
    int x, y;
    bool bitmap;
};

std::vector<Sprite> sprites() {
    std::vector<Sprite> out;
    for (int i = 0; i < kSprites; ++i) {
        out.push_back({i % kImages, (i / kImages) % kPalettes, (i * 37) % kWidth, (i * 53) % kHeight, 1 + i % 9});
    }
    return out;
}

std::vector<Line> lines() {
    std::vector<Line> out;
    for (int i = 0; i < kLines; ++i) {
        out.push_back({"SCORE " + std::to_string(1000 + i * 77), 10 + (i % 3) * 90, 12 + i * 22, i % 2 == 0});
    }
    return out;
}

// Serves the two game files to the natives.
class Host final : public GameHost {
public:
    void send(fnd::Value) override {}
    int32_t gameAudioEnable() override { return 0; }
    void showAlert(std::string, std::string) override {}
    void requestDataWithKeys(std::vector<std::string>) override {}
    std::optional<std::string> newDataWithKey(std::string) override { return std::nullopt; }
    std::optional<fnd::Bytes> newFileData(std::string path) override {
        auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<fnd::Bytes>(found->second);
    }
    std::shared_ptr<GameScreen> playingGame() override { return nullptr; }
    void scriptQuitGuide(int32_t) override {}
    void scriptQuitGame(fnd::Value) override {}
    void scriptShowAlert(fnd::Value) override {}
    void scriptOpenUrl(fnd::Value) override {}
    std::optional<std::string> gameFilePath(const std::string& path) override {
        return files.count(path) != 0 ? std::optional<std::string>(path) : std::nullopt;
    }
    std::map<std::string, fnd::Bytes> files;
};

// "load" keeps the archive (G10), the font (G11) and its colour; "paint" draws the frame.
std::string program() {
    std::string text = ".entry \"load\" G3\n.entry \"paint\" G4\n func load\n store G3\n func paint\n store G4\n stop\n"
                       "load:\n bytes \"/bench/sprites.cng\"\n native 72 1\n store G10\n"
                       "bytes \"/bench/font.fnt\"\n native 76 1\n store G11\n"
                       "load G11\n push 16776960\n push 255\n native 78 3\n store G12\n"
                       "load G11\n load G12\n native 79 2\n pop\n push 0\n ret\n"
                       "paint:\n push 0\n native 44 1\n pop\n push 0\n push 0\n push 0\n native 48 3\n pop\n"
                       "push 0\n push 0\n push 320\n push 480\n native 56 4\n pop\n";
    for (const Sprite& s : sprites()) {
        text += "load G10\n push " + std::to_string(s.image) + "\n push " + std::to_string(s.palette) + "\n push " +
                std::to_string(s.x) + "\n push " + std::to_string(s.y) + "\n push " + std::to_string(s.anchor) +
                "\n native 65 6\n pop\n";
    }
    text += "push 255\n push 255\n push 255\n native 48 3\n pop\n";
    for (const Line& l : lines()) {
        text += l.bitmap ? "load G11\n native 59 1\n pop\n" : "native 59 0\n pop\n";
        text += "bytes \"" + l.text + "\"\n push " + std::to_string(l.x) + "\n push " + std::to_string(l.y) +
                "\n native 62 3\n pop\n";
    }
    return text + "push 0\n ret\n";
}

void frameOurs(benchmark::State& state) {
    fnd::setLogToStderr(false);
    auto host = std::make_shared<Host>();
    host->files = {{"/bench/sprites.cng", spriteArchive()}, {"/bench/font.fnt", gameart::pixelFont()}};
    Assembler assembler;
    auto image = assembler.assemble(program());
    if (!image) {
        state.SkipWithError("the paint program does not assemble");
        return;
    }
    STLScriptEngine engine(*image, 1, 1, 1, fnd::Value(), fnd::Value(), kWidth, kHeight, host);
    auto guard = std::make_shared<SurfaceGuard>();
    guard->surface = gfx::BitmapContext::create(kWidth, kHeight, gfx::PixelFormat::Bgra8PremulFirstLE);
    engine.setContext(guard->surface, 0, guard);
    engine.call("load", fnd::Value());
    for (auto _ : state) {
        engine.call("paint", fnd::Value());
        guard->surface->flush();
    }
    benchmark::DoNotOptimize(guard->surface->pixelAt(100, 100));
}
BENCHMARK(frameOurs)->Name("frame200/ours")->Unit(benchmark::kMicrosecond);

// The same images, rectangles and texts handed to the graphics layer directly.
void frameGfx(benchmark::State& state) {
    auto archive = CNG4::initWithIData(spriteArchive()).value();
    archive->buffer(-1, -1);
    auto font = vFont::initWithIData(gameart::pixelFont()).value();
    font->setColorIndex(font->addColor(0xFFFF00, 255));
    font->buffer(-1, -1);
    auto system = gfx::Font::withName("Helvetica-Bold", 14);
    std::shared_ptr<gfx::Context> ctx =
        gfx::BitmapContext::create(kWidth, kHeight, gfx::PixelFormat::Bgra8PremulFirstLE);
    const std::vector<Sprite> all = sprites();
    const std::vector<Line> text = lines();
    for (auto _ : state) {
        ctx->setRGBFillColor(0, 0, 0, 1);
        ctx->fillRect(gfx::Rect{0, 0, kWidth, kHeight});
        for (const Sprite& s : all) {
            gfx::ImagePtr picture = archive->bufferedImage(s.image, s.palette);
            const double w = picture->width();
            const double h = picture->height();
            const double x = s.x - (s.anchor % 3 == 2 ? w / 2 : s.anchor % 3 == 0 ? w : 0);
            const double y = s.y - (s.anchor >= 4 && s.anchor <= 6 ? h / 2 : s.anchor <= 3 ? h : 0);
            ctx->drawImage(gfx::Rect{x, kHeight - y - h, w, h}, *picture);
        }
        ctx->setRGBFillColor(1, 1, 1, 1);
        gfx::pushContext(ctx);
        for (const Line& l : text) {
            if (l.bitmap) {
                font->drawString(*ctx, l.text, l.x, l.y, 7, kHeight);
            } else {
                gfx::drawInRect(l.text, gfx::Rect{double(l.x), double(l.y), 300, 20}, system,
                                gfx::LineBreakMode::WordWrap);
            }
        }
        gfx::popContext();
        ctx->flush();
    }
    benchmark::DoNotOptimize(ctx->pixelAt(100, 100));
}
BENCHMARK(frameGfx)->Name("frame200/gfx")->Unit(benchmark::kMicrosecond);

} // namespace
