// Fuzz target: the UTF-8, UTF-16 and UTF-32 decoders and the UTF-16 helpers agree with each other on
// arbitrary bytes, and no cut of any text yields ill-formed UTF-8.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/foundation/encodings.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/utf16.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

// The cuts are quadratic in the text, so only a bounded prefix is cut at every position.
constexpr size_t kMaxCutUnits = 300;

void checkUtf8(const fnd::Bytes& bytes) {
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto strict = fnd::decodeUtf8(bytes);
    const std::string lossy = fnd::decodeUtf8Lossy(bytes);
    check(fnd::isValidUtf8(lossy));
    check(strict.has_value() == fnd::isValidUtf8(raw));
    if (strict) {
        check(*strict == raw && lossy == raw);
    }

    const std::u16string units = fnd::toUtf16(raw);
    check(fnd::fromUtf16(units) == lossy);
    check(fnd::toUtf16(lossy) == units);
    check(fnd::utf16Length(raw) == units.size());

    const size_t limit = std::min(units.size(), kMaxCutUnits);
    for (size_t i = 0; i <= limit; ++i) {
        check(fnd::utf16CharAt(raw, i) == (i < units.size() ? units[i] : 0));
        const std::string head = fnd::utf16Substring(raw, fnd::Range{0, i});
        const std::string tail = fnd::utf16SubstringFrom(raw, i);
        check(fnd::isValidUtf8(head) && fnd::isValidUtf8(tail));
        check(fnd::utf16Length(head) == i && fnd::utf16Length(tail) == units.size() - i);
        const std::string safe = fnd::utf16SubstringSafe(raw, fnd::Range{i, 7});
        check(fnd::isValidUtf8(safe) && fnd::utf16Length(safe) <= 7);
    }

    // Searching for a piece of the text finds it at or before where it was taken from.
    if (!units.empty()) {
        const size_t from = units.size() / 2;
        const std::string needle = fnd::utf16SubstringSafe(raw, fnd::Range{from, 3});
        const fnd::Range found = fnd::rangeOfString(raw, needle);
        check(needle.empty() ? !found.found() : (found.found() && found.end() <= units.size()));
        const fnd::Range folded = fnd::rangeOfString(raw, needle, fnd::Options::CaseInsensitive);
        check(needle.empty() || (folded.found() && folded.location <= found.location));
        (void)fnd::caseInsensitiveCompare(raw, needle);
        check(fnd::isValidUtf8(fnd::lowercase(raw)) && fnd::isValidUtf8(fnd::uppercase(raw)));
    }
}

void checkWide(const fnd::Bytes& bytes) {
    for (auto order : {fnd::ByteOrder::LittleEndian, fnd::ByteOrder::BigEndian}) {
        const auto strict16 = fnd::decodeUtf16(bytes, order);
        const std::string lossy16 = fnd::decodeUtf16Lossy(bytes, order);
        check(fnd::isValidUtf8(lossy16));
        if (strict16) {
            check(*strict16 == lossy16 && fnd::encodeUtf16(*strict16, order) == bytes);
        }
        check(fnd::decodeUtf16(fnd::encodeUtf16(lossy16, order), order) == lossy16);

        const auto strict32 = fnd::decodeUtf32(bytes, order);
        const std::string lossy32 = fnd::decodeUtf32Lossy(bytes, order);
        check(fnd::isValidUtf8(lossy32));
        if (strict32) {
            check(*strict32 == lossy32 && fnd::encodeUtf32(*strict32, order) == bytes);
        }
        check(fnd::decodeUtf32(fnd::encodeUtf32(lossy32, order), order) == lossy32);
    }
    check(fnd::encodeLatin1(fnd::decodeLatin1(bytes)) == bytes);
    const auto ascii = fnd::decodeAscii(bytes);
    check(!ascii || (fnd::isValidUtf8(*ascii) && ascii->size() == bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fnd::Bytes bytes(data, data + size);
    checkUtf8(bytes);
    checkWide(bytes);
    return 0;
}
