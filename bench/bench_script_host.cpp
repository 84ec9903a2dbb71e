// Page script host benchmarks: our Duktape host against MuJS on a recursive fib(25) and on the ad
// page's poll, a "commandList();" round trip that builds 20 commands and hands back their JSON text.
// Each side is checked once for the same answer before timing.
#include <benchmark/benchmark.h>

#include <mujs.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/ui/duktape_script_host.h"

namespace {

const char* const kPage = R"JS(
function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }
var frame = 0;
// Keys in alphabetical order, the order MuJS writes them in, so both sides give the same text.
function commandList() {
    var queue = [];
    frame++;
    for (var i = 0; i < 20; i++) {
        queue.push({cmd: 'draw', id: i, name: 'sprite' + i, visible: (i & 1) === 0, x: i * 2 + frame, y: i * 3});
    }
    return JSON.stringify(queue);
}
)JS";

std::shared_ptr<ui::DuktapeScriptHost> makeOurs() {
    auto host = std::make_shared<ui::DuktapeScriptHost>();
    host->beginDocument(ui::ScriptDocumentInfo{"http://bench.test/", "", "", ""});
    host->runScript(kPage, "http://bench.test/");
    return host;
}

// A MuJS state with the same page; the answer of `expression` as text.
struct Mujs {
    Mujs() : J(js_newstate(nullptr, nullptr, 0)) {
        if (js_dostring(J, kPage) != 0) {
            std::abort();
        }
    }
    ~Mujs() { js_freestate(J); }
    std::string evaluate(const char* expression) {
        if (js_ploadstring(J, "[poll]", expression) != 0) {
            std::abort();
        }
        js_pushundefined(J);
        if (js_pcall(J, 0) != 0) {
            std::abort();
        }
        std::string text = js_tostring(J, -1);
        js_pop(J, 1);
        return text;
    }
    js_State* J;
};

void checkSame(benchmark::State& state, const std::string& ours, const std::string& peer) {
    if (ours != peer) {
        state.SkipWithError(("answers differ: " + ours.substr(0, 80) + " / " + peer.substr(0, 80)).c_str());
    }
}

void fib25Ours(benchmark::State& state) {
    auto host = makeOurs();
    Mujs peer;
    checkSame(state, host->evaluate("fib(25)").toString(), peer.evaluate("fib(25)"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(host->evaluate("fib(25)").toString());
    }
}
BENCHMARK(fib25Ours)->Name("fib25/ours")->Unit(benchmark::kMillisecond);

void fib25Mujs(benchmark::State& state) {
    Mujs peer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(peer.evaluate("fib(25)"));
    }
}
BENCHMARK(fib25Mujs)->Name("fib25/mujs")->Unit(benchmark::kMillisecond);

void pollOurs(benchmark::State& state) {
    auto host = makeOurs();
    Mujs peer;
    checkSame(state, host->evaluate("commandList();").toString(), peer.evaluate("commandList();"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(host->evaluate("commandList();").toString());
    }
}
BENCHMARK(pollOurs)->Name("poll/ours")->Unit(benchmark::kMicrosecond);

void pollMujs(benchmark::State& state) {
    Mujs peer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(peer.evaluate("commandList();"));
    }
}
BENCHMARK(pollMujs)->Name("poll/mujs")->Unit(benchmark::kMicrosecond);

} // namespace
