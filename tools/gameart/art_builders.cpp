// Game art builders: PNG chunk assembly with CRCs, index packing with filter byte 0, and the
// palette image archive and bitmap font file layouts (used by the tests and the demo game generator).
#include "tools/gameart/art_builders.h"

#include <algorithm>

#include "platform/foundation/zlib_codec.h"

namespace zelvan::gameart {

namespace {

void putBE16(fnd::Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void putBE32(fnd::Bytes& out, uint32_t v) {
    putBE16(out, v >> 16);
    putBE16(out, v & 0xFFFF);
}

fnd::Bytes ihdrData(int width, int height, int bitDepth) {
    fnd::Bytes data;
    putBE32(data, static_cast<uint32_t>(width));
    putBE32(data, static_cast<uint32_t>(height));
    data.push_back(static_cast<uint8_t>(bitDepth));
    data.push_back(3); // indexed colour
    data.push_back(0);
    data.push_back(0);
    data.push_back(0);
    return data;
}

} // namespace

fnd::Bytes pngChunk(std::string_view type, const fnd::Bytes& data) {
    fnd::Bytes chunk;
    putBE32(chunk, static_cast<uint32_t>(data.size()));
    fnd::append(chunk, type);
    fnd::append(chunk, data);
    putBE32(chunk, fnd::crc32(chunk.data() + 4, chunk.size() - 4));
    return chunk;
}

fnd::Bytes paletteBlock(const std::vector<uint32_t>& colors, const std::vector<uint8_t>& alphas) {
    fnd::Bytes plte;
    for (uint32_t c : colors) {
        plte.push_back(static_cast<uint8_t>(c >> 16));
        plte.push_back(static_cast<uint8_t>(c >> 8));
        plte.push_back(static_cast<uint8_t>(c));
    }
    fnd::Bytes block = pngChunk("PLTE", plte);
    if (!alphas.empty()) {
        fnd::append(block, pngChunk("tRNS", fnd::Bytes(alphas.begin(), alphas.end())));
    }
    return block;
}

fnd::Bytes idatChunks(int width, int height, int bitDepth, const std::vector<uint8_t>& indices, size_t chunkSize) {
    size_t rowBytes = (static_cast<size_t>(width) * static_cast<size_t>(bitDepth) + 7) / 8;
    int perByte = 8 / bitDepth;
    fnd::Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        fnd::Bytes row(rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            size_t at = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            uint8_t index = at < indices.size() ? indices[at] : 0;
            index = static_cast<uint8_t>(index & ((1u << bitDepth) - 1));
            int shift = 8 - bitDepth * (x % perByte + 1);
            row[static_cast<size_t>(x / perByte)] |= static_cast<uint8_t>(index << shift);
        }
        fnd::append(raw, row);
    }
    fnd::Bytes compressed = fnd::deflate(raw);
    if (chunkSize == 0) {
        chunkSize = compressed.size();
    }
    fnd::Bytes out;
    for (size_t at = 0; at < compressed.size(); at += chunkSize) {
        size_t n = std::min(chunkSize, compressed.size() - at);
        fnd::append(out, pngChunk("IDAT", fnd::Bytes(compressed.begin() + static_cast<std::ptrdiff_t>(at),
                                                     compressed.begin() + static_cast<std::ptrdiff_t>(at + n))));
    }
    return out;
}

uint32_t ihdrCrc(int width, int height, int bitDepth) {
    fnd::Bytes chunk = pngChunk("IHDR", ihdrData(width, height, bitDepth));
    return (static_cast<uint32_t>(chunk[21]) << 24) | (static_cast<uint32_t>(chunk[22]) << 16) |
           (static_cast<uint32_t>(chunk[23]) << 8) | chunk[24];
}

ArchiveBuilder& ArchiveBuilder::addPalette(const std::vector<uint32_t>& colors, const std::vector<uint8_t>& alphas) {
    return addPaletteBlock(paletteBlock(colors, alphas));
}

ArchiveBuilder& ArchiveBuilder::addPaletteBlock(fnd::Bytes block) {
    palettes_.push_back(std::move(block));
    return *this;
}

ArchiveBuilder& ArchiveBuilder::addImage(int width, int height, const std::vector<uint8_t>& indices, int offsetX,
                                         int offsetY, size_t chunkSize) {
    return addRawImage(width, height, idatChunks(width, height, bitDepth_, indices, chunkSize), offsetX, offsetY);
}

ArchiveBuilder& ArchiveBuilder::addRawImage(int width, int height, fnd::Bytes dataBlock, int offsetX, int offsetY) {
    images_.push_back(Image{width, height, offsetX, offsetY, std::move(dataBlock)});
    return *this;
}

size_t ArchiveBuilder::imageHeaderLength() const {
    return 8 + ((flags_ & kShortSize) != 0 ? 2 : 0) + ((flags_ & kHasOffset) != 0 ? 2 : 0);
}

fnd::Bytes ArchiveBuilder::build() const {
    bool shortSize = (flags_ & kShortSize) != 0;
    fnd::Bytes out = {0, 0, flags_, static_cast<uint8_t>(images_.size()), static_cast<uint8_t>(bitDepth_)};
    putBE16(out, palettes_.empty() ? 0 : static_cast<uint32_t>(palettes_.front().size()));
    out.push_back(static_cast<uint8_t>(palettes_.size()));
    for (const fnd::Bytes& p : palettes_) {
        fnd::append(out, p);
    }
    for (const Image& image : images_) {
        putBE16(out, static_cast<uint32_t>(image.data.size()));
        // The stored CRC is that of the IHDR the archive reader rebuilds, whose sizes come from the
        // header fields (low byte only with 1-byte sizes).
        int w = shortSize ? image.width & 0xFFFF : image.width & 0xFF;
        int h = shortSize ? image.height & 0xFFFF : image.height & 0xFF;
        putBE32(out, ihdrCrc(w, h, bitDepth_));
        if (shortSize) {
            putBE16(out, static_cast<uint32_t>(w));
            putBE16(out, static_cast<uint32_t>(h));
        } else {
            out.push_back(static_cast<uint8_t>(w));
            out.push_back(static_cast<uint8_t>(h));
        }
        if ((flags_ & kHasOffset) != 0) {
            out.push_back(static_cast<uint8_t>(static_cast<int8_t>(image.offsetX)));
            out.push_back(static_cast<uint8_t>(static_cast<int8_t>(image.offsetY)));
        }
    }
    for (const Image& image : images_) {
        fnd::append(out, image.data);
    }
    return out;
}

fnd::Bytes fontFile(const std::vector<std::pair<uint8_t, uint8_t>>& ranges, const fnd::Bytes& archive) {
    fnd::Bytes out = {static_cast<uint8_t>(ranges.size())};
    for (auto [first, count] : ranges) {
        out.push_back(first);
        out.push_back(count);
    }
    fnd::append(out, archive);
    return out;
}

} // namespace zelvan::gameart
