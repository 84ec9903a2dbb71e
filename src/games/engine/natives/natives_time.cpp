// Natives of time, random numbers, arithmetic and constants: the wait that keeps the thread's run
// loop working, the eight seeded random streams, trigonometry in thousandths, least, greatest and
// sum, and the fixed numbers of the protocol.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "games/engine/natives/game_host.h"
#include "games/engine/natives/natives.h"
#include "games/engine/script_random.h"
#include "games/engine/stl_script_core.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"

namespace zelvan {
namespace {

using natives::arg;
using natives::Args;
using natives::intArg;

// Longest stretch the wait runs its loop before it looks at the clock again.
constexpr double kWaitSlice = 0.01;

// 0: waits ms milliseconds of clock time while the calling thread's run loop keeps serving its
// tasks, timers and sources. A loop with nothing to serve sleeps the slice on the clock instead of
// spinning. A call back into the same engine from a task it runs is refused by the engine's facade.
ScriptValue wait(STLScriptCore&, Args args) {
    const fnd::Date deadline = fnd::Clock::now().addingTimeInterval(intArg(args, 0) / 1000.0);
    fnd::RunLoop& loop = fnd::RunLoop::current();
    for (fnd::Date now = fnd::Clock::now(); now < deadline; now = fnd::Clock::now()) {
        fnd::Date sliceEnd = std::min(deadline, now.addingTimeInterval(kWaitSlice));
        if (!loop.runMode(fnd::RunLoopMode::Default, sliceEnd)) {
            fnd::Thread::sleepFor(sliceEnd.timeIntervalSinceDate(now));
        }
    }
    return kNoValue;
}

// The seed word of stream `stream`, or null when the stream is not one of the eight.
uint32_t* seedOf(STLScriptCore& core, int32_t stream) {
    if (stream < 0 || static_cast<size_t>(stream) >= core.randomSeeds.size()) {
        return nullptr;
    }
    return &core.randomSeeds[static_cast<size_t>(stream)];
}

// 1: [bound [, stream = 0]]: the next number of the stream, modulo the bound when one is given. A
// bound of 0 or a stream outside 0-7 gives null and draws nothing.
ScriptValue random(STLScriptCore& core, Args args) {
    uint32_t* seed = seedOf(core, intArg(args, 1));
    if (seed == nullptr || (!args.empty() && intArg(args, 0) == 0)) {
        return kNoValue;
    }
    int32_t r = scriptRandR(*seed);
    if (!args.empty()) {
        r %= intArg(args, 0);
    }
    return fromInt(r);
}

// 81: seed, stream: sets the stream's seed word; a stream outside 0-7 changes nothing.
ScriptValue setSeed(STLScriptCore& core, Args args) {
    if (uint32_t* seed = seedOf(core, intArg(args, 1))) {
        *seed = static_cast<uint32_t>(intArg(args, 0));
    }
    return kNoValue;
}

ScriptValue absolute(STLScriptCore&, Args args) {
    int32_t n = intArg(args, 0);
    return fromUInt(n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n));
}

// 6: [unit]: milliseconds since the image was loaded, divided by the unit when one is given; a unit
// of 0 gives null.
ScriptValue elapsed(STLScriptCore& core, Args args) {
    double ms = (fnd::Clock::now().sinceReferenceDate() - core.loadTime) * 1000.0;
    auto whole = static_cast<int64_t>(std::clamp(ms, -1e15, 1e15));
    if (!args.empty()) {
        int32_t unit = intArg(args, 0);
        if (unit == 0) {
            return kNoValue;
        }
        whole /= unit;
    }
    return fromUInt(static_cast<uint32_t>(whole));
}

ScriptValue trig(Args args, double (*fn)(double)) {
    double radians = intArg(args, 0) * std::numbers::pi / 180.0;
    return fromInt(static_cast<int32_t>(std::trunc(fn(radians) * 1000.0)));
}

ScriptValue sine(STLScriptCore&, Args args) {
    return trig(args, [](double r) { return std::sin(r); });
}

ScriptValue cosine(STLScriptCore&, Args args) {
    return trig(args, [](double r) { return std::cos(r); });
}

// 13 and 14: the least (or greatest) of several integer arguments, or of one array's elements by
// the value order, returned as an integer. One argument that is not an array gives 0, an empty
// array null.
ScriptValue extreme(STLScriptCore& core, Args args, bool greatest) {
    if (args.size() > 1) {
        int32_t best = intOf(args[0]);
        for (ScriptValue v : args.subspan(1)) {
            best = greatest ? std::max(best, intOf(v)) : std::min(best, intOf(v));
        }
        return fromInt(best);
    }
    ZArray* array = arrayOf(arg(args, 0));
    if (array == nullptr) {
        return fromInt(0);
    }
    if (array->elements.empty()) {
        return kNoValue;
    }
    ScriptValue best = array->elements.front();
    for (size_t i = 1; i < array->elements.size() && !core.work().spent(); ++i) {
        int order = cmp(array->elements[i], best, core.work());
        if (greatest ? order > 0 : order < 0) {
            best = array->elements[i];
        }
    }
    return fromInt(intOf(best));
}

ScriptValue least(STLScriptCore& core, Args args) {
    return extreme(core, args, false);
}

ScriptValue greatest(STLScriptCore& core, Args args) {
    return extreme(core, args, true);
}

// 15: the sum of several integer arguments or of one array's elements taken as integers.
ScriptValue sum(STLScriptCore& core, Args args) {
    std::span<const ScriptValue> terms = args;
    if (args.size() <= 1) {
        ZArray* array = arrayOf(arg(args, 0));
        if (array == nullptr) {
            return fromInt(0);
        }
        terms = array->elements;
        core.work().spend(terms.size());
    }
    uint32_t total = 0;
    for (ScriptValue v : terms) {
        total += static_cast<uint32_t>(intOf(v));
    }
    return fromUInt(total);
}

ScriptValue audioEnabled(STLScriptCore& core, Args) {
    GameHost* host = natives::hostOf(core);
    return host == nullptr ? kNoValue : fromInt(host->gameAudioEnable());
}

template <int32_t N>
ScriptValue constant(STLScriptCore&, Args) {
    return fromInt(N);
}

} // namespace

void registerTimeNatives(NativeTable& table) {
    table.registerNative(0, wait);
    table.registerNative(1, random);
    table.registerNative(2, absolute);
    table.registerNative(6, elapsed);
    table.registerNative(8, sine);
    table.registerNative(9, cosine);
    table.registerNative(13, least);
    table.registerNative(14, greatest);
    table.registerNative(15, sum);
    table.registerNative(81, setSeed);
    table.registerNative(60, constant<20>);
    // The two fixed protocol numbers of the client's log-in packet.
    table.registerNative(82, constant<4>);
    table.registerNative(83, constant<139>);
    for (int id : {103, 104, 106, 107}) {
        table.registerNative(id, constant<0>);
    }
    table.registerNative(121, audioEnabled);
}

} // namespace zelvan
