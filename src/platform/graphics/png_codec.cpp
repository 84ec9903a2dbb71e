// PNG codec on libpng. libpng reports errors by longjmp, so each libpng session runs in a function
// of its own that holds no C++ objects; the buffers it fills belong to the caller.
#include "platform/graphics/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/graphics/pixel_ops.h"

namespace gfx {

namespace {

struct ReadState {
    std::span<const uint8_t> input;
    DecodeLimit limit;
    size_t offset = 0;
    std::string error;
    uint32_t width = 0;
    uint32_t height = 0;
    bool tooLarge = false;
    fnd::Bytes rgba;
    std::vector<png_bytep> rows;
};

void readError(png_structp png, png_const_charp message) {
    auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
    state->error = message ? message : "unknown error";
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

void readBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    if (length > state->input.size() - state->offset) {
        png_error(png, "data ends early");
    }
    std::memcpy(out, state->input.data() + state->offset, length);
    state->offset += length;
}

// Runs the libpng read; true when `state.rgba` holds width * height RGBA pixels.
bool readPng(png_structp png, png_infop info, ReadState& state) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, &state, readBytes);
    png_set_benign_errors(png, 1);
    png_set_option(png, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
    png_set_user_limits(png, static_cast<png_uint_32>(kMaxImageSide), static_cast<png_uint_32>(kMaxImageSide));
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    state.width = width;
    state.height = height;
    if (!state.limit.allows(width, height)) {
        state.tooLarge = true;
        return false;
    }

    // Everything becomes 8-bit RGBA: palettes and low grey depths expand, tRNS becomes alpha,
    // 16-bit channels are scaled down, grey is widened and opaque images gain an alpha of 255.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) {
        state.error = "unexpected row layout";
        return false;
    }

    state.rgba.resize(static_cast<size_t>(width) * height * 4);
    state.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        state.rows[y] = state.rgba.data() + static_cast<size_t>(y) * width * 4;
    }
    png_read_image(png, state.rows.data());
    png_read_end(png, nullptr);
    return true;
}

struct WriteState {
    fnd::Bytes* out = nullptr;
    std::string error;
    std::vector<png_bytep> rows;
};

void writeError(png_structp png, png_const_charp message) {
    auto* state = static_cast<WriteState*>(png_get_error_ptr(png));
    state->error = message ? message : "unknown error";
    png_longjmp(png, 1);
}

void writeBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<WriteState*>(png_get_io_ptr(png));
    state->out->insert(state->out->end(), data, data + length);
}

void flushNothing(png_structp) {}

bool writePng(png_structp png, png_infop info, WriteState& state, uint32_t width, uint32_t height) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_write_fn(png, &state, writeBytes, flushNothing);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    png_write_image(png, state.rows.data());
    png_write_end(png, nullptr);
    return true;
}

} // namespace

bool isPngData(std::span<const uint8_t> bytes) {
    return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

ImagePtr decodePng(std::span<const uint8_t> bytes, DecodeLimit limit) {
    ReadState state;
    state.input = bytes;
    state.limit = limit;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, readError, ignoreWarning);
    if (!png) {
        ZLOG(Error, "PNG: cannot start the decoder");
        return nullptr;
    }
    png_infop info = png_create_info_struct(png);
    bool ok = info && readPng(png, info, state);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (!ok) {
        if (state.tooLarge) {
            ZLOG(Warn, "PNG: refusing a %u x %u image (too large)", state.width, state.height);
        } else {
            ZLOG(Warn, "PNG: cannot decode image: %s", state.error);
        }
        return nullptr;
    }
    uint8_t* p = state.rgba.data();
    for (size_t i = 0; i < state.rgba.size(); i += 4) {
        uint8_t r = p[i];
        uint8_t g = p[i + 1];
        uint8_t b = p[i + 2];
        pixel::storeBgra(p + i, r, g, b, p[i + 3]);
    }
    return Image::fromPixels(static_cast<int>(state.width), static_cast<int>(state.height), std::move(state.rgba));
}

fnd::Bytes pngRepresentation(const Image& image) {
    auto width = static_cast<uint32_t>(image.width());
    auto height = static_cast<uint32_t>(image.height());
    fnd::Bytes rgba(image.bytesPerRow() * height);
    const uint8_t* in = image.data();
    for (size_t i = 0; i < rgba.size(); i += 4) {
        uint8_t a = in[i + 3];
        rgba[i] = pixel::unpremultiply(in[i + 2], a);
        rgba[i + 1] = pixel::unpremultiply(in[i + 1], a);
        rgba[i + 2] = pixel::unpremultiply(in[i], a);
        rgba[i + 3] = a;
    }

    fnd::Bytes out;
    WriteState state;
    state.out = &out;
    state.rows.resize(height);
    for (uint32_t y = 0; y < height; ++y) {
        state.rows[y] = rgba.data() + static_cast<size_t>(y) * width * 4;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, writeError, ignoreWarning);
    if (!png) {
        ZLOG(Error, "PNG: cannot start the encoder");
        return {};
    }
    png_infop info = png_create_info_struct(png);
    bool ok = info && writePng(png, info, state, width, height);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!ok) {
        ZLOG(Warn, "PNG: cannot encode image: %s", state.error);
        return {};
    }
    return out;
}

} // namespace gfx
