// zlib streams in zlib or gzip framing: bounded inflation of untrusted compressed data, deflation,
// and the CRC-32 used by zlib, gzip and PNG. Safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/foundation/bytes.h"

namespace fnd {

// The wrapper around the deflate data: zlib (RFC 1950) or a single gzip member (RFC 1952, whose
// trailer CRC and length are checked on inflation).
enum class ZlibFraming { Zlib, Gzip };

// Inflates one complete stream of the given framing. Returns nullopt, and logs why, when the
// stream is corrupt, truncated, followed by stray bytes, or would inflate to more than `maxOut`
// bytes. Never holds more than `maxOut` bytes of output at any time.
std::optional<Bytes> inflate(const Bytes& compressed, size_t maxOut, ZlibFraming framing = ZlibFraming::Zlib);

// Compresses into one stream of the given framing; `level` is 0 (store) to 9 (best), or -1 for
// zlib's default.
Bytes deflate(const Bytes& data, int level = -1, ZlibFraming framing = ZlibFraming::Zlib);

// CRC-32 (ISO 3309 polynomial, as in zlib, gzip and PNG chunks).
uint32_t crc32(const Bytes& data);
uint32_t crc32(const uint8_t* data, size_t size);

} // namespace fnd
