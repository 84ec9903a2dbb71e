// CNG4's PNG rebuilding (signature, IHDR with the stored CRC, palette block, IDAT chunks, IEND) and
// its anchored drawing into a context, with the y-flip that places images on a y-down screen.
#include <array>
#include <cmath>
#include <cstring>

#include "games/formats/cng4.h"
#include "platform/graphics/context.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

constexpr std::array<uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::array<uint8_t, 12> kIend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
// Signature (8) + IHDR length, type and data (4 + 4 + 13).
constexpr size_t kPngHeadBytes = 29;

void putBE32(fnd::Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

// The same pixels with the order of the rows reversed.
gfx::ImagePtr upsideDown(const gfx::Image& picture) {
    const size_t rowBytes = picture.bytesPerRow();
    const auto rows = static_cast<size_t>(picture.height());
    fnd::Bytes pixels(rowBytes * rows);
    for (size_t row = 0; row < rows; ++row) {
        std::memcpy(pixels.data() + row * rowBytes, picture.data() + (rows - 1 - row) * rowBytes, rowBytes);
    }
    return gfx::Image::fromPixels(picture.width(), picture.height(), std::move(pixels));
}

// Whether user space maps whole pixels onto whole pixels (an integer translation, y possibly flipped):
// an image drawn there at its own size copies each pixel, whichever way round its rows are stored.
bool pixelAligned(const gfx::AffineTransform& m) {
    return m.a == 1 && m.b == 0 && m.c == 0 && (m.d == 1 || m.d == -1) && m.tx == std::trunc(m.tx) &&
           m.ty == std::trunc(m.ty);
}

} // namespace

fnd::Bytes CNG4::pngData(int image, int palette) const {
    if (!imageInRange(image, "newPNG") || !paletteInRange(palette, "newPNG")) {
        return {};
    }
    size_t header = imageHeader(image);
    size_t length = dataLength(image);
    fnd::Bytes png;
    png.reserve(kPngHeadBytes + CRC32_LENGTH + plteLength_ + length + kIend.size());
    png.insert(png.end(), kPngSignature.begin(), kPngSignature.end());
    putBE32(png, 13);
    fnd::append(png, std::string_view("IHDR"));
    putBE32(png, static_cast<uint32_t>(getWidth(image)));
    putBE32(png, static_cast<uint32_t>(getHeight(image)));
    png.push_back(bitDepth());
    png.push_back(3); // indexed colour
    png.push_back(0); // deflate
    png.push_back(0); // adaptive filtering
    png.push_back(0); // not interlaced
    // The archive stores the IHDR chunk's CRC ready-made.
    auto crc = file_.begin() + static_cast<std::ptrdiff_t>(header + 2);
    png.insert(png.end(), crc, crc + static_cast<std::ptrdiff_t>(CRC32_LENGTH));
    auto plte =
        file_.begin() + static_cast<std::ptrdiff_t>(CNG_HEAD_LENGTH + plteLength_ * static_cast<size_t>(palette));
    png.insert(png.end(), plte, plte + static_cast<std::ptrdiff_t>(plteLength_));
    auto data = file_.begin() + static_cast<std::ptrdiff_t>(dataOffset_[static_cast<size_t>(image)]);
    png.insert(png.end(), data, data + static_cast<std::ptrdiff_t>(length));
    png.insert(png.end(), kIend.begin(), kIend.end());
    return png;
}

gfx::ImagePtr CNG4::newPNG(int image, int palette) const {
    fnd::Bytes png = pngData(image, palette);
    if (png.empty()) {
        return nullptr;
    }
    gfx::ImagePtr decoded = gfx::Image::imageWithData(png);
    if (!decoded) {
        ZTRACE_ERROR("palette archive image %d with palette %d does not decode as a PNG", image, palette);
    }
    return decoded;
}

gfx::ImagePtr CNG4::newCachedImage(int image, int palette) const {
    gfx::ImagePtr decoded = newPNG(image, palette);
    return decoded == nullptr ? nullptr : upsideDown(*decoded);
}

void CNG4::drawImage(gfx::Context& context, int image, int palette, int destx, int desty, int anchor, int height,
                     int imgWidth, int imgHeight) {
    if (!imageInRange(image, "drawImage") || !paletteInRange(palette, "drawImage")) {
        return;
    }
    const size_t index = cacheIndex(image, palette);
    gfx::ImagePtr bottomUp = buffer_[index];
    if (!bottomUp) {
        // Decoded on its first draw and kept for the next ones while the cache budget has room.
        bottomUp = newCachedImage(image, palette);
        if (!bottomUp) {
            return;
        }
        storeCached(index, bottomUp);
    }
    // 64-bit arithmetic: script coordinates and sizes may be anywhere in the 32-bit range.
    int64_t x = int64_t{destx} + offsetX(image);
    int64_t y = int64_t{desty} + offsetY(image);
    int64_t ownWidth = getWidth(image);
    int64_t w = imgWidth >= 0 ? imgWidth : ownWidth;
    int64_t h = imgHeight >= 0 ? imgHeight : getHeight(image);
    switch (anchor) {
    case 8:
        // Centred on the image's own width, whatever width it is drawn at.
        x -= static_cast<int64_t>(static_cast<double>(ownWidth) * 0.5);
        break;
    case 9:
        x -= w;
        break;
    case 4:
        y -= h / 2;
        break;
    case 5:
        x -= w / 2;
        y -= h / 2;
        break;
    case 6:
        x -= w;
        y -= h / 2;
        break;
    case 1:
        y -= h;
        break;
    case 2:
        x -= w / 2;
        y -= h;
        break;
    case 3:
        x -= w;
        y -= h;
        break;
    default: // 7 and anything else: top-left at (x, y)
        break;
    }
    // Images wholly off the surface are skipped: coordinates far outside it (scripts may pass any
    // 32-bit value) lose precision in the drawing library and could otherwise leave stray pixels.
    gfx::Rect surface(0, 0, context.width(), context.height());
    const gfx::AffineTransform ctm = context.getCTM();
    if (w == ownWidth && h == getHeight(image) && pixelAligned(ctm)) {
        // The flipped draw below fills (x, height - 1 - y, w, -h) of the flipped space, which is
        // (x, y + 1, w, h) here. Drawn here, unflipped, the cached rows (bottom row first) land where
        // the flipped draw puts the decoded image's rows, each pixel copied as it is.
        gfx::Rect rect(static_cast<double>(x), static_cast<double>(y + 1), static_cast<double>(w),
                       static_cast<double>(h));
        if (ctm.applyToRect(rect).intersects(surface)) {
            context.drawImage(rect, *bottomUp);
        }
        return;
    }
    // Scaled, or onto a transform that does not map whole pixels: the decoded image, upright, is drawn
    // through a flip to y-down for a screen of the given height with a negative height (the image's top
    // row lands on device row y + 1 of a y-down screen), then the flip is undone.
    double screenHeight = height;
    context.translateCTM(0, screenHeight);
    context.scaleCTM(1, -1);
    gfx::Rect rect(static_cast<double>(x), static_cast<double>(int64_t{height} - 1 - y), static_cast<double>(w),
                   -static_cast<double>(h));
    if (context.getCTM().applyToRect(rect).intersects(surface)) {
        context.drawImage(rect, *upsideDown(*bottomUp));
    }
    context.translateCTM(0, screenHeight);
    context.scaleCTM(1, -1);
}

} // namespace zelvan
