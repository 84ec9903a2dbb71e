// CNG4: the palette image archive of game art. One file holds many indexed-colour images sharing a
// set of palettes, stored as PNG pieces; the archive rebuilds a PNG per (image, palette), caches the
// decoded images and draws them into a context with a keypad anchor.
//
// The engine's contexts are y-up: what shows at the top of the screen lies at the bottom of their pixel
// memory. The cache keeps each image in that order, its bottom row first, so that an image drawn at its
// own size onto whole pixels is a plain copy of rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/object.h"
#include "platform/graphics/image.h"

namespace gfx {
class Context;
}

namespace zelvan {

// Bytes of decoded images that the archives of one owner (a game engine) may keep cached between
// them; past the limit an image is decoded for its draw and not kept.
struct ImageCacheBudget {
    size_t limit = 0;
    size_t used = 0;
};

// Archive layout (numbers big-endian):
//   0  2 bytes  not interpreted
//   2  1 byte   flags: bit 0 = 16-bit image sizes, bit 1 = per-image drawing offsets
//   3  1 byte   image count
//   4  1 byte   PNG bit depth of every image
//   5  2 bytes  length of one palette block
//   7  1 byte   palette count
//   8  ...      palette blocks (complete PLTE [+ tRNS] chunks), then image headers, then the
//               images' IDAT chunks back to back.
// An image header is: data length (2), IHDR CRC (4), width, height (1 byte each, 2 with 16-bit
// sizes), then with offsets a signed x and a signed y offset byte.
//
// Everything is validated when the archive is parsed, and every image and palette index is checked
// on use. Not thread-safe: callers serialise use (the script engine's lock does).
class CNG4 : public fnd::Object {
public:
    static constexpr size_t CRC32_LENGTH = 4;
    static constexpr size_t CNG_HEAD_LENGTH = 8;
    // Flag bits of the header's flags byte.
    static constexpr uint8_t kShortSizeFlag = 0x01;
    static constexpr uint8_t kHasOffsetFlag = 0x02;
    // More palettes than this (parsed plus added) are refused, so scripts cannot grow an archive
    // without bound.
    static constexpr int kMaxPalettes = 4096;

    // Parses `data`; the cache starts empty. Bytes that are not a well-formed archive give a
    // fnd::parseError (kParseTruncated) saying what does not fit, at the offset where the part that
    // does not fit begins (the header, the palettes, the image headers or an image's data). Nothing
    // is logged.
    static fnd::Result<std::shared_ptr<CNG4>> initWithIData(const fnd::Bytes& data);

    std::string className() const override { return "CNG4"; }

    // The archive bytes as they stand (palette changes replace them).
    const fnd::Bytes& file() const { return file_; }
    uint8_t type() const { return type_; }
    bool shortSize() const { return shortSize_; }
    bool hasOffset() const { return hasOffset_; }
    // The image-header length: 8, +2 with 16-bit sizes, +2 with offsets.
    size_t pngHeadLength() const { return pngHeadLength_; }
    size_t plteOffset() const { return CNG_HEAD_LENGTH; }
    size_t plteLength() const { return plteLength_; }
    // Where image header 0 starts.
    size_t headOffset() const { return headOffset_; }
    // Where the data block of `image` starts; 0 for an index out of range.
    size_t dataOffset(int image) const;
    uint8_t bitDepth() const;

    int getImageCount() const { return imageCount_; }
    int paletteCount() const { return plteCount_; }
    // Width / height from the image header; 0 (and an ERROR line) for an index out of range.
    int getWidth(int image) const;
    int getHeight(int image) const;
    // The signed drawing offsets of the image; 0 without offsets or for an index out of range.
    int offsetX(int image) const;
    int offsetY(int image) const;
    // A copy of palette block `palette`; nullopt (and an ERROR line) for an index out of range.
    std::optional<fnd::Bytes> getPalette(int palette) const;
    // The 16-bit big-endian number at `offset` of the archive; 0 when it does not fit.
    int read16(size_t offset) const;

