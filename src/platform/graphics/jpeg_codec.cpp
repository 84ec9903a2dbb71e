// JPEG codec on libjpeg(-turbo). Library errors longjmp back to the function that owns the libjpeg
// session; that function holds no C++ objects, and the buffers it fills belong to its caller.
#include "platform/graphics/jpeg_codec.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <string>
#include <vector>

#include "platform/foundation/log.h"

namespace gfx {

namespace {

// Progressive files with absurd scan counts take unbounded time; real images use about ten.
constexpr int kMaxScans = 256;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void quietMessage(j_common_ptr, int) {}

void limitScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > kMaxScans) {
            auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
            std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxScans);
            std::longjmp(err->jump, 1);
        }
    }
}

void installErrorManager(ErrorManager& err) {
    jpeg_std_error(&err.base);
    err.base.error_exit = errorExit;
    err.base.emit_message = quietMessage;
    err.message[0] = '\0';
}

struct DecodeState {
    std::span<const uint8_t> input;
    DecodeLimit limit;
    ErrorManager err;
    jpeg_progress_mgr progress;
    uint32_t width = 0;
    uint32_t height = 0;
    bool tooLarge = false;
    ImageOrientation orientation = ImageOrientation::Up;
    fnd::Bytes bgra;
    std::vector<uint8_t> cmykRow;
};

// Converts one row of 4-channel CMYK to premultiplied (opaque) B,G,R,A. Adobe writers store the
// channels inverted, which is what libjpeg hands back for them.
void cmykToBgra(const uint8_t* in, uint8_t* out, uint32_t width, bool inverted) {
    for (uint32_t x = 0; x < width; ++x, in += 4, out += 4) {
        uint32_t c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        out[0] = static_cast<uint8_t>((y * k + 127) / 255);
        out[1] = static_cast<uint8_t>((m * k + 127) / 255);
        out[2] = static_cast<uint8_t>((c * k + 127) / 255);
        out[3] = 255;
    }
}

bool readJpeg(jpeg_decompress_struct& cinfo, DecodeState& st) {
    if (setjmp(st.err.jump)) {
        return false;
    }
    jpeg_create_decompress(&cinfo);
    st.progress.progress_monitor = limitScans;
    cinfo.progress = &st.progress;
    jpeg_mem_src(&cinfo, st.input.data(), static_cast<unsigned long>(st.input.size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xffff);
    jpeg_read_header(&cinfo, TRUE);
    st.width = cinfo.image_width;
    st.height = cinfo.image_height;
    if (!st.limit.allows(st.width, st.height)) {
        st.tooLarge = true;
        return false;
    }
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) {
            if (auto o = exifOrientation(std::span<const uint8_t>(m->data, m->data_length))) {
                st.orientation = *o;
                break;
            }
        }
    }
    bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != st.width || cinfo.output_height != st.height || cinfo.output_components != 4) {
        std::snprintf(st.err.message, sizeof st.err.message, "unexpected output layout");
        return false;
    }
    size_t rowBytes = static_cast<size_t>(st.width) * 4;
    st.bgra.assign(rowBytes * st.height, 0);
    if (cmyk) {
        st.cmykRow.resize(rowBytes);
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* dest = st.bgra.data() + rowBytes * cinfo.output_scanline;
        JSAMPROW row = cmyk ? st.cmykRow.data() : dest;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
            std::snprintf(st.err.message, sizeof st.err.message, "no scanline read");
            return false;
        }
        if (cmyk) {
            cmykToBgra(st.cmykRow.data(), dest, st.width, cinfo.saw_Adobe_marker);
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

struct EncodeState {
    ErrorManager err;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> rgb;
};

bool writeJpeg(jpeg_compress_struct& cinfo, EncodeState& st, uint32_t width, uint32_t height, int quality) {
    if (setjmp(st.err.jump)) {
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &st.buffer, &st.size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo); // YCbCr with 2x2 luma sampling: 4:2:0
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&cinfo, TRUE);
    size_t rowBytes = static_cast<size_t>(width) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = st.rgb.data() + rowBytes * cinfo.next_scanline;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

uint32_t read16(const uint8_t* p, bool little) {
    return little ? (p[0] | (p[1] << 8)) : ((p[0] << 8) | p[1]);
}

uint32_t read32(const uint8_t* p, bool little) {
    return little ? (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24)
                  : (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]});
}

} // namespace

