// Fuzz target: any bytes either give no palette image archive or one whose every image, with every
// palette, rebuilds, caches, swaps palettes and draws at every anchor into a small buffer safely.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "games/formats/cng4.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "platform/graphics/bitmap_context.h"

namespace {

// Keeps one input's work bounded: archives may hold 255 images and palettes.
constexpr int kMaxImages = 8;
constexpr int kMaxPalettes = 4;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    auto parsed = zelvan::CNG4::initWithIData(fnd::Bytes(data, data + size));
    if (!parsed) {
        // A refusal names a place inside the input.
        if (fnd::parseErrorOffset(parsed.error()).value_or(size + 1) > size) {
            std::abort();
        }
        return 0;
    }
    std::shared_ptr<zelvan::CNG4> archive = std::move(parsed).value();
    int images = std::min(archive->getImageCount(), kMaxImages);
    int palettes = std::min(archive->paletteCount(), kMaxPalettes);
    auto context = gfx::BitmapContext::create(24, 24, gfx::PixelFormat::Bgra8PremulFirstLE);
    if (!context) {
        std::abort();
    }
    // The last byte picks a drawing size, so scaled draws are covered too.
    int scaled = size > 0 ? data[size - 1] % 40 - 1 : -1;
    for (int p = 0; p < palettes; ++p) {
        for (int i = 0; i < images; ++i) {
            archive->buffer(i, p);
            for (int anchor = 0; anchor <= 10; ++anchor) {
                archive->drawImage(*context, i, p, 12, 12, anchor, 24, anchor % 2 ? scaled : -1, -1);
            }
            if (archive->pngData(i, p).empty()) {
                std::abort();
            }
        }
    }
    // Palette changes keep the archive consistent: replace palette 0 with itself, append a copy,
    // and draw with the new palette from the moved data.
    if (archive->paletteCount() > 0) {
        fnd::Bytes block = archive->getPalette(0).value_or(fnd::Bytes{});
        if (!archive->setPalette(0, block)) {
            std::abort();
        }
        int added = archive->addPalette(block);
        if (added != archive->paletteCount() - 1) {
            std::abort();
        }
        for (int i = 0; i < images; ++i) {
            archive->drawImage(*context, i, added, 3, 20, 5, 24, -1, -1);
            if (archive->pngData(i, added) != archive->pngData(i, 0)) {
                std::abort();
            }
        }
        archive->clear(-1, -1);
    }
    archive->drawImage(*context, images, 0, 0, 0, 7, 24, -1, -1);
    return 0;
}
