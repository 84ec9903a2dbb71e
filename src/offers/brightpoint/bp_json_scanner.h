// BPJSONScanner: the offer wall's lenient JSON grammar over reply bytes (UTF-16 and UTF-32 replies are
// converted to UTF-8 first). A byte that begins no value, or a misspelled true, false or null, is a
// success with no value that consumes nothing; an object drops the key of such a value and an array
// fails with -8. A failed scan puts the position back where the value began and gives a
// "JSONScannerErrorDomain" failure as an fnd::parseError, the outermost container's code winning.
// An unterminated string fails with -11; containers nest at most jsonscan::kMaxDepth deep.
#pragma once

#include <optional>

#include "offers/brightpoint/bp_data_scanner.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::brightpoint {

class BPJSONScanner : public BPDataScanner {
public:
    static std::shared_ptr<BPJSONScanner> scannerWithData(const fnd::Bytes& data);

    explicit BPJSONScanner(const fnd::Bytes& data = {});
    void setData(const fnd::Bytes& data) override;

    // Any value, or nullopt for no value.
    fnd::Result<std::optional<fnd::Value>> scanJSONObject();
    // Each gives the value scanned, or why none was.
    fnd::Result<fnd::Value> scanJSONDictionary();
    fnd::Result<fnd::Value> scanJSONArray();
    fnd::Result<fnd::Value> scanJSONStringConstant();
    fnd::Result<fnd::Value> scanJSONNumberConstant();
    // The run of bytes other than a double quote and a backslash, decoded as UTF-8 (at least one byte).
    bool scanNotQuoteCharactersIntoString(std::string* into);
};

} // namespace zelvan::brightpoint
