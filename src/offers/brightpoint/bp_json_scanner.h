// BPJSONScanner: the offer wall's lenient JSON grammar over reply bytes (UTF-16 and UTF-32 replies are
// converted to UTF-8 first). A byte that begins no value, or a misspelled true, false or null, is a
// success with no value that consumes nothing; an object drops the key of such a value and an array
// fails with -8. A failed scan puts the position back where the value began and, when asked, reports a
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

    // Any value; `out` gets nullopt for no value. Returns whether the scan succeeded.
    bool scanJSONObject(std::optional<fnd::Value>* out, std::optional<fnd::Error>* error = nullptr);
    // Each returns whether a value was scanned into `out`; on failure `error`, when given, gets why.
    bool scanJSONDictionary(fnd::Value* out, std::optional<fnd::Error>* error = nullptr);
    bool scanJSONArray(fnd::Value* out, std::optional<fnd::Error>* error = nullptr);
    bool scanJSONStringConstant(fnd::Value* out, std::optional<fnd::Error>* error = nullptr);
    bool scanJSONNumberConstant(fnd::Value* out, std::optional<fnd::Error>* error = nullptr);
    // The run of bytes other than a double quote and a backslash, decoded as UTF-8 (at least one byte).
    bool scanNotQuoteCharactersIntoString(std::string* into);

private:
    bool report(bool ok, std::optional<fnd::Error>* error) const;
};

} // namespace zelvan::brightpoint
