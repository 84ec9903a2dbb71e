// The byte scanner front: each operation forwards to the shared engine's cursor.
#include "offers/brightpoint/bp_data_scanner.h"

namespace zelvan::brightpoint {

std::shared_ptr<BPDataScanner> BPDataScanner::scannerWithData(const fnd::Bytes& data) {
    return std::make_shared<BPDataScanner>(data);
}

BPDataScanner::BPDataScanner(const fnd::Bytes& data) {
    BPDataScanner::setData(data);
}

void BPDataScanner::setData(const fnd::Bytes& data) {
    data_ = data;
    scanner_.setText(std::string(data.begin(), data.end()));
}

void BPDataScanner::setDoubleCharacters(std::string characters) {
    doubleCharacters_ = std::move(characters);
    scanner_.setNumberBytes(jsonscan::ByteSet(doubleCharacters_));
}

bool BPDataScanner::scanCharacter(char c) {
    return scanner_.scanByte(static_cast<uint8_t>(c));
}

std::optional<char> BPDataScanner::scanCharacter() {
    auto b = scanner_.scanAnyByte();
    return b ? std::optional<char>(static_cast<char>(*b)) : std::nullopt;
}

std::optional<char> BPDataScanner::currentCharacter() const {
    auto b = scanner_.current();
    return b ? std::optional<char>(static_cast<char>(*b)) : std::nullopt;
}

bool BPDataScanner::scanUTF8String(std::string_view bytes, std::string* into) {
    if (!scanner_.scanExact(bytes)) {
        return false;
    }
    if (into != nullptr) {
        *into = std::string(bytes);
    }
    return true;
}

bool BPDataScanner::scanString(std::string_view text, std::string* into) {
    return scanUTF8String(text, into);
}

bool BPDataScanner::scanCharactersFromSet(std::string_view set, std::string* into) {
    return scanner_.scanRun(jsonscan::ByteSet(set), into);
}

bool BPDataScanner::scanUpToString(std::string_view text, std::string* into) {
    return scanner_.scanUpTo(text, into);
}

bool BPDataScanner::scanUpToCharactersFromSet(std::string_view set, std::string* into) {
    return scanner_.scanUpToAny(jsonscan::ByteSet(set), into);
}

bool BPDataScanner::scanNumber(double* into) {
    return scanner_.scanNumber(into);
}

} // namespace zelvan::brightpoint
