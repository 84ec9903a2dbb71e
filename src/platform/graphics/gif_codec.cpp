// GIF first-frame decoder on giflib's record-level API, reading from memory. Only the records up
// to and including the first image are read, so later frames cost nothing.
#include "platform/graphics/gif_codec.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/foundation/log.h"

namespace gfx {

namespace {

struct Reader {
    std::span<const uint8_t> input;
    size_t offset = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int length) {
    auto* r = static_cast<Reader*>(gif->UserData);
    if (length <= 0) {
        return 0;
    }
    size_t n = std::min(static_cast<size_t>(length), r->input.size() - r->offset);
    if (n == 0) {
        return 0;
    }
    std::memcpy(out, r->input.data() + r->offset, n);
    r->offset += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

ImagePtr fail(GifFileType* gif, const char* what) {
    ZLOG(Warn, "GIF: cannot decode image: %s (%s)", what, GifErrorString(gif ? gif->Error : 0));
    return nullptr;
}

} // namespace

bool isGifData(std::span<const uint8_t> bytes) {
    return bytes.size() >= 6 &&
           (std::memcmp(bytes.data(), "GIF87a", 6) == 0 || std::memcmp(bytes.data(), "GIF89a", 6) == 0);
}

ImagePtr decodeGif(std::span<const uint8_t> bytes, DecodeLimit limit) {
    Reader reader{bytes, 0};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readBytes, &error));
    if (!gif) {
        ZLOG(Warn, "GIF: cannot decode image: %s", GifErrorString(error));
        return nullptr;
    }
    int transparentIndex = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
            return fail(gif.get(), "bad record");
        }
        if (type == TERMINATE_RECORD_TYPE) {
            ZLOG(Warn, "GIF: cannot decode image: no image in the file");
            return nullptr;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) {
                return fail(gif.get(), "bad extension");
            }
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
                GraphicsControlBlock gcb{};
                if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
                    transparentIndex = gcb.TransparentColor;
                }
            }
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) {
                    return fail(gif.get(), "bad extension");
                }
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) {
            continue;
        }
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
            return fail(gif.get(), "bad image descriptor");
        }
        break;
    }

    const GifImageDesc& desc = gif->Image;
    int64_t left = desc.Left;
    int64_t top = desc.Top;
    int64_t frameW = desc.Width;
    int64_t frameH = desc.Height;
    // The first frame is shown on the logical screen; a frame reaching past it widens the canvas.
    int64_t width = std::max<int64_t>(gif->SWidth, left + frameW);
    int64_t height = std::max<int64_t>(gif->SHeight, top + frameH);
    if (!imageDimensionsAllowed(frameW, frameH) || !limit.allows(width, height)) {
        ZLOG(Warn, "GIF: refusing a %lld x %lld image (too large or empty)", static_cast<long long>(width),
             static_cast<long long>(height));
        return nullptr;
    }
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0) {
        ZLOG(Warn, "GIF: cannot decode image: no colour table");
        return nullptr;
    }

    fnd::Bytes out(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    std::vector<GifPixelType> line(static_cast<size_t>(frameW));
    auto storeRow = [&](int64_t row) {
        uint8_t* dest = out.data() + (static_cast<size_t>(top + row) * width + left) * 4;
        for (int64_t x = 0; x < frameW; ++x, dest += 4) {
            int index = line[x];
            if (index == transparentIndex || index >= map->ColorCount) {
                continue; // stays transparent
            }
            const GifColorType& c = map->Colors[index];
            dest[0] = c.Blue;
            dest[1] = c.Green;
            dest[2] = c.Red;
            dest[3] = 255;
        }
    };
    if (desc.Interlace) {
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int64_t row = kStart[pass]; row < frameH; row += kStep[pass]) {
                if (DGifGetLine(gif.get(), line.data(), static_cast<int>(frameW)) == GIF_ERROR) {
                    return fail(gif.get(), "bad image data");
                }
                storeRow(row);
            }
        }
    } else {
        for (int64_t row = 0; row < frameH; ++row) {
            if (DGifGetLine(gif.get(), line.data(), static_cast<int>(frameW)) == GIF_ERROR) {
                return fail(gif.get(), "bad image data");
            }
            storeRow(row);
        }
    }
    return Image::fromPixels(static_cast<int>(width), static_cast<int>(height), std::move(out));
}

} // namespace gfx
