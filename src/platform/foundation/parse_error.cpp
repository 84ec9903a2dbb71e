// Parse errors: the two description forms and the offset kept in the user info.
#include "platform/foundation/parse_error.h"

#include <string>

#include "platform/foundation/format.h"

namespace fnd {
namespace {

Error make(ParseErrorCode code, size_t offset, std::optional<size_t> line, std::string_view reason) {
    std::string description = line ? format("%@ at line %zu (offset %zu)", reason, *line, offset)
                                   : format("%@ at offset %zu", reason, offset);
    Error error(std::string(kParseErrorDomain), code, description, reason);
    auto info = error.userInfo().asDictionary();
    info->setObject(Value(static_cast<int64_t>(offset)), kParseOffsetKey);
    if (line) {
        info->setObject(Value(static_cast<int64_t>(*line)), kParseLineKey);
    }
    return error;
}

} // namespace

Error parseError(ParseErrorCode code, size_t offset, std::string_view reason) {
    return make(code, offset, std::nullopt, reason);
}

Error parseError(ParseErrorCode code, size_t offset, size_t line, std::string_view reason) {
    return make(code, offset, line, reason);
}

std::optional<size_t> parseErrorOffset(const Error& error) {
    if (error.domain() != kParseErrorDomain) {
        return std::nullopt;
    }
    const std::optional<int64_t> offset = error.userInfo().asDictionary()->objectForKey(kParseOffsetKey).asInt();
    if (!offset || *offset < 0) {
        return std::nullopt;
    }
    return static_cast<size_t>(*offset);
}

} // namespace fnd
