// Message digests (MD5 and SHA-1) over byte buffers and strings, with hex renderings, computed by
// OpenSSL libcrypto. Safe from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"

namespace fnd {

std::array<uint8_t, 16> md5(const Bytes& bytes);
std::array<uint8_t, 16> md5(std::string_view text);
// Lower-case hex of the MD5 digest (32 characters).
std::string md5Hex(const Bytes& bytes);
std::string md5Hex(std::string_view text);

std::array<uint8_t, 20> sha1(const Bytes& bytes);
std::array<uint8_t, 20> sha1(std::string_view text);
// Upper-case hex of the SHA-1 digest (40 characters).
std::string sha1HexUpper(const Bytes& bytes);
std::string sha1HexUpper(std::string_view text);

} // namespace fnd
