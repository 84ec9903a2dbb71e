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
    DataScanner::setData(data);
    scanner_.setText(jsonscan::sniffToUtf8(data));
}

bool JSONScanner::report(bool ok, std::optional<fnd::Error>* error) const {
    if (!ok && error != nullptr) {
        *error = scanner_.error();
    }
    return ok;
}

bool JSONScanner::scanJSONObject(fnd::Value* out, std::optional<fnd::Error>* error) {
    return report(scanner_.scanValue(out), error);
}

bool JSONScanner::scanJSONDictionary(fnd::Value* out, std::optional<fnd::Error>* error) {
    return report(scanner_.scanDictionary(out), error);
}

bool JSONScanner::scanJSONArray(fnd::Value* out, std::optional<fnd::Error>* error) {
    return report(scanner_.scanArray(out), error);
}

bool JSONScanner::scanJSONStringConstant(fnd::Value* out, std::optional<fnd::Error>* error) {
    return report(scanner_.scanString(out), error);
}

bool JSONScanner::scanJSONNumberConstant(fnd::Value* out, std::optional<fnd::Error>* error) {
    return report(scanner_.scanNumberValue(out), error);
}

} // namespace zelvan::adwick
