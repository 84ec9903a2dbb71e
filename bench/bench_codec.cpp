// Tagged value codec benchmarks: encoding and decoding realistic game-server packets with our codec and with
// msgpack-c. Encoding starts from the same fnd values on both sides. Decoding has two peers: msgpack-c alone
// (`<case>/msgpack`), which ends in its own object tree (one arena, strings left inside the input), and
// msgpack-c followed by the conversion of that tree to fnd values (`<case>/msgpack_values`), which ends in
// the same values our decoder builds.
#include <benchmark/benchmark.h>
#include <msgpack.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/value.h"
#include "protocol/tagged_codec.h"

namespace {

using fnd::Value;

Value loginReply() {
    return Value::array({0, "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b", 1001, 70000, 1, 0, 3600,
                         Value::array({"Zelvan", "MSN", "Yahoo", "ICQ", "AIM", "Jabber", "Gadu"}), "Ann Example"});
}

Value contactRecords(int count) {
    auto records = fnd::Array::make();
    for (int i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        records->addObject(Value::dictionary({{1, "Contact " + n},
                                              {2, "Family " + n},
                                              {3, "+44 20 7946 " + n},
                                              {4, "+44 7700 900" + n},
                                              {5, 100000 + i},
                                              {6, i % 3},
                                              {7, "contact" + n + "@example.com"},
                                              {8, 1700000000 + i * 60}}));
    }
    return Value::array({18, Value(records)});
}

Value contactList() {
    return contactRecords(500);
}

Value chatLine() {
    return Value::array({3, 1001,
                         "Caf\xc3\xa9 at five? \xe6\x98\x8e\xe5\xa4\xa9\xe8\xa7\x81 \xf0\x9f\x98\x80 "
                         "bring the r\xc3\xa9sum\xc3\xa9 please"});
}

Value blob() {
    fnd::Bytes bytes(64 * 1024);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 31 + 7);
    }
    return Value::array({76, 12, Value(std::move(bytes))});
}

// msgpack-c from the same fnd values: integers in their narrowest form, strings as UTF-8, data as bin.
void pack(msgpack_packer* pk, const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Int:
        msgpack_pack_int64(pk, *v.asInt());
        break;
    case Value::Kind::String: {
        const std::string& s = *v.asString();
        msgpack_pack_str_with_body(pk, s.data(), s.size());
        break;
    }
    case Value::Kind::Data: {
        const fnd::Bytes& d = *v.asData();
        msgpack_pack_bin_with_body(pk, d.data(), d.size());
        break;
    }
    case Value::Kind::Array: {
        const auto& items = v.asArray()->items();
        msgpack_pack_array(pk, items.size());
        for (const Value& item : items) {
            pack(pk, item);
        }
        break;
    }
    case Value::Kind::Dictionary: {
        auto dict = v.asDictionary();
        msgpack_pack_map(pk, dict->count());
        for (const auto& [key, item] : *dict) {
            if (key.isInt()) {
                msgpack_pack_int64(pk, key.intKey());
            } else {
                msgpack_pack_str_with_body(pk, key.stringKey().data(), key.stringKey().size());
            }
            pack(pk, item);
        }
        break;
    }
    default:
        msgpack_pack_nil(pk);
        break;
    }
}

