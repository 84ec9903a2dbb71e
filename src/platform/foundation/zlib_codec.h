// zlib streams in zlib or gzip framing: bounded inflation of untrusted compressed data, deflation,
// and the CRC-32 used by zlib, gzip and PNG. Safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"

namespace fnd {

// The wrapper around the deflate data: zlib (RFC 1950) or a single gzip member (RFC 1952, whose
// trailer CRC and length are checked on inflation).
enum class ZlibFraming { Zlib, Gzip };

// Domain of the errors that are not a property of the input (zlib could not start or ran out of
// memory); the code is zlib's return code.
inline constexpr std::string_view kZlibErrorDomain = "fnd.zlib";

// Inflates one complete stream of the given framing, logging nothing. A stream that is corrupt
// (kParseMalformed), truncated (kParseTruncated), followed by stray bytes (kParseTrailingBytes) or
// that would inflate to more than `maxOut` bytes (kParseTooLarge) gives a parse error whose offset
// is how far into `compressed` zlib had read. Never holds more than `maxOut` bytes of output.
Result<Bytes> inflate(const Bytes& compressed, size_t maxOut, ZlibFraming framing = ZlibFraming::Zlib);

// Compresses into one stream of the given framing; `level` is 0 (store) to 9 (best), or -1 for
// zlib's default.
Bytes deflate(const Bytes& data, int level = -1, ZlibFraming framing = ZlibFraming::Zlib);

// CRC-32 (ISO 3309 polynomial, as in zlib, gzip and PNG chunks).
uint32_t crc32(const Bytes& data);
uint32_t crc32(const uint8_t* data, size_t size);

} // namespace fnd
