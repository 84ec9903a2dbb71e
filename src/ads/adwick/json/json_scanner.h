// JSONScanner: the banner client's JSON scanner over reply bytes (UTF-16 and UTF-32 replies are
// converted first). A failed scan puts the position back where the value began and, when asked,
// reports a "JSONScannerErrorDomain" failure as an fnd::parseError.
#pragma once

#include "ads/adwick/json/data_scanner.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::adwick {

class JSONScanner : public DataScanner {
public:
    static std::shared_ptr<JSONScanner> scannerWithData(const fnd::Bytes& data);

    explicit JSONScanner(const fnd::Bytes& data = {});
    void setData(const fnd::Bytes& data) override;

    // Each returns whether a value was scanned into `out`; on failure `error`, when given, gets why.
    bool scanJSONObject(fnd::Value* out, std::optional<fnd::Error>* error = nullptr);
    bool scanJSONDictionary(fnd::Value* out, std::optional<fnd::Error>* error = nullptr);
    bool scanJSONArray(fnd::Value* out, std::optional<fnd::Error>* error = nullptr);
    bool scanJSONStringConstant(fnd::Value* out, std::optional<fnd::Error>* error = nullptr);
    bool scanJSONNumberConstant(fnd::Value* out, std::optional<fnd::Error>* error = nullptr);

private:
    bool report(bool ok, std::optional<fnd::Error>* error) const;
};

} // namespace zelvan::adwick
