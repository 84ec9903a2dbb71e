// vFont: parsing of font files, measuring, anchored drawing and colour palettes derived from palette 0.
#include "games/formats/bitmap_font.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/foundation/digest_helpers.h"
#include "platform/foundation/format.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/utf16.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

// Fixed parts of a 32-byte colour block: PLTE length 6 and type, tRNS length 2 and type.
constexpr uint8_t kPlteHead[8] = {0, 0, 0, 6, 'P', 'L', 'T', 'E'};
constexpr uint8_t kTrnsHead[8] = {0, 0, 0, 2, 't', 'R', 'N', 'S'};
constexpr size_t kInkColorAt = 11;
constexpr size_t kPlteCrcFrom = 4;
constexpr size_t kPlteCrcAt = 14;
constexpr size_t kTrnsCrcFrom = 22;
constexpr size_t kInkAlphaAt = 27;
constexpr size_t kTrnsCrcAt = 28;

// Glyph origins further out than this are far off any context; they are advanced over, not drawn,
// so positions never overflow an int.
constexpr int64_t kDrawableReach = int64_t{1} << 30;

void writeCrc(fnd::Bytes& block, size_t from, size_t to) {
    std::array<uint8_t, 4> crc = crc32(block.data() + from, to - from);
    std::copy(crc.begin(), crc.end(), block.begin() + static_cast<std::ptrdiff_t>(to));
}

} // namespace

struct vFont::Private {};

vFont::vFont(const Private&) {
    ids_.fill(kNoGlyph);
}

fnd::Result<std::shared_ptr<vFont>> vFont::initWithIData(const fnd::Bytes& data) {
    if (data.empty()) {
        return fnd::parseError(fnd::kParseTruncated, 0, "bitmap font file is empty");
    }
    const size_t rangeCount = data[0];
    const size_t archiveStart = 1 + 2 * rangeCount;
    if (archiveStart > data.size()) {
        return fnd::parseError(
            fnd::kParseTruncated, 1,
            fnd::format("bitmap font of %d bytes: %d character ranges do not fit", data.size(), rangeCount));
    }
    auto font = std::make_shared<vFont>(Private{});
    // The offset of the range that gave each slot its glyph, for errors.
    std::array<size_t, kGlyphSlots> rangeAt{};
    int glyph = 0;
    for (size_t k = 0; k < rangeCount; ++k) {
        const int first = data[1 + 2 * k];
        const int count = data[2 + 2 * k];
        for (int code = first; code < first + count; ++code, ++glyph) {
            if (code >= kFirstCode && code <= kLastCode) {
                font->ids_[static_cast<size_t>(code - kFirstCode)] = glyph;
                rangeAt[static_cast<size_t>(code - kFirstCode)] = 1 + 2 * k;
            }
        }
    }

    fnd::Bytes archive(data.begin() + static_cast<std::ptrdiff_t>(archiveStart), data.end());
    fnd::Result<std::shared_ptr<CNG4>> parsed = CNG4::initWithIData(archive);
    if (!parsed) {
        // The archive's own fault, placed in the font file.
        const fnd::Error& inner = parsed.error();
        return fnd::parseError(
            static_cast<fnd::ParseErrorCode>(inner.code()), archiveStart + fnd::parseErrorOffset(inner).value_or(0),
            fnd::format("bitmap font: the glyph archive after %d ranges is not a valid palette archive: %@", rangeCount,
                        inner.localizedFailureReason()));
    }
    font->cng_ = std::move(parsed).value();
    const CNG4& cng = *font->cng_;
    if (cng.getImageCount() == 0 || cng.paletteCount() == 0) {
        return fnd::parseError(
            fnd::kParseMalformed, archiveStart,
            fnd::format("bitmap font: the glyph archive has %d images and %d palettes; it needs at least one "
                        "of each",
                        cng.getImageCount(), cng.paletteCount()));
    }
    for (size_t slot = 0; slot < kGlyphSlots; ++slot) {
        if (font->ids_[slot] >= cng.getImageCount()) {
            return fnd::parseError(fnd::kParseMalformed, rangeAt[slot],
                                   fnd::format("bitmap font: character %d has glyph %d but the archive holds %d images",
                                               static_cast<int>(slot) + kFirstCode, font->ids_[slot],
                                               cng.getImageCount()));
        }
    }

    // Each palette's ink as it stands, so colours derived later compare against the real values.
    for (int p = 0; p < cng.paletteCount(); ++p) {
        std::optional<fnd::Bytes> block = cng.getPalette(p);
        std::optional<std::pair<int, int>> ink = block ? inkOf(*block) : std::nullopt;
        font->colors_.push_back(ink ? ink->first : 0);
        font->alphas_.push_back(ink ? ink->second : 255);
    }
    font->height_ = cng.getHeight(0);
    return font;
}