    // The complete PNG for (image, palette): signature, IHDR with the archive's stored CRC, the
    // palette block, the image's data block and IEND. Empty (and an ERROR line) for bad indices.
    fnd::Bytes pngData(int image, int palette) const;
    // A new image decoded from pngData(image, palette); null (and an ERROR line) when the indices are
    // out of range or the rebuilt PNG does not decode.
    gfx::ImagePtr newPNG(int image, int palette) const;

    // Builds and caches (bottom row first) the missing images of a range. image < 0 takes images
    // 0 ... count + image (-1 every image, -2 all but the last); otherwise only that image. palette -1
    // takes every palette, otherwise only that one. Out-of-range indices are logged and ignored.
    void buffer(int image, int palette);
    // Drops the cached images of a range, with the same ranges as buffer().
    void clear(int image, int palette);
    // The cached image of (image, palette), its rows bottom-up (the decoded image turned upside down),
    // or null when none is cached or the indices are out of range. Does not build anything.
    gfx::ImagePtr bufferedImage(int image, int palette) const;

    // Replaces palette `palette` with `plte`, then decodes and caches every image with it. Refuses (false
    // and an ERROR line) an index out of range or a block whose length is not plteLength().
    bool setPalette(int palette, const fnd::Bytes& plte);
    // Appends a palette and empties the cache; returns the new palette's index. Refuses (-1 and an
    // ERROR line) a block whose length is not plteLength(), or more than kMaxPalettes palettes.
    int addPalette(const fnd::Bytes& plte);

    // Draws image `image` with palette `palette` so that it lands at (destx, desty) of a y-down
    // screen of height `height` placed by the keypad anchor, after adding the image's own offsets.
    // imgWidth / imgHeight of 0 or more scale the image to that size; negative values keep the
    // image's own. Uses the cached image when there is one, otherwise decodes it and keeps it in the
    // cache (within the cache budget; past it the image is decoded for this call only). Bad indices or
    // an undecodable image draw nothing (with an ERROR line).
    void drawImage(gfx::Context& context, int image, int palette, int destx, int desty, int anchor, int height,
                   int imgWidth, int imgHeight);

    // Shares `budget` among the archives of one owner: an image is kept in the cache only while the
    // budget's bytes in use stay within its limit, otherwise it is decoded for each draw. Null (the
    // default) keeps every image.
    void setCacheBudget(std::shared_ptr<ImageCacheBudget> budget);
    // Pixel bytes of the cached images.
    size_t cachedBytes() const { return cachedBytes_; }

    // Public so std::make_shared can construct; use initWithIData.
    struct Private;
    explicit CNG4(const Private&);
    ~CNG4() override;

private:
    bool imageInRange(int image, const char* what) const;
    bool paletteInRange(int palette, const char* what) const;
    size_t cacheIndex(int image, int palette) const {
        return static_cast<size_t>(image) + static_cast<size_t>(palette) * static_cast<size_t>(imageCount_);
    }
    // Offset of image header `image` in the archive.
    size_t imageHeader(int image) const { return headOffset_ + static_cast<size_t>(image) * pngHeadLength_; }
    size_t dataLength(int image) const;
    // newPNG(image, palette) with its rows in reverse order, as the cache keeps it; null as newPNG.
    gfx::ImagePtr newCachedImage(int image, int palette) const;
    // Puts `picture` into cache entry `index` (null empties it), keeping the byte counts.
    void storeCached(size_t index, gfx::ImagePtr picture);
    // Empties the cache and sizes it for the current image and palette counts.
    void resetCache();
    // Whether the budget has room for more cached images.
    bool cacheHasRoom() const;

    fnd::Bytes file_;
    uint8_t type_ = 0;
    bool shortSize_ = false;
    bool hasOffset_ = false;
    size_t pngHeadLength_ = 8;
    int imageCount_ = 0;
    int plteCount_ = 0;
    size_t plteLength_ = 0;
    size_t headOffset_ = 0;
    std::vector<size_t> dataOffset_;
    // imageCount_ x plteCount_ cached images (rows bottom-up), entry image + palette * imageCount_;
    // null = not built.
    std::vector<gfx::ImagePtr> buffer_;
    size_t cachedBytes_ = 0;
    std::shared_ptr<ImageCacheBudget> budget_;
};

} // namespace zelvan
