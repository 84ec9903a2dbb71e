// Foundation benchmarks: the formatter against the C library's snprintf on the same output text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "platform/foundation/format.h"

namespace {

void formatOurs(benchmark::State& state) {
    std::string name = "gold coins";
    int count = 1234;
    double price = 56.789;
    for (auto _ : state) {
        std::string text = fnd::format("%d items of %s at %.2f", count, name, price);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(formatOurs)->Name("format/ours");

void formatSnprintf(benchmark::State& state) {
    std::string name = "gold coins";
    int count = 1234;
    double price = 56.789;
    for (auto _ : state) {
        char buf[128];
        int n = std::snprintf(buf, sizeof buf, "%d items of %s at %.2f", count, name.c_str(), price);
        std::string text(buf, static_cast<size_t>(n));
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(formatSnprintf)->Name("format/snprintf");

} // namespace
