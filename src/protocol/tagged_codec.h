// The tagged value codec: the byte form of every game-server payload and every state file.
// dumps writes a value in its narrowest form; loads reads untrusted bytes back, refusing anything
// malformed with an error that names the fault and its offset. The byte layout is described in
// docs/wire-format.md.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan {

// The tag byte that opens each encoded value.
enum class CodecTag : uint8_t {
    Null = 0x00,
    Int8 = 0x01,
    Int16 = 0x02,
    Int32 = 0x03,
    Int64 = 0x04,
    Array = 0x05,
    Bytes = 0x06,
    Int8Array = 0x07,
    Int16Array = 0x08,
    Int32Array = 0x09,
    Int64Array = 0x0A,
    String = 0x0B,
    StringArray = 0x0C,
    Dictionary = 0x0D,
};

// Containers (arrays of any form and dictionaries) nest at most this many levels deep. dumps writes a
// container beyond it as null, so whatever dumps produces, loads accepts.
inline constexpr int kCodecMaxDepth = 64;

// One decode builds at most this many values, and at most this many bytes of them (each value counts
// its in-memory size plus its text or data): an int or string array costs one wire byte per element
// but a whole value each, so without the budget a 16 MiB frame would decode to hundreds of megabytes.
inline constexpr uint64_t kCodecMaxDecodedValues = uint64_t{1} << 20;
inline constexpr uint64_t kCodecMaxDecodedBytes = uint64_t{64} << 20;

// Encodes `value`. Kinds the wire lacks are converted: Bool to 0/1, Double and Decimal to the integer
// toward zero, Date to whole seconds since 2001, Object to null (losses are logged once per call).
fnd::Bytes dumps(const fnd::Value& value);

// Decodes exactly one value filling all of `bytes`. When the bytes are truncated, malformed, too deeply
// nested, over the decode budget or followed by anything, the error is a fnd::parseError (domain
// "fnd.parse", codes kParseTruncated, kParseMalformed, kParseTooDeep, kParseTooLarge or
// kParseTrailingBytes) whose description is "<reason> at offset <n>", n being the offset of the value,
// key or string at fault. Nothing is logged: callers that log name the codec and the description.
fnd::Result<fnd::Value> loads(std::span<const uint8_t> bytes);
inline fnd::Result<fnd::Value> loads(const fnd::Bytes& bytes) {
    return loads(std::span<const uint8_t>(bytes.data(), bytes.size()));
}
// Decodes a received frame that others may share. The same as loads(*frame), except that a byte string that
// makes up a large part of the frame becomes a slice of it (fnd::dataSlice) instead of a copy: the value
// keeps the frame alive. A null frame decodes as no bytes.
fnd::Result<fnd::Value> loads(const std::shared_ptr<const fnd::Bytes>& frame);

} // namespace zelvan
