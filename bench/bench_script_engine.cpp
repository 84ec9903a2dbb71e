// Game script interpreter benchmarks: the same five programs run as our bytecode (written in the
// assembler's text form) and as Lua 5.4 source, each checked once for the same answer before timing.
#include <benchmark/benchmark.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "platform/foundation/value.h"
#include "tools/bcasm/assembler.h"

namespace {

using fnd::Value;

constexpr int64_t kMask = 0x3fffffff;

// Each program exports "main" (global 3); "sift" (global 4) is the heap sort's helper.
const char* const kFib = R"(
    .entry "main" G3
        func fib
        store G3
        ret
    fib:                ; L0 = n
        load L0
        push 2
        lt
        jumpifnot recurse
        load L0
        ret
    recurse:
        load G3
        load L0
        push 1
        sub
        call 1
        load G3
        load L0
        push 2
        sub
        call 1
        add
        ret
)";

const char* const kLoop = R"(
    .entry "main" G3
        func main
        store G3
        ret
    main:               ; L0 = n, L1 = i, L2 = sum
        push 0
        store L1
        push 0
        store L2
    top:
        load L1
        load L0
        lt
        jumpifnot done
        load L2
        load L1
        add
        push 0x3fffffff
        and
        store L2
        inc L1
        jump top
    done:
        load L2
        ret
)";

const char* const kArray = R"(
    .entry "main" G3
        func main
        store G3
        ret
    main:               ; L0 = n, L1 = array, L2 = i, L3 = sum
        push 0
        mkarray 1
        load L0
        mul
        store L1
        push 0
        store L2
    fill:
        load L2
        load L0
        lt
        jumpifnot filled
        load L2         ; value, container, index
        load L1
        load L2
        setitem
        inc L2
        jump fill
    filled:
        push 0
        store L2
        push 0
        store L3
    sum:
        load L2
        load L0
        lt
        jumpifnot done
        load L3
        load L1
        load L2
        getitem
        add
        push 0x3fffffff
        and
        store L3
        inc L2
        jump sum
    done:
        load L3
        ret
)";

const char* const kConcat = R"(
    .entry "main" G3
        func main
        store G3
        ret
    main:               ; L0 = n, L1 = text, L2 = i
        bytes ""
        store L1
        push 0
        store L2
    top:
        load L2
        load L0
        lt
        jumpifnot done
        load L1
        bytes "x"
        add
        store L1
        inc L2
        jump top
    done:
        load L1
        ret
)";

// Heap sort of n pseudo-random integers (x = (75x + 74) mod 65537), then a checksum of the order.
const char* const kSort = R"(
    .entry "main" G3
        func main
        store G3
        func sift
        store G4
        ret
    main:               ; L0 = n, L1 = a, L2 = x, L3 = i, L4 = end, L5 = t
        push 0
        mkarray 1
        load L0
        mul
        store L1
        push 1
        store L2
        push 0
        store L3
    gen:
        load L3
        load L0
        lt
        jumpifnot heapify_start
        load L2
        push 75
        mul
        push 74
        add
        push 65537
        mod
        store L2
        load L2
        load L1
        load L3
        setitem
        inc L3
        jump gen
    heapify_start:
        load L0
        push 2
        div
        push 1
        sub
        store L3
    heapify:
        load L3
        push 0
        ge
        jumpifnot heaped
        load G4
        load L1
        load L3
        load L0
        call 3
        pop
        load L3
        push 1
        sub
        store L3
        jump heapify
    heaped:
        load L0
        push 1
        sub
        store L4
    extract:
        load L4
        push 0
        gt
        jumpifnot sorted
        load L1         ; t = a[0]; a[0] = a[end]; a[end] = t
        push 0
        getitem
        store L5
        load L1
        load L4
        getitem
        load L1
        push 0
        setitem
        load L5
        load L1
        load L4
        setitem
        load G4
        load L1
        push 0
        load L4
        call 3
        pop
        load L4
        push 1
        sub
        store L4
        jump extract
    sorted:
        push 0
        store L3
        push 0
        store L5
    checksum:
        load L3
        load L0
        lt
        jumpifnot done
        load L5
        push 31
        mul
        load L1
        load L3
        getitem
        add
        push 0x3fffffff
        and
        store L5
        inc L3
        jump checksum
    done:
        load L5
        ret

    sift:               ; L0 = a, L1 = root, L2 = end (exclusive), L3 = child, L4 = t
        load L1
        push 2
        mul
        push 1
        add
        store L3
        load L3
        load L2
        lt
        jumpifnot sift_done
        load L3
        push 1
        add
        load L2
        lt
        jumpifnot pick
        load L0
        load L3
        getitem
        load L0
        load L3
        push 1
        add
        getitem
        lt
        jumpifnot pick
        inc L3
    pick:
        load L0
        load L1
        getitem
        load L0
        load L3
        getitem
        lt
        jumpifnot sift_done
        load L0
        load L1
        getitem
        store L4
        load L0
        load L3
        getitem
        load L0
        load L1
        setitem
        load L4
        load L0
        load L3
        setitem
        load L3
        store L1
        jump sift
    sift_done:
        push 0
        ret
)";

const char* const kLua = R"(
    function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end
    function loop(n) local s = 0 for i = 0, n - 1 do s = (s + i) & 0x3fffffff end return s end
    function arr(n)
        local t = {}
        for i = 1, n do t[i] = i - 1 end
        local s = 0
        for i = 1, n do s = (s + t[i]) & 0x3fffffff end
        return s
    end
    function cat(n) local s = "" for i = 1, n do s = s .. "x" end return s end
    local function sift(a, root, n)
        while true do
            local child = 2 * root
            if child > n then return end
            if child + 1 <= n and a[child] < a[child + 1] then child = child + 1 end
            if a[root] < a[child] then a[root], a[child] = a[child], a[root]; root = child else return end
        end
    end
    function sort(n)
        local a = {}
        local x = 1
        for i = 1, n do x = (x * 75 + 74) % 65537; a[i] = x end
        for start = n // 2, 1, -1 do sift(a, start, n) end
        for e = n, 2, -1 do a[1], a[e] = a[e], a[1]; sift(a, 1, e - 1) end
        local s = 0
        for i = 1, n do s = (s * 31 + a[i]) & 0x3fffffff end
        return s
    end
)";