bool isJpegData(std::span<const uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff;
}

std::optional<ImageOrientation> exifOrientation(std::span<const uint8_t> app1) {
    static constexpr uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    if (app1.size() < sizeof kExif + 8 || !std::equal(kExif, kExif + sizeof kExif, app1.begin())) {
        return std::nullopt;
    }
    std::span<const uint8_t> tiff = app1.subspan(sizeof kExif);
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I') {
        little = true;
    } else if (tiff[0] == 'M' && tiff[1] == 'M') {
        little = false;
    } else {
        return std::nullopt;
    }
    if (read16(&tiff[2], little) != 42) {
        return std::nullopt;
    }
    uint64_t ifd = read32(&tiff[4], little);
    if (ifd + 2 > tiff.size()) {
        return std::nullopt;
    }
    uint32_t count = read16(&tiff[ifd], little);
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t entry = ifd + 2 + uint64_t{i} * 12;
        if (entry + 12 > tiff.size()) {
            return std::nullopt;
        }
        const uint8_t* e = &tiff[entry];
        if (read16(e, little) != 0x0112) {
            continue;
        }
        // SHORT, one value, stored in the first two bytes of the value field.
        if (read16(e + 2, little) != 3 || read32(e + 4, little) != 1) {
            return std::nullopt;
        }
        switch (read16(e + 8, little)) {
        case 1:
            return ImageOrientation::Up;
        case 2:
            return ImageOrientation::UpMirrored;
        case 3:
            return ImageOrientation::Down;
        case 4:
            return ImageOrientation::DownMirrored;
        case 5:
            return ImageOrientation::LeftMirrored;
        case 6:
            return ImageOrientation::Right;
        case 7:
            return ImageOrientation::RightMirrored;
        case 8:
            return ImageOrientation::Left;
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

ImagePtr decodeJpeg(std::span<const uint8_t> bytes, DecodeLimit limit) {
    if (bytes.empty()) {
        ZLOG(Warn, "JPEG: no data");
        return nullptr;
    }
    auto st = std::make_unique<DecodeState>();
    st->input = bytes;
    st->limit = limit;
    jpeg_decompress_struct cinfo{};
    installErrorManager(st->err);
    cinfo.err = &st->err.base;
    bool ok = readJpeg(cinfo, *st);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) {
        if (st->tooLarge) {
            ZLOG(Warn, "JPEG: refusing a %u x %u image (too large)", st->width, st->height);
        } else {
            ZLOG(Warn, "JPEG: cannot decode image: %s", static_cast<const char*>(st->err.message));
        }
        return nullptr;
    }
    return Image::fromPixels(static_cast<int>(st->width), static_cast<int>(st->height), std::move(st->bgra),
                             st->orientation);
}

fnd::Bytes jpegRepresentation(const Image& image, double quality) {
    double q = std::isnan(quality) ? 0.0 : std::clamp(quality, 0.0, 1.0);
    int libQuality = std::clamp(static_cast<int>(std::lround(q * 100)), 1, 100);
    auto width = static_cast<uint32_t>(image.width());
    auto height = static_cast<uint32_t>(image.height());

    auto st = std::make_unique<EncodeState>();
    // Premultiplied colour is the colour composited over black, so transparent pixels become black.
    size_t pixels = static_cast<size_t>(width) * height;
    st->rgb.resize(pixels * 3);
    const uint8_t* in = image.data();
    for (size_t i = 0; i < pixels; ++i) {
        st->rgb[i * 3] = in[i * 4 + 2];
        st->rgb[i * 3 + 1] = in[i * 4 + 1];
        st->rgb[i * 3 + 2] = in[i * 4];
    }
    jpeg_compress_struct cinfo{};
    installErrorManager(st->err);
    cinfo.err = &st->err.base;
    bool ok = writeJpeg(cinfo, *st, width, height, libQuality);
    jpeg_destroy_compress(&cinfo);
    fnd::Bytes out;
    if (ok && st->buffer) {
        out.assign(st->buffer, st->buffer + st->size);
    } else {
        ZLOG(Warn, "JPEG: cannot encode image: %s", static_cast<const char*>(st->err.message));
    }
    std::free(st->buffer);
    return out;
}

} // namespace gfx