void encodeOurs(benchmark::State& state, Value (*make)()) {
    Value value = make();
    size_t bytes = 0;
    for (auto _ : state) {
        fnd::Bytes out = zelvan::dumps(value);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void encodeMsgpack(benchmark::State& state, Value (*make)()) {
    Value value = make();
    size_t bytes = 0;
    for (auto _ : state) {
        msgpack_sbuffer sbuf;
        msgpack_sbuffer_init(&sbuf);
        msgpack_packer pk;
        msgpack_packer_init(&pk, &sbuf, msgpack_sbuffer_write);
        pack(&pk, value);
        bytes = sbuf.size;
        benchmark::DoNotOptimize(sbuf.data);
        msgpack_sbuffer_destroy(&sbuf);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

// Decodes from a shared frame buffer, as the connection hands received frames to the codec.
void decodeFrames(benchmark::State& state, const std::shared_ptr<const fnd::Bytes>& encoded) {
    for (auto _ : state) {
        auto value = zelvan::loads(encoded);
        if (!value) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(value);
    }
}

void decodeOurs(benchmark::State& state, Value (*make)()) {
    // The encoded value is gone before the loop, as on the msgpack-c side.
    const auto encoded = std::make_shared<const fnd::Bytes>(zelvan::dumps(make()));
    decodeFrames(state, encoded);
}

// msgpack-c's object tree as fnd values, built the way our decoder builds them: containers sized from their
// counts, dictionaries from their entries in one go (fnd::Dictionary applies the repeated-key rule), text copied
// as UTF-8.
Value toValue(const msgpack_object& o) {
    switch (o.type) {
    case MSGPACK_OBJECT_POSITIVE_INTEGER:
        return Value(static_cast<int64_t>(o.via.u64));
    case MSGPACK_OBJECT_NEGATIVE_INTEGER:
        return Value(o.via.i64);
    case MSGPACK_OBJECT_STR:
        return Value(std::string(o.via.str.ptr, o.via.str.size));
    case MSGPACK_OBJECT_BIN: {
        const auto* first = reinterpret_cast<const uint8_t*>(o.via.bin.ptr);
        return Value(fnd::Bytes(first, first + o.via.bin.size));
    }
    case MSGPACK_OBJECT_ARRAY: {
        std::vector<Value> items;
        items.reserve(o.via.array.size);
        for (uint32_t i = 0; i < o.via.array.size; ++i) {
            items.push_back(toValue(o.via.array.ptr[i]));
        }
        return Value(std::make_shared<fnd::Array>(std::move(items)));
    }
    case MSGPACK_OBJECT_MAP: {
        std::vector<fnd::Dictionary::Entry> entries;
        entries.reserve(o.via.map.size);
        for (uint32_t i = 0; i < o.via.map.size; ++i) {
            const msgpack_object& key = o.via.map.ptr[i].key;
            if (key.type == MSGPACK_OBJECT_STR) {
                entries.emplace_back(fnd::Key(std::string(key.via.str.ptr, key.via.str.size)),
                                     toValue(o.via.map.ptr[i].val));
            } else {
                entries.emplace_back(fnd::Key(key.via.i64), toValue(o.via.map.ptr[i].val));
            }
        }
        return Value(std::make_shared<fnd::Dictionary>(std::move(entries)));
    }
    default:
        return Value();
    }
}

void decodeMsgpack(benchmark::State& state, Value (*make)(), bool toValues) {
    msgpack_sbuffer sbuf;
    msgpack_sbuffer_init(&sbuf);
    msgpack_packer pk;
    msgpack_packer_init(&pk, &sbuf, msgpack_sbuffer_write);
    pack(&pk, make());
    msgpack_unpacked result;
    msgpack_unpacked_init(&result);
    for (auto _ : state) {
        size_t offset = 0;
        if (msgpack_unpack_next(&result, sbuf.data, sbuf.size, &offset) != MSGPACK_UNPACK_SUCCESS) {
            state.SkipWithError("decode failed");
            break;
        }
        if (toValues) {
            Value value = toValue(result.data);
            benchmark::DoNotOptimize(value);
        } else {
            benchmark::DoNotOptimize(result.data);
        }
    }
    msgpack_unpacked_destroy(&result);
    msgpack_sbuffer_destroy(&sbuf);
}

#define CODEC_BENCHMARKS(shape, make)                                                                                  \
    BENCHMARK_CAPTURE(encodeOurs, shape, make)->Name(#shape "_encode/ours");                                           \
    BENCHMARK_CAPTURE(encodeMsgpack, shape, make)->Name(#shape "_encode/msgpack");                                     \
    BENCHMARK_CAPTURE(decodeOurs, shape, make)->Name(#shape "_decode/ours");                                           \
    BENCHMARK_CAPTURE(decodeMsgpack, shape, make, false)->Name(#shape "_decode/msgpack");                              \
    BENCHMARK_CAPTURE(decodeMsgpack, shape, make, true)->Name(#shape "_decode/msgpack_values")

CODEC_BENCHMARKS(login, loginReply);
CODEC_BENCHMARKS(contacts, contactList);
CODEC_BENCHMARKS(chat, chatLine);
CODEC_BENCHMARKS(blob64k, blob);

// Decode time per input byte of contact lists from 64 KiB to the decode budget (about 12 MiB of them), to
// show that it stays linear up to the largest payload the reader accepts.
void decodeScaling(benchmark::State& state) {
    auto encoded = std::make_shared<const fnd::Bytes>(zelvan::dumps(contactRecords(static_cast<int>(state.range(0)))));
    decodeFrames(state, encoded);
    state.counters["bytes"] = static_cast<double>(encoded->size());
    state.counters["per_byte"] =
        benchmark::Counter(static_cast<double>(encoded->size()),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(decodeScaling)
    ->Name("contacts_scaling_decode/ours")
    ->Arg(320)
    ->Arg(1280)
    ->Arg(5120)
    ->Arg(20480)
    ->Arg(60000)
    ->Unit(benchmark::kMicrosecond);

} // namespace
