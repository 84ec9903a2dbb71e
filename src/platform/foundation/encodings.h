// Text encodings to and from byte buffers: strict and lossy UTF-8, ASCII, Latin-1, UTF-16 and
// UTF-32 in either byte order. Our own code over plain loops, so behaviour on bad input is exact:
// strict decoders return nullopt, lossy ones put one U+FFFD per ill-formed piece.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"

namespace fnd {

enum class ByteOrder { LittleEndian, BigEndian };

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates, values above U+10FFFF or
// truncated sequences).
bool isValidUtf8(std::string_view bytes);

// The bytes as UTF-8 text, or nullopt when they are not well-formed UTF-8.
std::optional<std::string> decodeUtf8(std::span<const uint8_t> bytes);
// The bytes as UTF-8 text with one U+FFFD per maximal ill-formed subpart.
std::string decodeUtf8Lossy(std::span<const uint8_t> bytes);

// The bytes as text when every byte is 7-bit ASCII, else nullopt (read Latin-1 to be lenient).
std::optional<std::string> decodeAscii(std::span<const uint8_t> bytes);

// Latin-1 (ISO 8859-1): each byte is the code point of the same value, so decoding never fails.
std::string decodeLatin1(std::span<const uint8_t> bytes);
// nullopt when the text holds a code point above U+00FF or is not well-formed UTF-8.
std::optional<Bytes> encodeLatin1(std::string_view text);

// UTF-16 without a byte-order mark (a leading U+FEFF stays a character). Strict decoding fails on
// an odd length or an unpaired surrogate; lossy decoding turns each into U+FFFD.
std::optional<std::string> decodeUtf16(std::span<const uint8_t> bytes, ByteOrder order);
std::string decodeUtf16Lossy(std::span<const uint8_t> bytes, ByteOrder order);
// Ill-formed UTF-8 in the text is encoded as U+FFFD.
Bytes encodeUtf16(std::string_view text, ByteOrder order);

// UTF-32 without a byte-order mark. Strict decoding fails on a length that is not a multiple of 4,
// a surrogate or a value above U+10FFFF; lossy decoding turns each unit (or trailing piece) into
// U+FFFD.
std::optional<std::string> decodeUtf32(std::span<const uint8_t> bytes, ByteOrder order);
std::string decodeUtf32Lossy(std::span<const uint8_t> bytes, ByteOrder order);
Bytes encodeUtf32(std::string_view text, ByteOrder order);

} // namespace fnd
