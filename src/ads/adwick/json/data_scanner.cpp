// The byte scanner front: each operation forwards to the shared engine's cursor.
#include "ads/adwick/json/data_scanner.h"

namespace zelvan::adwick {

std::shared_ptr<DataScanner> DataScanner::scannerWithData(const fnd::Bytes& data) {
    return std::make_shared<DataScanner>(data);
}

DataScanner::DataScanner(const fnd::Bytes& data) {
    DataScanner::setData(data);
}

void DataScanner::setData(const fnd::Bytes& data) {
    data_ = data;
    scanner_.setText(std::string(data.begin(), data.end()));
}

void DataScanner::setDoubleCharacters(std::string characters) {
    doubleCharacters_ = std::move(characters);
    scanner_.setNumberBytes(jsonscan::ByteSet(doubleCharacters_));
}

bool DataScanner::scanCharacter(char c) {
    return scanner_.scanByte(static_cast<uint8_t>(c));
}

std::optional<char> DataScanner::scanCharacter() {
    auto b = scanner_.scanAnyByte();
    return b ? std::optional<char>(static_cast<char>(*b)) : std::nullopt;
}

std::optional<char> DataScanner::currentCharacter() const {
    auto b = scanner_.current();
    return b ? std::optional<char>(static_cast<char>(*b)) : std::nullopt;
}

bool DataScanner::scanUTF8String(std::string_view bytes, std::string* into) {
    if (!scanner_.scanExact(bytes)) {
        return false;
    }
    if (into != nullptr) {
        *into = std::string(bytes);
    }
    return true;
}

bool DataScanner::scanString(std::string_view text, std::string* into) {
    return scanUTF8String(text, into);
}

bool DataScanner::scanCharactersFromSet(std::string_view set, std::string* into) {
    return scanner_.scanRun(jsonscan::ByteSet(set), into);
}

bool DataScanner::scanUpToString(std::string_view text, std::string* into) {
    return scanner_.scanUpTo(text, into);
}

bool DataScanner::scanUpToCharactersFromSet(std::string_view set, std::string* into) {
    return scanner_.scanUpToAny(jsonscan::ByteSet(set), into);
}

bool DataScanner::scanNumber(double* into) {
    return scanner_.scanNumber(into);
}

} // namespace zelvan::adwick
