// Shared driver of the script engine fuzz targets: loads an image into an engine over a small bitmap
// context with a tight instruction budget, calls its entry points with a few argument shapes, and
// checks that the disassembler turns the image into text that assembles back to the same bytes.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/graphics_stack.h"
#include "tools/bcasm/assembler.h"
#include "tools/bcasm/disassembler.h"

namespace script_fuzz {

// Instructions each entry-point call may run: enough for real work, small enough to stay fast.
inline constexpr uint64_t kBudget = 200'000;
// Entry points called per image, so an image declaring thousands cannot make one input slow.
inline constexpr int kMaxEntryPoints = 8;

inline void setUp() {
    static bool ready = [] {
        fnd::setLogToStderr(false);
        fnd::initMainThread();
        return true;
    }();
    (void)ready;
}

inline void checkRoundTrip(const std::vector<uint8_t>& image) {
    std::string text = zelvan::Disassembler::disassemble(image);
    zelvan::Assembler assembler;
    auto again = assembler.assemble(text);
    if (!again || *again != image) {
        std::abort();
    }
}

inline void runImage(const std::vector<uint8_t>& image) {
    auto context = gfx::BitmapContext::create(16, 16, gfx::PixelFormat::Bgra8PremulFirstLE);
    gfx::pushContext(context);
    {
        // The budget is set before the initialisation code runs, so that code is bounded too.
        zelvan::STLScriptEngine engine(image, 7, 1, 1, fnd::Value::array({7, 8}), fnd::Value::array({"a", "b"}), 16, 16,
                                       nullptr, kBudget);
        gfx::popContext();
        std::vector<std::string> names;
        for (const auto& [name, slot] : engine.core()->entryPoints()) {
            if (static_cast<int>(names.size()) == kMaxEntryPoints) {
                break;
            }
            names.push_back(name);
        }
        const fnd::Value shapes[] = {
            fnd::Value(),
            fnd::Value::array(),
            fnd::Value::array({5, "ab"}),
            fnd::Value::array({fnd::Value::array({1, -2}), fnd::Bytes{0, 0xff}, 0x7fffffff, fnd::Value()}),
        };
        for (const auto& name : names) {
            for (const auto& args : shapes) {
                engine.call(name, args);
            }
        }
        engine.setstate(3);
        engine.call("paint", fnd::Value());
    }
    // Whatever the natives handed to the main thread runs now, so nothing piles up between inputs.
    fnd::RunLoop::main().runUntilIdle();
}

} // namespace script_fuzz
