// The error a parser of outside bytes gives: one domain, a code for the kind of fault, and where in
// the input the fault lies, so that callers can log it, show it or go on without it as they choose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/foundation/error.h"

namespace fnd {

inline constexpr std::string_view kParseErrorDomain = "fnd.parse";
// User-info keys: the byte offset of the fault (an integer, on every error parseError makes) and, for text formats
// that count lines, its 1-based line (an integer).
inline constexpr std::string_view kParseOffsetKey = "ParseOffset";
inline constexpr std::string_view kParseLineKey = "ParseLine";

// Codes of kParseErrorDomain.
enum ParseErrorCode : int64_t {
    kParseTruncated = 1,     // the input ends inside something, or declares more than it holds
    kParseMalformed = 2,     // bytes or text that do not belong to the format
    kParseTooDeep = 3,       // nesting beyond the parser's limit
    kParseTooLarge = 4,      // an input beyond the parser's size limit
    kParseTrailingBytes = 5, // something after the one complete value
    kParseBadEncoding = 6,   // text that is not in the encoding the format requires
};

// An error whose failure reason is `reason` (what is wrong, without the place) and whose description
// is "<reason> at offset <offset>".
Error parseError(ParseErrorCode code, size_t offset, std::string_view reason);
// The same for text formats that count lines: "<reason> at line <line> (offset <offset>)".
Error parseError(ParseErrorCode code, size_t offset, size_t line, std::string_view reason);

// The offset of a parse error; nullopt for an error of another domain.
std::optional<size_t> parseErrorOffset(const Error& error);

} // namespace fnd
