// JsonDataScanner: a byte scanner over a data buffer, every operation at the current position and advancing
// only on success; a thin front over the JSON scanning engine, shared by the networks that name it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/json_scan.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan {

class JsonDataScanner {
public:
    static std::shared_ptr<JsonDataScanner> scannerWithData(const fnd::Bytes& data);

    explicit JsonDataScanner(const fnd::Bytes& data = {});
    virtual ~JsonDataScanner() = default;
    JsonDataScanner(const JsonDataScanner&) = delete;
    JsonDataScanner& operator=(const JsonDataScanner&) = delete;

    // Setting the data puts the position at its start.
    const fnd::Bytes& data() const { return data_; }
    virtual void setData(const fnd::Bytes& data);
    size_t scanLocation() const { return scanner_.location(); }
    void setScanLocation(size_t location) { scanner_.setLocation(location); }
    bool isAtEnd() const { return scanner_.isAtEnd(); }
    // The bytes a number may consist of ("0123456789eE-." unless set).
    const std::string& doubleCharacters() const { return doubleCharacters_; }
    void setDoubleCharacters(std::string characters);

    // The byte at the position, advancing past it; none at the end.
    std::optional<char> scanCharacter();
    std::optional<char> currentCharacter() const;
    // Advances only when the byte at the position is `c`.
    bool scanCharacter(char c);
    // Exact byte matches.
    bool scanUTF8String(std::string_view bytes, std::string* into);
    bool scanString(std::string_view text, std::string* into);
    // At least one byte; the run is decoded as UTF-8.
    bool scanCharactersFromSet(std::string_view set, std::string* into);
    bool scanUpToCharactersFromSet(std::string_view set, std::string* into);
    bool scanUpToString(std::string_view text, std::string* into);
    // The longest run of doubleCharacters, read as a double.
    bool scanNumber(double* into);
    void skipWhitespace() { scanner_.skipWhitespace(); }
    // The rest, decoded as UTF-8.
    std::string remainingString() const { return scanner_.remaining(); }

protected:
    // Keeps `data` and scans `text`, the data as the subclass reads it (converted to UTF-8, say).
    void setDataAndText(const fnd::Bytes& data, std::string text);
    // The value the engine's `step` scans at the position, else the engine's failure.
    fnd::Result<fnd::Value> scanValueWith(bool (jsonscan::Scanner::*step)(fnd::Value*));

    jsonscan::Scanner scanner_;

private:
    fnd::Bytes data_;
    std::string doubleCharacters_ = "0123456789eE-.";
};

} // namespace zelvan
