// Helpers over byte buffers: zlib and gzip compression with a cap on inflated size (compressed
// packets arrive as zlib streams inside command 1000), and Base64 text (RFC 4648) with a strict reader
// and a lenient one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"

namespace zelvan {

// Inflates one zlib (RFC 1950) stream; a parse error (fnd::inflate's, nothing logged) when the input
// is corrupt, truncated, followed by stray bytes or would inflate to more than `maxOut` bytes.
fnd::Result<fnd::Bytes> zlibInflate(const fnd::Bytes& compressed, size_t maxOut);
// Compresses into one zlib stream at zlib's default level.
fnd::Bytes zlibDeflate(const fnd::Bytes& data);

// The same for one gzip (RFC 1952) member; inflation checks the member's CRC-32 and length.
fnd::Result<fnd::Bytes> gzipInflate(const fnd::Bytes& compressed, size_t maxOut);
fnd::Bytes gzipDeflate(const fnd::Bytes& data);

// Base64 text of the bytes in the standard alphabet, padded with '=', on one line.
std::string base64Encode(const fnd::Bytes& data);
// The bytes of canonical padded Base64 text in the standard alphabet. Anything else (whitespace or
// line breaks, a length that is not a multiple of 4, misplaced or missing padding, non-zero bits
// in the unused part of the last group) gives a parse error, logging nothing, whose offset is the
// first character at fault (for a length that is not a multiple of 4, the start of the last group).
fnd::Result<fnd::Bytes> base64Decode(std::string_view text);
// The bytes of loosely written Base64 text, as the offer network sends it (pictures, icons, ad images):
// every character outside the standard alphabet other than '=' (blanks, line breaks, anything) is
// skipped; values are taken four at a time, each full group giving three bytes; the first '=' ends
// the text, giving one byte for one or two values pending in its group and two bytes for three; at
// the end of the text without '=' a partial group is dropped. Never fails (nothing gives no bytes).
fnd::Bytes base64DecodeLenient(std::string_view text);

} // namespace zelvan
