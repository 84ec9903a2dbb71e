// The Kavlo JSON writer against RapidJSON's Writer on the same fnd::Value trees, compact output: an event
// record, an environment record and an object of 50 stored messages.
#include <benchmark/benchmark.h>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <string>

#include "analytics/kavlo/kavlo_json.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "rapidjson_values.h"

namespace {

using fnd::Value;

Value session() {
    return Value::dictionary({{"b", "9C1A6F0E55B3D2A8C4E7F19B20D6A3E85F4C7B12"},
                              {"c", "1765195200123.000000"},
                              {"bl", "0.750000"},
                              {"bs", "u"},
                              {"d", "null"},
                              {"e", "null"},
                              {"g", "WiFi"}});
}

Value eventRecord() {
    return Value::dictionary({{"q", Value::dictionary({{"t", "32"},
                                                       {"r", "KAVLO_APPLICATION_PROCESS"},
                                                       {"8", "KAVLO_APPLICATION_EVENT"},
                                                       {"s", "Level \"7\" reached\tafter 3 tries / 41 s"},
                                                       {"u", "7f3a2c00"},
                                                       {"w", "0"},
                                                       {"a", session()}})}});
}

Value environmentRecord() {
    return Value::dictionary({{"h", Value::dictionary({{"a", session()},
                                                       {"i", "3.1.0"},
                                                       {"j", "zelvan-app-0001"},
                                                       {"7", "2.4.1"},
                                                       {"p", "5D0F2B9C-3E41-4A77-9C1D-6B2E8F0A4C33"},
                                                       {"o", "Phone 12.4"},
                                                       {"aa", "en"},
                                                       {"ab", "en_US"}})}});
}

Value fiftyMessages() {
    auto all = Value::dictionary();
    all.asDictionary()->setObject(environmentRecord(), "o1");
    for (int i = 2; i <= 50; ++i) {
        all.asDictionary()->setObject(eventRecord(), "o" + std::to_string(i));
    }
    return all;
}

void registerCase(const char* name, Value (*make)()) {
    benchmark::RegisterBenchmark((std::string(name) + "/ours").c_str(), [make](benchmark::State& state) {
        const Value value = make();
        zelvan::kavlo::KavloJSON writer;
        for (auto _ : state) {
            auto text = writer.stringWithObject(value);
            benchmark::DoNotOptimize(text);
        }
    });
    benchmark::RegisterBenchmark((std::string(name) + "/rapidjson").c_str(), [make](benchmark::State& state) {
        const Value value = make();
        for (auto _ : state) {
            rapidjson::StringBuffer buffer;
            rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
            bench::writeRapidJson(writer, value);
            std::string text(buffer.GetString(), buffer.GetSize());
            benchmark::DoNotOptimize(text);
        }
    });
}

const bool registered = [] {
    registerCase("event_record", eventRecord);
    registerCase("environment_record", environmentRecord);
    registerCase("fifty_messages", fiftyMessages);
    return true;
}();

} // namespace
