// A single-pass reader of string tables: it walks the text once, keeping the line number for its
// messages, and never trusts the input (every fault ends the parse with a logged reason).
#include "platform/foundation/string_table.h"

#include <cstdint>

#include "platform/foundation/encodings.h"
#include "platform/foundation/log.h"
#include "platform/foundation/utf16.h"

namespace fnd {
namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<StringTable::Map> read() {
        StringTable::Map map;
        while (true) {
            if (!skipFiller()) {
                return std::nullopt;
            }
            if (atEnd()) {
                return map;
            }
            std::string key;
            std::string value;
            if (!quoted(key, "key") || !skipFiller() || !expect('=') || !skipFiller() || !quoted(value, "value") ||
                !skipFiller() || !expect(';')) {
                return std::nullopt;
            }
            map.insert_or_assign(std::move(key), std::move(value));
        }
    }

private:
    bool atEnd() const { return pos_ >= text_.size(); }

    bool fail(std::string_view reason) {
        log("StringTable: %@ at line %d", reason, line_);
        return false;
    }

    void advance() {
        if (text_[pos_] == '\n') {
            ++line_;
        }
        ++pos_;
    }

    // Skips white space and comments; false for an unterminated block comment.
    bool skipFiller() {
        while (!atEnd()) {
            char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                advance();
            } else if (text_.substr(pos_, 2) == "//") {
                while (!atEnd() && text_[pos_] != '\n') {
                    advance();
                }
            } else if (text_.substr(pos_, 2) == "/*") {
                size_t startLine = line_;
                pos_ += 2;
                while (!atEnd() && text_.substr(pos_, 2) != "*/") {
                    advance();
                }
                if (atEnd()) {
                    line_ = startLine;
                    return fail("unterminated comment");
                }
                pos_ += 2;
            } else {
                break;
            }
        }
        return true;
    }

    bool expect(char c) {
        if (atEnd() || text_[pos_] != c) {
            return fail(std::string("expected '") + c + "'");
        }
        advance();
        return true;
    }

    static int hexDigit(char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    }

    // Reads the four hex digits of a \U escape whose "\U" has been consumed.
    bool unicodeUnit(char16_t& unit) {
        if (text_.size() - pos_ < 4) {
            return fail("short \\U escape");
        }
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            int d = hexDigit(text_[pos_ + i]);
            if (d < 0) {
                return fail("bad \\U escape");
            }
            v = v * 16 + static_cast<uint32_t>(d);
        }
        pos_ += 4;
        unit = static_cast<char16_t>(v);
        return true;
    }

    // Reads a quoted string into `out`; `what` names it in messages.
    bool quoted(std::string& out, std::string_view what) {
        if (atEnd() || text_[pos_] != '"') {
            return fail(std::string("expected a quoted ") + std::string(what));
        }
        size_t startLine = line_;
        advance();
        // \U escapes gather here first, so that a surrogate pair spelt as two escapes joins up.
        std::u16string units;
        auto flushUnits = [&] {
            if (!units.empty()) {
                out += fromUtf16(units);
                units.clear();
            }
        };
        while (true) {
            if (atEnd()) {
                line_ = startLine;
                return fail("unterminated string");
            }
            char c = text_[pos_];
            if (c == '"') {
                advance();
                flushUnits();
                return true;
            }
            if (c != '\\') {
                flushUnits();
                out += c;
                advance();
                continue;
            }
            advance();
            if (atEnd()) {
                continue; // reported as an unterminated string
            }
            char e = text_[pos_];
            advance();
            if (e == 'U') {
                char16_t unit = 0;
                if (!unicodeUnit(unit)) {
                    return false;
                }
                units += unit;
                continue;
            }
            flushUnits();
            switch (e) {
            case '"':
            case '\\':
            case '\'':
                out += e;
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return fail(std::string("unknown escape \\") + (static_cast<unsigned char>(e) < 0x80 ? e : '?'));
            }
        }
    }

    std::string_view text_;
    size_t pos_ = 0;
    size_t line_ = 1;
};

} // namespace

std::optional<StringTable::Map> StringTable::parse(std::string_view text) {
    if (!isValidUtf8(text)) {
        logLine("StringTable: text is not valid UTF-8");
        return std::nullopt;
    }
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    return Reader(text).read();
}

} // namespace fnd
