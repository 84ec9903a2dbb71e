// Builders for game art: PNG chunks, palette blocks, IDAT data from raw pixel indices, and whole
// palette image archives (CNG4) for every header flag combination, so tests and the demo game need no original art.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/bytes.h"

namespace zelvan::gameart {

// One PNG chunk: big-endian data length, type, data, and the CRC-32 of type and data.
fnd::Bytes pngChunk(std::string_view type, const fnd::Bytes& data);

// A palette block: a PLTE chunk of `colors` (0xRRGGBB each), followed by a tRNS chunk of `alphas`
// when that is not empty. Two colours with two alphas give the 32-byte block fonts use.
fnd::Bytes paletteBlock(const std::vector<uint32_t>& colors, const std::vector<uint8_t>& alphas = {});

// The IDAT chunks of an indexed image: rows of `indices` (width x height, one index per pixel, top row
// first) packed at `bitDepth` (1, 2, 4 or 8) behind a filter byte 0 each, compressed with
// fnd::deflate. With `chunkSize` > 0 the compressed stream is split over IDAT chunks of at most that
// many bytes.
fnd::Bytes idatChunks(int width, int height, int bitDepth, const std::vector<uint8_t>& indices, size_t chunkSize = 0);

// The CRC-32 of the IHDR chunk (type and data) of an indexed, non-interlaced image.
uint32_t ihdrCrc(int width, int height, int bitDepth);

// Composes a palette image archive. Widths and heights are written in 1 byte each (their low byte)
// unless the flags ask for 16-bit sizes; offsets are written only when the flags ask for them.
class ArchiveBuilder {
public:
    static constexpr uint8_t kShortSize = 0x01;
    static constexpr uint8_t kHasOffset = 0x02;

    explicit ArchiveBuilder(uint8_t flags = 0, int bitDepth = 8) : flags_(flags), bitDepth_(bitDepth) {}

    // Appends a palette built by paletteBlock().
    ArchiveBuilder& addPalette(const std::vector<uint32_t>& colors, const std::vector<uint8_t>& alphas = {});
    // Appends a palette block as given (all blocks of an archive must have one length; build() uses
    // the first block's length).
    ArchiveBuilder& addPaletteBlock(fnd::Bytes block);
    // Appends an image of raw palette indices (width x height, top row first), with its drawing
    // offset when the archive has offsets. `chunkSize` as for idatChunks().
    ArchiveBuilder& addImage(int width, int height, const std::vector<uint8_t>& indices, int offsetX = 0,
                             int offsetY = 0, size_t chunkSize = 0);
    // Appends an image whose data block is `dataBlock` as given (for damaged data), with the correct
    // IHDR CRC for its size.
    ArchiveBuilder& addRawImage(int width, int height, fnd::Bytes dataBlock, int offsetX = 0, int offsetY = 0);

    // The archive: 8-byte header (two zero bytes, flags, image count, bit depth, palette block
    // length, palette count), palette blocks, image headers, data blocks.
    fnd::Bytes build() const;

    uint8_t flags() const { return flags_; }
    int bitDepth() const { return bitDepth_; }
    // The image-header length the flags give (8, 10 or 12).
    size_t imageHeaderLength() const;

private:
    struct Image {
        int width;
        int height;
        int offsetX;
        int offsetY;
        fnd::Bytes data;
    };
    uint8_t flags_;
    int bitDepth_;
    std::vector<fnd::Bytes> palettes_;
    std::vector<Image> images_;
};

// A bitmap font file: the range count, (first code, count) per range, then the glyph archive.
fnd::Bytes fontFile(const std::vector<std::pair<uint8_t, uint8_t>>& ranges, const fnd::Bytes& archive);

} // namespace zelvan::gameart
