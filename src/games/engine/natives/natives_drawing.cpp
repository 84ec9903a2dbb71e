// Natives of buffers, colour, shapes, clipping, translation and text: they draw on the engine's
// current surface with the run's colour and translation. A draw on slot 0 (the script view's
// backing) holds the slot-0 guard for that draw only.
#include <cmath>
#include <limits>
#include <mutex>

#include "games/engine/natives/drawing_helpers.h"
#include "games/engine/natives/native_objects.h"
#include "games/engine/natives/natives.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "games/formats/bitmap_font.h"
#include "platform/graphics/text_layout.h"

namespace zelvan {
namespace {

using natives::arg;
using natives::Args;
using natives::intArg;

// 44: index: makes buffer index current (a new surface of the engine's size for an empty slot).
ScriptValue setBuffer(STLScriptCore& core, Args args) {
    core.setBuffer(intArg(args, 0));
    return kNoValue;
}

// 45: w, h: a new offscreen surface; its slot, or -1 when none can be made.
ScriptValue addBuffer(STLScriptCore& core, Args args) {
    return fromInt(core.addBuffer(intArg(args, 0), intArg(args, 1)));
}

// 46: [width, height] of the engine.
ScriptValue screenSize(STLScriptCore& core, Args) {
    return valueOf(core.pool().newArray({fromInt(core.engine().width()), fromInt(core.engine().height())}));
}

gfx::Rect rectArgs(Args args) {
    return gfx::Rect{static_cast<double>(intArg(args, 0)), static_cast<double>(intArg(args, 1)),
                     static_cast<double>(intArg(args, 2)), static_cast<double>(intArg(args, 3))};
}

// 48: rgb, or r, g, b: stroke and fill colour, recorded as the run's colour.
ScriptValue setColor(STLScriptCore& core, Args args) {
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    if (args.size() == 1) {
        const auto rgb = static_cast<uint32_t>(intArg(args, 0));
        r = static_cast<int32_t>((rgb >> 16) & 255);
        g = static_cast<int32_t>((rgb >> 8) & 255);
        b = static_cast<int32_t>(rgb & 255);
    } else {
        r = intArg(args, 0);
        g = intArg(args, 1);
        b = intArg(args, 2);
    }
    core.drawState.red = r;
    core.drawState.green = g;
    core.drawState.blue = b;
    natives::DrawLock draw(core);
    if (gfx::Context* context = draw.context()) {
        context->setRGBStrokeColor(r / 255.0, g / 255.0, b / 255.0, 1.0);
        context->setRGBFillColor(r / 255.0, g / 255.0, b / 255.0, 1.0);
    }
    return kNoValue;
}

// 50: x1, y1, x2, y2: a line 1 wide.
ScriptValue drawLine(STLScriptCore& core, Args args) {
    natives::DrawLock draw(core);
    if (gfx::Context* context = draw.context()) {
        context->setLineWidth(1.0);
        context->beginPath();
        context->moveToPoint(intArg(args, 0), intArg(args, 1));
        context->addLineToPoint(intArg(args, 2), intArg(args, 3));
        context->strokePath();
    }
    return kNoValue;
}

// 52: x, y, w, h: strokes the rectangle.
ScriptValue strokeRect(STLScriptCore& core, Args args) {
    natives::DrawLock draw(core);
    if (gfx::Context* context = draw.context()) {
        context->strokeRect(rectArgs(args));
    }
    return kNoValue;
}

// 56: x, y, w, h: fills the rectangle.
ScriptValue fillRect(STLScriptCore& core, Args args) {
    natives::DrawLock draw(core);
    if (gfx::Context* context = draw.context()) {
        context->fillRect(rectArgs(args));
    }
    return kNoValue;
}

// 80: x, y, w, h: narrows the clip to the rectangle.
ScriptValue clipRect(STLScriptCore& core, Args args) {
    natives::DrawLock draw(core);
    if (gfx::Context* context = draw.context()) {
        context->clipToRect(rectArgs(args));
    }
    return kNoValue;
}

// 64: x, y, w, h: back to the saved state (which drops clip, colour and translation), then the
// run's translation and colour again, clipped to the rectangle.
ScriptValue resetClip(STLScriptCore& core, Args args) {
    natives::DrawLock draw(core);
    gfx::Context* context = draw.context();
    if (context == nullptr) {
        return kNoValue;
    }
    const STLScriptCore::DrawState& state = core.drawState;
    context->restoreGState();
    context->saveGState();
    context->translateCTM(state.translateX, state.translateY);
    context->setRGBStrokeColor(state.red / 255.0, state.green / 255.0, state.blue / 255.0, 1.0);
    context->setRGBFillColor(state.red / 255.0, state.green / 255.0, state.blue / 255.0, 1.0);
    context->clipToRect(rectArgs(args));
    return kNoValue;
}

// 73: dx, dy: translates, adding to the run's translation.
ScriptValue translate(STLScriptCore& core, Args args) {
    const double dx = intArg(args, 0);
    const double dy = intArg(args, 1);
    core.drawState.translateX += dx;
    core.drawState.translateY += dy;
    natives::DrawLock draw(core);
    if (gfx::Context* context = draw.context()) {
        context->translateCTM(dx, dy);
    }
    return kNoValue;
}

// 59: a font object, or name and size, or nothing: the text natives' font.
ScriptValue setFont(STLScriptCore& core, Args args) {
    if (args.size() == 1) {
        if (std::shared_ptr<vFont> font = nativeObject<vFont>(args[0])) {
            core.bitmapFont = std::move(font);
        }
        return kNoValue;
    }
    core.bitmapFont = nullptr;
    ZData* name = dataOf(arg(args, 0));
    if (args.size() == 2 && name != nullptr) {
        core.setFont(name->newString(), intArg(args, 1));
    } else {
        core.setFont(std::nullopt, 14);
    }
    return kNoValue;
}

gfx::LineBreakMode lineBreakMode(int32_t mode) {
    return mode >= 0 && mode <= static_cast<int32_t>(gfx::LineBreakMode::MiddleTruncation)
               ? static_cast<gfx::LineBreakMode>(mode)
               : gfx::LineBreakMode::WordWrap;
}

// 62: text, x, y [, anchor = 7 [, width = -1 [, height = -1 [, line-break mode = 0]]]].
ScriptValue drawText(STLScriptCore& core, Args args) {
    ZData* text = dataOf(arg(args, 0));
    if (text == nullptr) {
        return kNoValue;
    }
    const int anchor = args.size() > 3 ? intArg(args, 3) : 7;
    natives::DrawLock draw(core);
    if (draw.context() == nullptr) {
        return kNoValue;
    }
    if (core.bitmapFont != nullptr) {
        const size_t before = core.bitmapFont->cng().cachedBytes();
        core.bitmapFont->drawString(*draw.context(), natives::textOf(*text), intArg(args, 1), intArg(args, 2), anchor,
                                    core.engine().height());
        // Glyphs drawn for the first time stay decoded with the font.
        if (core.bitmapFont->cng().cachedBytes() > before) {
            core.pool().charge(core.bitmapFont->cng().cachedBytes() - before);
        }
        return kNoValue;
    }
    CGContextDrawText(core.currentContext(), natives::textOf(*text), core.font(), intArg(args, 1), intArg(args, 2),
                      anchor, args.size() > 4 ? intArg(args, 4) : -1, args.size() > 5 ? intArg(args, 5) : -1,
                      lineBreakMode(intArg(args, 6)));
    return kNoValue;
}

// 98: text [, max width = -1 [, max height = -1 [, line-break mode = 0]]]: [width, height] in the font.
ScriptValue textSize(STLScriptCore& core, Args args) {
    ZData* text = dataOf(arg(args, 0));
    if (text == nullptr) {
        return kNoValue;
    }
    constexpr double kUnlimited = std::numeric_limits<int32_t>::max();
    auto limit = [&](size_t i) { return args.size() > i && intArg(args, i) != -1 ? intArg(args, i) : kUnlimited; };
    const gfx::Size size = gfx::sizeWithFont(natives::textOf(*text), core.font(), gfx::Size{limit(1), limit(2)},
                                             lineBreakMode(intArg(args, 3)));
    auto whole = [](double v) {
        return fromInt(static_cast<int32_t>(std::trunc(std::clamp(v, -2147483648.0, 2147483647.0))));
    };
    return valueOf(core.pool().newArray({whole(size.width), whole(size.height)}));
}

} // namespace

void registerDrawingNatives(NativeTable& table) {
    table.registerNative(44, setBuffer);
    table.registerNative(45, addBuffer);
    table.registerNative(46, screenSize);
    table.registerNative(48, setColor);
    table.registerNative(50, drawLine);
    table.registerNative(52, strokeRect);
    table.registerNative(56, fillRect);
    table.registerNative(64, resetClip);
    table.registerNative(73, translate);
    table.registerNative(80, clipRect);
    table.registerNative(59, setFont);
    table.registerNative(62, drawText);
    table.registerNative(98, textSize);
}

} // namespace zelvan
