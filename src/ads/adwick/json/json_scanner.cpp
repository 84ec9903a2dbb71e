// The JSON scanner front: sniffs the reply's encoding, then forwards each scan to the shared engine.
#include "ads/adwick/json/json_scanner.h"

namespace zelvan::adwick {

std::shared_ptr<JSONScanner> JSONScanner::scannerWithData(const fnd::Bytes& data) {
    return std::make_shared<JSONScanner>(data);
}

JSONScanner::JSONScanner(const fnd::Bytes& data) {
    JSONScanner::setData(data);
}

void JSONScanner::setData(const fnd::Bytes& data) {
    setDataAndText(data, jsonscan::sniffToUtf8(data));
}

fnd::Result<fnd::Value> JSONScanner::scanJSONObject() {
    return scanValueWith(&jsonscan::Scanner::scanValue);
}

fnd::Result<fnd::Value> JSONScanner::scanJSONDictionary() {
    return scanValueWith(&jsonscan::Scanner::scanDictionary);
}

fnd::Result<fnd::Value> JSONScanner::scanJSONArray() {
    return scanValueWith(&jsonscan::Scanner::scanArray);
}

fnd::Result<fnd::Value> JSONScanner::scanJSONStringConstant() {
    return scanValueWith(&jsonscan::Scanner::scanString);
}

fnd::Result<fnd::Value> JSONScanner::scanJSONNumberConstant() {
    return scanValueWith(&jsonscan::Scanner::scanNumberValue);
}

} // namespace zelvan::adwick
