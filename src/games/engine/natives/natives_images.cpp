// Natives of images: palette archives and bitmap fonts read from game files, photos redrawn upright,
// drawing them with keypad anchors and alpha, snapshots of buffers, of the script's backing and of the
// window, encoding and saving to the photo album. Object arguments go through a checked downcast:
// the wrong kind of object has no effect and gives null.
#include <cmath>
#include <cstdint>
#include <mutex>

#include "games/engine/natives/game_host.h"
#include "games/engine/natives/native_objects.h"
#include "games/engine/natives/natives.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "games/formats/bitmap_font.h"
#include "games/formats/cng4.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/context.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

using natives::arg;
using natives::Args;
using natives::intArg;

// Argument i when the script passed it, else `fallback`.
int32_t intArgOr(Args args, size_t i, int32_t fallback) {
    return args.size() > i ? intArg(args, i) : fallback;
}

// Draws with the context's alpha at alpha / 100 when alpha >= 0, then back at 1.
template <class Draw>
void withAlpha(gfx::Context& context, int32_t alpha, Draw draw) {
    if (alpha >= 0) {
        context.setAlpha(alpha / 100.0);
    }
    draw();
    if (alpha >= 0) {
        context.setAlpha(1.0);
    }
}

// Draws `image` as a platform image: into (x, y, width, height) moved by the keypad anchor (integer
// halves), width and height given from args[first] on and defaulting to (or, when negative, replaced
// by) the image's own size, under the alpha at args[first + 2].
void drawPlatformImage(gfx::Context& context, const gfx::Image& image, int64_t x, int64_t y, Args args, size_t first) {
    const int anchor = intArgOr(args, first - 1, 7);
    int64_t w = intArgOr(args, first, -1);
    int64_t h = intArgOr(args, first + 1, -1);
    w = w < 0 ? image.width() : w;
    h = h < 0 ? image.height() : h;
    if (anchor == 8 || anchor == 2 || anchor == 5) {
        x -= w / 2;
    } else if (anchor == 9 || anchor == 6 || anchor == 3) {
        x -= w;
    }
    if (anchor == 4 || anchor == 5 || anchor == 6) {
        y -= h / 2;
    } else if (anchor == 1 || anchor == 2 || anchor == 3) {
        y -= h;
    }
    const gfx::Rect rect{static_cast<double>(x), static_cast<double>(y), static_cast<double>(w),
                         static_cast<double>(h)};
    withAlpha(context, intArgOr(args, first + 2, -1), [&] { context.drawImage(rect, image); });
}

// 65: an archive's image (image, index, palette, x, y [, anchor [, width [, height [, alpha]]]]) or a
// platform image (image, x, y [, anchor [, width [, height [, alpha]]]]).
ScriptValue drawImage(STLScriptCore& core, Args args) {
    if (std::shared_ptr<CNG4> archive = nativeObject<CNG4>(arg(args, 0))) {
        natives::DrawLock draw(core);
        if (gfx::Context* context = draw.context()) {
            const size_t before = archive->cachedBytes();
            withAlpha(*context, intArgOr(args, 8, -1), [&] {
                archive->drawImage(*context, intArg(args, 1), intArg(args, 2), intArg(args, 3), intArg(args, 4),
                                   intArgOr(args, 5, 7), core.engine().height(), intArgOr(args, 6, -1),
                                   intArgOr(args, 7, -1));
            });
            // A first draw keeps the decoded image with the archive.
            if (archive->cachedBytes() > before) {
                core.pool().charge(archive->cachedBytes() - before);
            }
        }
    } else if (std::shared_ptr<ScriptImage> picture = nativeObject<ScriptImage>(arg(args, 0))) {
        natives::DrawLock draw(core);
        if (draw.context() != nullptr && picture->image() != nullptr) {
            drawPlatformImage(*draw.context(), *picture->image(), intArg(args, 1), intArg(args, 2), args, 4);
        }
    }
    return kNoValue;
}

// The surface of buffer `index` when the script names one that has a surface.
std::shared_ptr<gfx::Context> bufferContext(STLScriptCore& core, int32_t index) {
    if (index < 0 || index >= STLScriptCore::kMaxBufferIndex || static_cast<size_t>(index) >= core.buffers().size()) {
        return nullptr;
    }
    return core.buffers()[static_cast<size_t>(index)];
}

