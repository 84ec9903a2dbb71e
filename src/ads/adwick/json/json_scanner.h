// JSONScanner: the banner client's JSON scanner over reply bytes (UTF-16 and UTF-32 replies are
// converted first). A failed scan puts the position back where the value began and fails with a
// "JSONScannerErrorDomain" fnd::parseError.
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

    // Each gives the value scanned, or why there is none.
    fnd::Result<fnd::Value> scanJSONObject();
    fnd::Result<fnd::Value> scanJSONDictionary();
    fnd::Result<fnd::Value> scanJSONArray();
    fnd::Result<fnd::Value> scanJSONStringConstant();
    fnd::Result<fnd::Value> scanJSONNumberConstant();
};

} // namespace zelvan::adwick
