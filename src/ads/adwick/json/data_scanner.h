// DataScanner: the banner client's byte scanner over a data buffer, every operation at the current
// position and advancing only on success; a thin front over the shared JSON scanning engine.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/json_scan.h"
#include "platform/foundation/bytes.h"

namespace zelvan::adwick {

class DataScanner {
public:
    static std::shared_ptr<DataScanner> scannerWithData(const fnd::Bytes& data);

    explicit DataScanner(const fnd::Bytes& data = {});
    virtual ~DataScanner() = default;

    // Setting the data resets the position to its start.
    const fnd::Bytes& data() const { return data_; }
    virtual void setData(const fnd::Bytes& data);
    size_t scanLocation() const { return scanner_.location(); }
    void setScanLocation(size_t location) { scanner_.setLocation(location); }
    bool isAtEnd() const { return scanner_.isAtEnd(); }
    // The bytes a number may consist of ("0123456789eE-." unless set).
    const std::string& doubleCharacters() const { return doubleCharacters_; }
    void setDoubleCharacters(std::string characters);

    bool scanCharacter(char c);
    std::optional<char> scanCharacter();
    std::optional<char> currentCharacter() const;
    bool scanUTF8String(std::string_view bytes, std::string* into);
    bool scanString(std::string_view text, std::string* into);
    bool scanCharactersFromSet(std::string_view set, std::string* into);
    bool scanUpToString(std::string_view text, std::string* into);
    bool scanUpToCharactersFromSet(std::string_view set, std::string* into);
    bool scanNumber(double* into);
    void skipWhitespace() { scanner_.skipWhitespace(); }
    std::string remainingString() const { return scanner_.remaining(); }

protected:
    jsonscan::Scanner scanner_;

private:
    fnd::Bytes data_;
    std::string doubleCharacters_ = "0123456789eE-.";
};

} // namespace zelvan::adwick