// 66: buffer, x, y [, anchor [, width [, height [, alpha]]]]: draws the buffer's contents as 65
// draws a platform image.
ScriptValue drawBuffer(STLScriptCore& core, Args args) {
    const int32_t index = intArg(args, 0);
    std::shared_ptr<gfx::Context> source = bufferContext(core, index);
    if (source == nullptr) {
        return kNoValue;
    }
    natives::DrawLock draw(core, index);
    gfx::ImagePtr image = source->makeImage();
    if (draw.context() != nullptr && image != nullptr) {
        drawPlatformImage(*draw.context(), *image, intArg(args, 1), intArg(args, 2), args, 4);
    }
    return kNoValue;
}

// The bytes of the game file the script names at args[0], or nothing.
std::optional<fnd::Bytes> gameFileBytes(STLScriptCore& core, Args args) {
    ZData* path = dataOf(arg(args, 0));
    if (path == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> resolved = natives::gameFile(core, natives::textOf(*path));
    return resolved ? natives::hostOf(core)->newFileData(*resolved) : std::nullopt;
}

// 72: path [, prepare = 1]: a native object holding the file's archive; around nothing when the file
// is missing, refused or not an archive.
ScriptValue loadArchive(STLScriptCore& core, Args args) {
    std::optional<fnd::Bytes> bytes = gameFileBytes(core, args);
    if (!bytes) {
        return valueOf(core.pool().newNSObject());
    }
    fnd::Result<std::shared_ptr<CNG4>> archive = CNG4::initWithIData(*bytes);
    if (!archive) {
        ZTRACE_WARN("game %d, a palette archive does not parse: %@", core.engine().gameId(),
                    archive.error().localizedDescription());
        return valueOf(core.pool().newNSObject());
    }
    archive.value()->setCacheBudget(core.imageCacheBudget());
    if (args.size() < 2 || intArg(args, 1) != 0) {
        archive.value()->buffer(-1, -1);
    }
    return valueOf(core.pool().newNSObject(fnd::Value(std::move(archive.value()))));
}

// 74: image, index [, palette = 0]: decodes an archive's image or a font's glyphs in advance.
ScriptValue prepareImage(STLScriptCore& core, Args args) {
    CNG4* archive = nullptr;
    std::shared_ptr<CNG4> asArchive = nativeObject<CNG4>(arg(args, 0));
    std::shared_ptr<vFont> asFont = asArchive == nullptr ? nativeObject<vFont>(arg(args, 0)) : nullptr;
    if (asArchive != nullptr) {
        archive = asArchive.get();
    } else if (asFont != nullptr) {
        archive = &asFont->cng();
    } else {
        return kNoValue;
    }
    const size_t before = archive->cachedBytes();
    if (asFont != nullptr) {
        asFont->buffer(intArg(args, 1), intArgOr(args, 2, 0));
    } else {
        archive->buffer(intArg(args, 1), intArgOr(args, 2, 0));
    }
    if (archive->cachedBytes() > before) {
        core.pool().charge(archive->cachedBytes() - before);
    }
    return kNoValue;
}

// 76: path: a native object holding the file's bitmap font; null when it is missing or not a font.
ScriptValue loadFont(STLScriptCore& core, Args args) {
    if (args.size() != 1) {
        return kNoValue;
    }
    std::optional<fnd::Bytes> bytes = gameFileBytes(core, args);
    if (!bytes) {
        return kNoValue;
    }
    fnd::Result<std::shared_ptr<vFont>> font = vFont::initWithIData(*bytes);
    if (!font) {
        ZTRACE_WARN("game %d, a bitmap font does not parse: %@", core.engine().gameId(),
                    font.error().localizedDescription());
        return kNoValue;
    }
    font.value()->cng().setCacheBudget(core.imageCacheBudget());
    return valueOf(core.pool().newNSObject(fnd::Value(std::move(font.value()))));
}

// 78: font, colour, alpha: the index of the font's new colour.
ScriptValue addFontColor(STLScriptCore& core, Args args) {
    std::shared_ptr<vFont> font = nativeObject<vFont>(arg(args, 0));
    if (font == nullptr) {
        return kNoValue;
    }
    const size_t before = font->cng().cachedBytes();
    const int index = font->addColor(intArg(args, 1), intArg(args, 2));
    if (font->cng().cachedBytes() > before) {
        core.pool().charge(font->cng().cachedBytes() - before);
    }
    return fromInt(index);
}

// 79: font, index: the font's colour.
ScriptValue setFontColor(STLScriptCore&, Args args) {
    if (std::shared_ptr<vFont> font = nativeObject<vFont>(arg(args, 0))) {
        font->setColorIndex(intArg(args, 1));
    }
    return kNoValue;
}

ScriptValue wrapImage(STLScriptCore& core, gfx::ImagePtr image) {
    if (image == nullptr) {
        return kNoValue;
    }
    return valueOf(core.pool().newNSObject(fnd::Value(std::make_shared<ScriptImage>(std::move(image)))));
}

// 85: path: the file's image redrawn upside down (so it comes out upright in the engine's
// contexts); null when the file is missing, refused or not an image.
ScriptValue loadPhoto(STLScriptCore& core, Args args) {
    std::optional<fnd::Bytes> bytes = gameFileBytes(core, args);
    gfx::ImagePtr image = bytes ? gfx::Image::imageWithData(*bytes) : nullptr;
    if (image == nullptr) {
        return kNoValue;
    }
    std::shared_ptr<gfx::BitmapContext> flipped =
        gfx::BitmapContext::create(image->width(), image->height(), gfx::PixelFormat::Bgra8PremulFirstLE);
    if (flipped == nullptr) {
        return kNoValue;
    }
    flipped->translateCTM(0, image->height());
    flipped->scaleCTM(1, -1);
    flipped->drawImage(gfx::Rect{0, 0, static_cast<double>(image->width()), static_cast<double>(image->height())},
                       *image);
    return wrapImage(core, flipped->makeImage());
}

// 122: which: an image of buffer which (>= 0), of the script's backing (-1: what the script drew,
// without the screen's labels and chat) or of the window's last composed frame (below -1). None of
// them waits for the main thread.
ScriptValue snapshot(STLScriptCore& core, Args args) {
    if (args.empty()) {
        return kNoValue;
    }
    const int32_t which = intArg(args, 0);
    if (which >= 0) {
        std::shared_ptr<gfx::Context> source = bufferContext(core, which);
        if (source == nullptr) {
            return kNoValue;
        }
        natives::DrawLock draw(core, which);
        return wrapImage(core, source->makeImage());
    }
    GameHost* host = natives::hostOf(core);
    if (host == nullptr) {
        return kNoValue;
    }
    if (which == -1) {
        std::shared_ptr<GameScreen> screen = host->playingGame();
        return screen == nullptr ? kNoValue : wrapImage(core, screen->screenImage());
    }
    return wrapImage(core, host->lastComposedFrame());
}

// 123: image, format [, quality = 40]: the image's "png" or "jpeg" bytes as a string.
ScriptValue encodeImage(STLScriptCore& core, Args args) {
    std::shared_ptr<ScriptImage> picture = nativeObject<ScriptImage>(arg(args, 0));
    ZData* format = dataOf(arg(args, 1));
    if (picture == nullptr || picture->image() == nullptr || format == nullptr) {
        return kNoValue;
    }
    fnd::Bytes encoded;
    if (natives::textOf(*format) == "png") {
        encoded = gfx::pngRepresentation(*picture->image());
    } else if (natives::textOf(*format) == "jpeg") {
        encoded = gfx::jpegRepresentation(*picture->image(), intArgOr(args, 2, 40) / 100.0);
    }
    if (encoded.empty()) {
        return kNoValue;
    }
    return valueOf(core.pool().newData(std::move(encoded)));
}

// 124: image: saved to the photo album.
ScriptValue saveImage(STLScriptCore& core, Args args) {
    std::shared_ptr<ScriptImage> picture = nativeObject<ScriptImage>(arg(args, 0));
    GameHost* host = natives::hostOf(core);
    if (picture != nullptr && picture->image() != nullptr && host != nullptr) {
        host->saveToPhotoAlbum(picture->image());
    }
    return kNoValue;
}

} // namespace

void registerImageNatives(NativeTable& table) {
    table.registerNative(65, drawImage);
    table.registerNative(66, drawBuffer);
    table.registerNative(72, loadArchive);
    table.registerNative(74, prepareImage);
    table.registerNative(76, loadFont);
    table.registerNative(78, addFontColor);
    table.registerNative(79, setFontColor);
    table.registerNative(85, loadPhoto);
    table.registerNative(122, snapshot);
    table.registerNative(123, encodeImage);
    table.registerNative(124, saveImage);
}

} // namespace zelvan
