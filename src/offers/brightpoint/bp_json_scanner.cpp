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
    setDataAndText(data, jsonscan::sniffToUtf8(data));
}

fnd::Result<std::optional<fnd::Value>> BPJSONScanner::scanJSONObject() {
    fnd::Value value = TRY(scanValueWith(&jsonscan::Scanner::scanValue));
    return scanner_.gaveNoValue() ? std::nullopt : std::optional<fnd::Value>(std::move(value));
}

fnd::Result<fnd::Value> BPJSONScanner::scanJSONDictionary() {
    return scanValueWith(&jsonscan::Scanner::scanDictionary);
}

fnd::Result<fnd::Value> BPJSONScanner::scanJSONArray() {
    return scanValueWith(&jsonscan::Scanner::scanArray);
}

fnd::Result<fnd::Value> BPJSONScanner::scanJSONStringConstant() {
    return scanValueWith(&jsonscan::Scanner::scanString);
}

fnd::Result<fnd::Value> BPJSONScanner::scanJSONNumberConstant() {
    return scanValueWith(&jsonscan::Scanner::scanNumberValue);
}

bool BPJSONScanner::scanNotQuoteCharactersIntoString(std::string* into) {
    static const jsonscan::ByteSet stops(std::string_view("\"\\"));
    return scanner_.scanUpToAny(stops, into);
}

} // namespace zelvan::brightpoint