int vFont::glyphForCode(int code) const {
    if (code < kFirstCode || code > kLastCode) {
        return kNoGlyph;
    }
    return ids_[static_cast<size_t>(code - kFirstCode)];
}

int vFont::charWidth(int code) const {
    const int glyph = glyphForCode(code);
    return glyph == kNoGlyph ? 0 : cng_->getWidth(glyph);
}

int64_t vFont::stringWidth(std::string_view str) const {
    int64_t width = 0;
    for (char16_t unit : fnd::toUtf16(str)) {
        width += charWidth(unit);
    }
    return width;
}

void vFont::drawString(gfx::Context& context, std::string_view str, int destx, int desty, int anchor, int height) {
    const std::u16string units = fnd::toUtf16(str);
    int64_t x = destx;
    int64_t y = desty;
    if (anchor % 3 == 0) {
        x -= stringWidth(str);
    } else if (anchor % 3 == 2) {
        x -= stringWidth(str) / 2;
    }
    if (anchor < 4) {
        y -= height_;
    } else if (anchor <= 6) {
        y -= height_ / 2;
    }
    if (y < -kDrawableReach || y > kDrawableReach) {
        return;
    }
    for (char16_t unit : units) {
        const int glyph = glyphForCode(unit);
        if (glyph == kNoGlyph) {
            continue;
        }
        if (x >= -kDrawableReach && x <= kDrawableReach) {
            cng_->drawImage(context, glyph, colorID_, static_cast<int>(x), static_cast<int>(y), 7, height, -1, -1);
        }
        x += cng_->getWidth(glyph);
    }
}

std::optional<std::pair<int, int>> vFont::inkOf(const fnd::Bytes& plte) {
    if (plte.size() != kColorBlockLength || std::memcmp(plte.data(), kPlteHead, sizeof kPlteHead) != 0 ||
        std::memcmp(plte.data() + 18, kTrnsHead, sizeof kTrnsHead) != 0) {
        return std::nullopt;
    }
    const int color = (plte[kInkColorAt] << 16) | (plte[kInkColorAt + 1] << 8) | plte[kInkColorAt + 2];
    return std::make_pair(color, static_cast<int>(plte[kInkAlphaAt]));
}

std::optional<fnd::Bytes> vFont::setColor(const fnd::Bytes& plte, int oldColor, int oldAlpha, int color, int alpha) {
    if (!inkOf(plte)) {
        return std::nullopt;
    }
    fnd::Bytes block = plte;
    if ((color & 0xFFFFFF) != (oldColor & 0xFFFFFF)) {
        block[kInkColorAt] = static_cast<uint8_t>((color >> 16) & 0xFF);
        block[kInkColorAt + 1] = static_cast<uint8_t>((color >> 8) & 0xFF);
        block[kInkColorAt + 2] = static_cast<uint8_t>(color & 0xFF);
        writeCrc(block, kPlteCrcFrom, kPlteCrcAt);
    }
    alpha = std::clamp(alpha, 0, 255);
    if (alpha != oldAlpha) {
        block[kInkAlphaAt] = static_cast<uint8_t>(alpha);
        writeCrc(block, kTrnsCrcFrom, kTrnsCrcAt);
    }
    return block;
}

int vFont::addColor(int color, int alpha) {
    std::optional<fnd::Bytes> palette0 = cng_->getPalette(0);
    std::optional<fnd::Bytes> block =
        palette0 ? setColor(*palette0, colors_.front(), alphas_.front(), color, alpha) : std::nullopt;
    if (!block) {
        ZTRACE_ERROR("bitmap font: palette 0 is not a %d-byte PLTE and tRNS block; no colour added", kColorBlockLength);
        return -1;
    }
    const int index = cng_->addPalette(*block);
    if (index < 0) {
        ZTRACE_ERROR("bitmap font: the glyph archive refused another palette");
        return -1;
    }
    colors_.push_back(color & 0xFFFFFF);
    alphas_.push_back(std::clamp(alpha, 0, 255));
    return index;
}

bool vFont::setColorIndex(int index) {
    if (index < 0 || index >= cng_->paletteCount()) {
        ZTRACE_ERROR("bitmap font: colour %d does not exist (the font has %d); keeping colour %d", index,
                     cng_->paletteCount(), colorID_);
        return false;
    }
    colorID_ = index;
    return true;
}

void vFont::buffer(int image, int palette) {
    cng_->buffer(image, palette);
}

} // namespace zelvan
