// JsonTextParser: the interstitial client's JSON reader, a recursive-descent parser over UTF-8 text that
// yields fnd::Values (numbers kept as their literal decimal text) or a parse error carrying the reader's
// own error text and the offset where scanning stopped. It logs nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::marlin {

class JsonTextParser {
public:
    // Containers nested deeper than this fail with "EDEPTH: Nested too deep"; it is also the highest
    // limit setMaxDepth accepts, so no text can run the scan out of stack.
    static constexpr unsigned kDefaultMaxDepth = 512;

    // Parses `text` up to its end or its first NUL byte. Without `allowScalar` the top-level value must
    // be a dictionary or an array.
    fnd::Result<fnd::Value> objectWithString(std::string_view text, bool allowScalar);

    unsigned maxDepth() const { return maxDepth_; }
    // 0 restores the default; values above kDefaultMaxDepth are lowered to it.
    void setMaxDepth(unsigned depth);

private:
    bool scanValue(fnd::Value* out);
    bool scanRestOfLiteral(std::string_view rest, const char* message, fnd::Value value, fnd::Value* out);
    bool scanRestOfString(std::string* out);
    bool scanUnicodeChar(std::string* out);
    bool scanHexQuad(unsigned* out);
    bool scanNumber(fnd::Value* out);
    bool scanRestOfDictionary(fnd::Value* out);
    bool scanRestOfArray(fnd::Value* out);
    bool scanIsAtEnd();
    bool enterContainer();
    void skipWhitespace();
    bool atEnd() const { return c_ >= end_; }
    bool fail(int64_t code, size_t offset, std::string reason);

    const char* begin_ = nullptr;
    const char* c_ = nullptr;
    const char* end_ = nullptr;
    unsigned depth_ = 0;
    unsigned maxDepth_ = kDefaultMaxDepth;
    bool failed_ = false;
    int64_t errorCode_ = 0;
    size_t errorOffset_ = 0;
    std::string errorReason_;
};

} // namespace zelvan::marlin
