// A single-pass reader of string tables: it walks the text once, keeping the line number for its
// errors, and never trusts the input (every fault ends the parse with an error naming it and where).
#include "platform/foundation/string_table.h"

#include <algorithm>
#include <cstdint>

#include "platform/foundation/parse_error.h"
#include "platform/foundation/unicode_detail.h"
#include "platform/foundation/utf16.h"

namespace fnd {
namespace {

// The offset of the first byte that is not part of well-formed UTF-8, or the size when there is none.
size_t validUtf8Length(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t pos = 0;
    while (pos < text.size()) {
        const detail::Utf8Step step = detail::decodeUtf8Step(p + pos, text.size() - pos);
        if (!step.valid) {
            break;
        }
        pos += step.length;
    }
    return pos;
}

class Reader {
public:
    // `base` is where `text` starts in the caller's input (after a byte-order mark), for offsets.
    Reader(std::string_view text, size_t base) : text_(text), base_(base) {}

    Result<StringTable::Map> read() {
        StringTable::Map map;
        while (true) {
            if (!skipFiller()) {
                return std::move(*error_);
            }
            if (atEnd()) {
                return map;
            }
            std::string key;
            std::string value;
            if (!quoted(key, "key") || !skipFiller() || !expect('=') || !skipFiller() || !quoted(value, "value") ||
                !skipFiller() || !expect(';')) {
                return std::move(*error_);
            }
            map.insert_or_assign(std::move(key), std::move(value));
        }
    }

private:
    bool atEnd() const { return pos_ >= text_.size(); }

    // Records the fault at the current position.
    bool fail(std::string_view reason, ParseErrorCode code = kParseMalformed) {
        return failAt(pos_, line_, reason, code);
    }
    // Records the fault at a construct that began earlier (a string, a comment, an escape).
    bool failAt(size_t pos, size_t line, std::string_view reason, ParseErrorCode code = kParseMalformed) {
        error_ = parseError(code, base_ + pos, line, reason);
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
                const size_t startLine = line_;
                const size_t startPos = pos_;
                pos_ += 2;
                while (!atEnd() && text_.substr(pos_, 2) != "*/") {
                    advance();
                }
                if (atEnd()) {
                    return failAt(startPos, startLine, "unterminated comment", kParseTruncated);
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

    // Reads the four hex digits of a \U escape whose "\U" (at `escapeAt`) has been consumed.
    bool unicodeUnit(char16_t& unit, size_t escapeAt) {
        if (text_.size() - pos_ < 4) {
            return failAt(escapeAt, line_, "short \\U escape", kParseTruncated);
        }
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            int d = hexDigit(text_[pos_ + i]);
            if (d < 0) {
                return failAt(escapeAt, line_, "bad \\U escape");
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
        const size_t startLine = line_;
        const size_t startPos = pos_;
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
                return failAt(startPos, startLine, "unterminated string", kParseTruncated);
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
            const size_t escapeAt = pos_;
            const size_t escapeLine = line_;
            advance();
            if (atEnd()) {
                continue; // reported as an unterminated string
            }
            char e = text_[pos_];
            advance();
            if (e == 'U') {
                char16_t unit = 0;
                if (!unicodeUnit(unit, escapeAt)) {
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
                return failAt(escapeAt, escapeLine,
                              std::string("unknown escape \\") + (static_cast<unsigned char>(e) < 0x80 ? e : '?'));
            }
        }
    }

    std::string_view text_;
    size_t base_ = 0;
    size_t pos_ = 0;
    size_t line_ = 1;
    std::optional<Error> error_;
};

} // namespace

Result<StringTable::Map> StringTable::parse(std::string_view text) {
    if (const size_t valid = validUtf8Length(text); valid < text.size()) {
        const std::string_view before = text.substr(0, valid);
        const size_t line = 1 + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
        return parseError(kParseBadEncoding, valid, line, "text is not valid UTF-8");
    }
    size_t base = 0;
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
        base = 3;
    }
    return Reader(text, base).read();
}

} // namespace fnd