int64_t maskedSum(int64_t n) {
    return (n * (n - 1) / 2) & kMask;
}

int64_t sortChecksum(int n) {
    std::vector<int64_t> a;
    int64_t x = 1;
    for (int i = 0; i < n; ++i) {
        x = (x * 75 + 74) % 65537;
        a.push_back(x);
    }
    std::sort(a.begin(), a.end());
    int64_t s = 0;
    for (int64_t v : a) {
        s = (s * 31 + v) & kMask;
    }
    return s;
}

std::unique_ptr<zelvan::STLScriptEngine> makeEngine(benchmark::State& state, const char* source) {
    zelvan::Assembler assembler;
    auto image = assembler.assemble(source);
    if (!image) {
        state.SkipWithError(("assembly failed: " + assembler.errorText()).c_str());
        return nullptr;
    }
    auto engine = std::make_unique<zelvan::STLScriptEngine>(*image, 1, 1, 1, Value::array(), Value::array(), 320, 480);
    engine->core()->setInstructionBudget(uint64_t{1} << 40);
    return engine;
}

// Runs our program's "main" with n; the checker sees the platform result of the first run.
template <class Check>
void runOurs(benchmark::State& state, const char* source, int n, Check check) {
    auto engine = makeEngine(state, source);
    if (!engine) {
        return;
    }
    Value args = Value::array({n});
    if (!check(engine->call("main", args))) {
        state.SkipWithError("wrong result from our interpreter");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine->call("main", args));
    }
}

struct LuaState {
    lua_State* L = luaL_newstate();
    ~LuaState() { lua_close(L); }
};

// Runs the Lua function `fn` with n; the checker sees the Lua stack with the result on top.
template <class Check>
void runLua(benchmark::State& state, const char* fn, int n, Check check) {
    LuaState lua;
    luaL_openlibs(lua.L);
    if (luaL_dostring(lua.L, kLua) != LUA_OK) {
        state.SkipWithError(lua_tostring(lua.L, -1));
        return;
    }
    auto run = [&] {
        lua_getglobal(lua.L, fn);
        lua_pushinteger(lua.L, n);
        return lua_pcall(lua.L, 1, 1, 0) == LUA_OK;
    };
    if (!run() || !check(lua.L)) {
        state.SkipWithError("wrong result from Lua");
        return;
    }
    lua_pop(lua.L, 1);
    for (auto _ : state) {
        run();
        lua_pop(lua.L, 1);
    }
}

auto oursIs(int64_t expected) {
    return [expected](const Value& v) { return v.asInt() == expected; };
}
auto luaIs(int64_t expected) {
    return [expected](lua_State* L) { return lua_isinteger(L, -1) && lua_tointeger(L, -1) == expected; };
}

void fib27Ours(benchmark::State& s) {
    runOurs(s, kFib, 27, oursIs(196418));
}
void fib27Lua(benchmark::State& s) {
    runLua(s, "fib", 27, luaIs(196418));
}

constexpr int kLoopSteps = 10'000'000;
void loop10mOurs(benchmark::State& s) {
    runOurs(s, kLoop, kLoopSteps, oursIs(maskedSum(kLoopSteps)));
}
void loop10mLua(benchmark::State& s) {
    runLua(s, "loop", kLoopSteps, luaIs(maskedSum(kLoopSteps)));
}

constexpr int kArraySize = 100'000;
void array100kOurs(benchmark::State& s) {
    runOurs(s, kArray, kArraySize, oursIs(maskedSum(kArraySize)));
}
void array100kLua(benchmark::State& s) {
    runLua(s, "arr", kArraySize, luaIs(maskedSum(kArraySize)));
}

constexpr int kConcatSteps = 10'000;
void concat10kOurs(benchmark::State& s) {
    runOurs(s, kConcat, kConcatSteps, [](const Value& v) { return v.asData() && v.asData()->size() == kConcatSteps; });
}
void concat10kLua(benchmark::State& s) {
    runLua(s, "cat", kConcatSteps, [](lua_State* L) { return lua_rawlen(L, -1) == size_t{kConcatSteps}; });
}

constexpr int kSortSize = 10'000;
void sort10kOurs(benchmark::State& s) {
    runOurs(s, kSort, kSortSize, oursIs(sortChecksum(kSortSize)));
}
void sort10kLua(benchmark::State& s) {
    runLua(s, "sort", kSortSize, luaIs(sortChecksum(kSortSize)));
}

BENCHMARK(fib27Ours)->Name("fib27/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(fib27Lua)->Name("fib27/lua")->Unit(benchmark::kMillisecond);
BENCHMARK(loop10mOurs)->Name("loop10m/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(loop10mLua)->Name("loop10m/lua")->Unit(benchmark::kMillisecond);
BENCHMARK(array100kOurs)->Name("array100k/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(array100kLua)->Name("array100k/lua")->Unit(benchmark::kMillisecond);
BENCHMARK(concat10kOurs)->Name("concat10k/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(concat10kLua)->Name("concat10k/lua")->Unit(benchmark::kMillisecond);
BENCHMARK(sort10kOurs)->Name("sort10k/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(sort10kLua)->Name("sort10k/lua")->Unit(benchmark::kMillisecond);

} // namespace
