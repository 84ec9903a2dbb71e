// The JSON scanner front: sniffs the reply's encoding, then forwards each scan to the shared engine in
// its lenient setting.
#include "offers/brightpoint/bp_json_scanner.h"

namespace zelvan::brightpoint {

std::shared_ptr<BPJSONScanner> BPJSONScanner::scannerWithData(const fnd::Bytes& data) {
    return std::make_shared<BPJSONScanner>(data);
}

BPJSONScanner::BPJSONScanner(const fnd::Bytes& data) {
    scanner_.setLenient(true);
    BPJSONScanner::setData(data);
}

void BPJSONScanner::setData(const fnd::Bytes& data) {
    BPDataScanner::setData(data);
    scanner_.setText(jsonscan::sniffToUtf8(data));
}

bool BPJSONScanner::report(bool ok, std::optional<fnd::Error>* error) const {
    if (!ok && error != nullptr) {
        *error = scanner_.error();
    }
    return ok;
}

bool BPJSONScanner::scanJSONObject(std::optional<fnd::Value>* out, std::optional<fnd::Error>* error) {
    fnd::Value value;
    if (!report(scanner_.scanValue(&value), error)) {
        return false;
    }
    if (out != nullptr) {
        *out = scanner_.gaveNoValue() ? std::nullopt : std::optional<fnd::Value>(std::move(value));
    }
    return true;
}

bool BPJSONScanner::scanJSONDictionary(fnd::Value* out, std::optional<fnd::Error>* error) {
    return report(scanner_.scanDictionary(out), error);
}

bool BPJSONScanner::scanJSONArray(fnd::Value* out, std::optional<fnd::Error>* error) {
    return report(scanner_.scanArray(out), error);
}

bool BPJSONScanner::scanJSONStringConstant(fnd::Value* out, std::optional<fnd::Error>* error) {
    return report(scanner_.scanString(out), error);
}

bool BPJSONScanner::scanJSONNumberConstant(fnd::Value* out, std::optional<fnd::Error>* error) {
    return report(scanner_.scanNumberValue(out), error);
}

bool BPJSONScanner::scanNotQuoteCharactersIntoString(std::string* into) {
    static const jsonscan::ByteSet stops(std::string_view("\"\\"));
    return scanner_.scanUpToAny(stops, into);
}

} // namespace zelvan::brightpoint
