// The byte scanner front: each operation forwards to the shared engine's cursor.
#include "core/json_data_scanner.h"

namespace zelvan {

std::shared_ptr<JsonDataScanner> JsonDataScanner::scannerWithData(const fnd::Bytes& data) {
    return std::make_shared<JsonDataScanner>(data);
}

JsonDataScanner::JsonDataScanner(const fnd::Bytes& data) {
    JsonDataScanner::setData(data);
}

void JsonDataScanner::setData(const fnd::Bytes& data) {
    setDataAndText(data, std::string(data.begin(), data.end()));
}

void JsonDataScanner::setDataAndText(const fnd::Bytes& data, std::string text) {
    data_ = data;
    scanner_.setText(std::move(text));
}

void JsonDataScanner::setDoubleCharacters(std::string characters) {
    doubleCharacters_ = std::move(characters);
    scanner_.setNumberBytes(jsonscan::ByteSet(doubleCharacters_));
}

bool JsonDataScanner::scanCharacter(char c) {
    return scanner_.scanByte(static_cast<uint8_t>(c));
}

std::optional<char> JsonDataScanner::scanCharacter() {
    auto b = scanner_.scanAnyByte();
    return b ? std::optional<char>(static_cast<char>(*b)) : std::nullopt;
}

std::optional<char> JsonDataScanner::currentCharacter() const {
    auto b = scanner_.current();
    return b ? std::optional<char>(static_cast<char>(*b)) : std::nullopt;
}

bool JsonDataScanner::scanUTF8String(std::string_view bytes, std::string* into) {
    if (!scanner_.scanExact(bytes)) {
        return false;
    }
    if (into != nullptr) {
        *into = std::string(bytes);
    }
    return true;
}

bool JsonDataScanner::scanString(std::string_view text, std::string* into) {
    return scanUTF8String(text, into);
}

bool JsonDataScanner::scanCharactersFromSet(std::string_view set, std::string* into) {
    return scanner_.scanRun(jsonscan::ByteSet(set), into);
}

bool JsonDataScanner::scanUpToString(std::string_view text, std::string* into) {
    return scanner_.scanUpTo(text, into);
}

bool JsonDataScanner::scanUpToCharactersFromSet(std::string_view set, std::string* into) {
    return scanner_.scanUpToAny(jsonscan::ByteSet(set), into);
}

bool JsonDataScanner::scanNumber(double* into) {
    return scanner_.scanNumber(into);
}

fnd::Result<fnd::Value> JsonDataScanner::scanValueWith(bool (jsonscan::Scanner::*step)(fnd::Value*)) {
    fnd::Value value;
    if (!(scanner_.*step)(&value)) {
        return scanner_.error();
    }
    return value;
}

} // namespace zelvan
