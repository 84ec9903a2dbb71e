// The interstitial client's JSON reader against RapidJSON: both build the same fnd::Value (RapidJSON
// through its SAX reader, numbers kept as their literal text as ours keeps them) from an install reply
// carrying a 20 KiB script, a nested 1 MiB document and an array of 100,000 numbers.
#include <benchmark/benchmark.h>

#include <rapidjson/reader.h>

#include <string>
#include <vector>

#include "ads/marlin/json_text_parser.h"
#include "core/data_helpers.h"
#include "rapidjson_values.h"

namespace {

std::string installReply() {
    std::string script;
    while (script.size() < 20 * 1024) {
        script += "function clientStep" + std::to_string(script.size()) +
                  "(a, b) { BridgeLib.log(\"step \" + a); return a + b; }\n";
    }
    fnd::Bytes bytes(script.begin(), script.end());
    return R"({"status":"AllOkay","content":{"clientResponse":{"clientVersion":"1.02.003","source":")" +
           zelvan::base64Encode(bytes) + R"("}},"serverTime":1262304000123})";
}

std::string nested1mb() {
    std::string text = "[";
    int i = 0;
    while (text.size() < 1024 * 1024) {
        text += (i ? "," : "") + std::string(R"({"id":)") + std::to_string(i) +
                R"(,"name":"item \"quoted\" \/ name","tags":["a","b",{"deep":[1.5,-2e3,true,null]}],"score":)" +
                std::to_string(i * 0.37) + "}";
        ++i;
    }
    return text + "]";
}

std::string numbers() {
    std::string text = "[";
    for (int i = 0; i < 100000; ++i) {
        text += (i ? "," : "") + std::to_string(i * 7 - 350000) + (i % 3 == 0 ? ".25" : "") + (i % 7 == 0 ? "e-3" : "");
    }
    return text + "]";
}

void ours(benchmark::State& state, const std::string& doc) {
    zelvan::marlin::JsonTextParser parser;
    for (auto _ : state) {
        auto value = parser.objectWithString(doc, false);
        if (!value) {
            state.SkipWithError("refused");
            return;
        }
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void peer(benchmark::State& state, const std::string& doc) {
    for (auto _ : state) {
        bench::RapidJsonValueHandler handler;
        rapidjson::Reader reader;
        rapidjson::StringStream stream(doc.c_str());
        if (!reader.Parse<rapidjson::kParseNumbersAsStringsFlag>(stream, handler)) {
            state.SkipWithError("refused");
            return;
        }
        benchmark::DoNotOptimize(handler.root);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void registerDoc(const char* name, std::string doc) {
    benchmark::RegisterBenchmark((std::string(name) + "/ours").c_str(), ours, doc);
    benchmark::RegisterBenchmark((std::string(name) + "/rapidjson").c_str(), peer, doc);
}

const bool registered = [] {
    registerDoc("install_reply", installReply());
    registerDoc("nested_1mb", nested1mb());
    registerDoc("numbers_100k", numbers());
    return true;
}();

} // namespace
