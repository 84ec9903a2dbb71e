// Shared by the game cache and game download fuzz targets: a reader that turns the fuzzer's bytes
// into numbers, texts and packet elements, and the check that a folder holds only the files allowed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "byte_reader_fuzz_support.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"

namespace fuzzsupport {

class GameReader : public ByteReader {
public:
    using ByteReader::ByteReader;
    // Mostly small numbers, now and then any 64-bit value.
    int64_t number() { return ByteReader::number(40, 4); }
    fnd::Bytes bytes() { return ByteReader::bytes(8); }
    // A resource name: one of a few hostile or ordinary names, or raw bytes.
    std::string name() {
        static const char* const kNames[] = {"a",    "face/1.png", "../x", ".",  "..",        "a/../../b",
                                             "/abs", "b/./c",      "face", "k/", "x/../face", "res.txt"};
        const uint8_t pick = byte();
        if (pick < 200) {
            return kNames[pick % (sizeof(kNames) / sizeof(kNames[0]))];
        }
        const fnd::Bytes raw = bytes();
        return std::string(raw.begin(), raw.end());
    }
    // Any kind of packet element.
    fnd::Value element() {
        switch (byte() % 7) {
        case 0:
            return fnd::Value();
        case 1:
            return fnd::Value(bytes());
        case 2:
            return fnd::Value(name());
        case 3:
            return fnd::Value(1.5);
        case 4:
            return fnd::Value::array({fnd::Value(name()), fnd::Value(number()), fnd::Value(number())});
        default:
            return fnd::Value(number());
        }
    }
};

// Aborts unless every file under `root` is accepted by `allowed` (given the path).
inline void requireOnlyAllowedFiles(const std::filesystem::path& root,
                                    const std::function<bool(const std::filesystem::path&)>& allowed) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_directory() && !allowed(entry.path())) {
            std::abort();
        }
    }
}

// A cache file name: 32 lower-case hex digits.
inline bool isDigestName(const std::string& name) {
    return name.size() == 32 && std::all_of(name.begin(), name.end(),
                                            [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

} // namespace fuzzsupport
