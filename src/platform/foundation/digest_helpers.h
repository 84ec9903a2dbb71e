// The product's digest helpers: MD5 as lower-case hex (in a data buffer or a string) and the big-endian
// CRC-32 of a byte range. They sit in the foundation, in namespace zelvan under the names their callers
// use, so the game engine and its file formats reach them without the application core.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"

namespace zelvan {

// The 32 lower-case hex digits of the MD5 of the text's UTF-8 bytes up to its first zero byte,
// as the bytes of those digits.
fnd::Bytes md5(std::string_view text);

// The same 32 digits as a string.
std::string newMD5String(std::string_view text);

// The CRC-32 of zlib, gzip and PNG over `length` bytes at `bytes`, most significant byte first.
// Returned by value, so callers on any thread get their own copy. A null pointer reads as empty.
std::array<uint8_t, 4> crc32(const uint8_t* bytes, size_t length);

} // namespace zelvan
