// Pixel recipes of the demo game's sprites (a ball, a diamond, a framed tile) and its font.
#include "tools/gameart/demo_art.h"

#include <cstdlib>
#include <vector>

#include "tools/gameart/art_builders.h"
#include "tools/gameart/font_builders.h"

namespace zelvan::gameart {
namespace {

constexpr int kSize = kDemoSpriteSize;
constexpr uint8_t kClear = 0;
constexpr uint8_t kBody = 1;
constexpr uint8_t kLight = 2;
constexpr uint8_t kEdge = 3;

using Pixels = std::vector<uint8_t>;

// Fills every pixel with the index `pick` gives for its (x, y).
template <typename Pick>
Pixels sprite(Pick pick) {
    Pixels pixels(static_cast<size_t>(kSize * kSize), kClear);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            pixels[static_cast<size_t>(y * kSize + x)] = pick(x, y);
        }
    }
    return pixels;
}

// A disc with a one-pixel outline and a highlight towards the upper left.
Pixels ball() {
    return sprite([](int x, int y) -> uint8_t {
        const int dx = 2 * x + 1 - kSize;
        const int dy = 2 * y + 1 - kSize;
        const int d2 = dx * dx + dy * dy;
        const int r = kSize - 2;
        if (d2 > r * r) {
            return kClear;
        }
        if (d2 > (r - 4) * (r - 4)) {
            return kEdge;
        }
        const int hx = dx + kSize / 3;
        const int hy = dy + kSize / 3;
        return hx * hx + hy * hy < (kSize / 4) * (kSize / 4) ? kLight : kBody;
    });
}

// A diamond with an outline and a lit upper half.
Pixels diamond() {
    return sprite([](int x, int y) -> uint8_t {
        const int d = std::abs(2 * x + 1 - kSize) + std::abs(2 * y + 1 - kSize);
        if (d > kSize - 2) {
            return kClear;
        }
        if (d > kSize - 6) {
            return kEdge;
        }
        return y < kSize / 2 && d < kSize / 2 ? kLight : kBody;
    });
}

// A square tile with a two-pixel frame and a lit inner square.
Pixels tile() {
    return sprite([](int x, int y) -> uint8_t {
        if (x < 2 || y < 2 || x >= kSize - 2 || y >= kSize - 2) {
            return kEdge;
        }
        if (x >= 8 && y >= 8 && x < kSize - 8 && y < kSize - 8) {
            return kLight;
        }
        return kBody;
    });
}

} // namespace

fnd::Bytes demoSpriteArchive() {
    ArchiveBuilder archive;
    for (uint32_t body : kDemoBodyColors) {
        archive.addPalette({0x000000, body, 0xFFF0C0, 0x202020}, {0, 255, 255, 255});
    }
    archive.addImage(kSize, kSize, ball());
    archive.addImage(kSize, kSize, diamond());
    archive.addImage(kSize, kSize, tile());
    return archive.build();
}

fnd::Bytes demoFont() {
    return pixelFont(0xFFFFFF, 0, 8, 2);
}

} // namespace zelvan::gameart
