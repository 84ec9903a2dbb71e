// Text measurement benchmark: 10,000 chat lines measured by our layout (wrapping at width 200, as the
// messenger does) against cairo's text extents of the same lines on the same DejaVu Sans face.
#include <benchmark/benchmark.h>

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <random>
#include <string>
#include <vector>

#include "platform/graphics/backends.h"
#include "platform/graphics/font_files.h"
#include "platform/graphics/text_layout.h"

namespace {

constexpr double kFontSize = 14;

// Chat-like lines of 1 to 30 words, some with accented or Cyrillic words, deterministic.
const std::vector<std::string>& chatLines() {
    static const std::vector<std::string> lines = [] {
        const std::vector<std::string> words = {
            "hi",      "hello", "how",    "are",  "you",    "ok",  "lol",   "game",  "room", "join",        "me", "now",
            "tonight", "great", "thanks", "café", "привет", "see", "later", "who's", "in?",  "well-played", "gg", ":)"};
        std::mt19937 rng(2024);
        std::vector<std::string> out;
        out.reserve(10000);
        for (int i = 0; i < 10000; ++i) {
            const int n = 1 + static_cast<int>(rng() % 30);
            std::string line;
            for (int w = 0; w < n; ++w) {
                if (w) {
                    line += ' ';
                }
                line += words[rng() % words.size()];
            }
            out.push_back(std::move(line));
        }
        return out;
    }();
    return lines;
}

void measureOurs(benchmark::State& state) {
    gfx::installTextMetrics(nullptr);
    const auto font = gfx::Font::systemFontOfSize(kFontSize);
    const auto& lines = chatLines();
    for (auto _ : state) {
        double total = 0;
        for (const std::string& line : lines) {
            total += gfx::sizeWithFont(line, font, gfx::Size{200, 100000}, gfx::LineBreakMode::WordWrap).height;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
}
BENCHMARK(measureOurs)->Name("measure10k/ours")->Unit(benchmark::kMillisecond);

void measureCairo(benchmark::State& state) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 ||
        FT_New_Face(library, gfx::fontFilePath(gfx::FontFace::Regular).c_str(), 0, &face) != 0) {
        state.SkipWithError("cannot open DejaVu Sans");
        return;
    }
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
    cairo_matrix_t fontMatrix, identity;
    cairo_matrix_init_scale(&fontMatrix, kFontSize, kFontSize);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_scaled_font_t* scaled = cairo_scaled_font_create(cairoFace, &fontMatrix, &identity, options);
    const auto& lines = chatLines();
    for (auto _ : state) {
        double total = 0;
        for (const std::string& line : lines) {
            cairo_text_extents_t extents;
            cairo_scaled_font_text_extents(scaled, line.c_str(), &extents);
            total += extents.x_advance;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
    cairo_scaled_font_destroy(scaled);
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(cairoFace);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
BENCHMARK(measureCairo)->Name("measure10k/cairo")->Unit(benchmark::kMillisecond);

} // namespace
