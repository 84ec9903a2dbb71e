// Bounded previews of texts, bytes and values for log lines: escaping piece by piece into a fixed
// budget, so the cost and the size of a preview never depend on the size of what it shows.
#include "platform/foundation/log_preview.h"

#include <string>

#include "platform/foundation/unicode_detail.h"

namespace fnd {
namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6"; // U+2026

bool isPlainAscii(unsigned char c) {
    return c >= 0x20 && c < 0x7F && c != '\\';
}

std::string countText(size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + ' ' + std::string(n == 1 ? one : many);
}

// Collects whole pieces of preview text until the next one would pass the limit; from then on the
// preview is cut and every further piece is refused.
class PreviewWriter {
public:
    explicit PreviewWriter(size_t limit) : limit_(limit) {}

    bool cut() const { return cut_; }

    bool put(std::string_view piece) {
        if (cut_) {
            return false;
        }
        if (out_.size() + piece.size() > limit_) {
            cut_ = true;
            return false;
        }
        out_ += piece;
        return true;
    }

    // The text escaped; in quoted form a double quote is escaped too.
    void putText(std::string_view text, bool quoted) {
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        size_t i = 0;
        while (i < text.size() && !cut_) {
            unsigned char c = p[i];
            if (c < 0x80) {
                putAscii(c, quoted);
                ++i;
                continue;
            }
            detail::Utf8Step step = detail::decodeUtf8Step(p + i, text.size() - i);
            // C1 controls (U+0080-U+009F) are as invisible as the C0 ones.
            if (step.valid && step.codePoint >= 0xA0) {
                put(text.substr(i, step.length));
            } else {
                putEscapedBytes(p + i, step.length);
            }
            i += step.length;
        }
    }

    // "<0a0b0c0d 0e>", the form of Value::description().
    void putHex(const Bytes& bytes) {
        static constexpr char kHex[] = "0123456789abcdef";
        if (!put("<")) {
            return;
        }
        for (size_t i = 0; i < bytes.size(); ++i) {
            char piece[3] = {' ', kHex[bytes[i] >> 4], kHex[bytes[i] & 0xf]};
            bool gap = i > 0 && i % 4 == 0;
            if (!put(std::string_view(gap ? piece : piece + 1, gap ? 3 : 2))) {
                return;
            }
        }
        put(">");
    }

    // The preview, with the cut mark and the full size when something was left out.
    std::string finish(const std::string& size) {
        if (cut_) {
            out_ += kEllipsis;
            out_ += " (";
            out_ += size;
            out_ += ')';
        }
        return std::move(out_);
    }

private:
    void putAscii(unsigned char c, bool quoted) {
        switch (c) {
        case '\n':
            put("\\n");
            return;
        case '\r':
            put("\\r");
            return;
        case '\t':
            put("\\t");
            return;
        case '\\':
            put("\\\\");
            return;
        case '"':
            put(quoted ? "\\\"" : "\"");
            return;
        default:
            break;
        }
        if (isPlainAscii(c)) {
            char one = static_cast<char>(c);
            put(std::string_view(&one, 1));
        } else {
            putEscapedBytes(&c, 1);
        }
    }

    // \xNN for each byte; the bytes of one character go in together or not at all.
    void putEscapedBytes(const unsigned char* p, size_t n) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string escaped;
        for (size_t i = 0; i < n; ++i) {
            escaped += "\\x";
            escaped += kHex[p[i] >> 4];
            escaped += kHex[p[i] & 0xf];
        }
        put(escaped);
    }

    size_t limit_;
    bool cut_ = false;
    std::string out_;
};

bool isBareKey(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            return false;
        }
    }
    return true;
}

// A string inside a container: bare when it is ASCII letters and digits, quoted otherwise.
void putNestedString(PreviewWriter& w, std::string_view s) {
    if (isBareKey(s)) {
        w.putText(s, false);
        return;
    }
    if (w.put("\"")) {
        w.putText(s, true);
        w.put("\"");
    }
}

void render(const Value& v, PreviewWriter& w, bool nested, int depth) {
    if (w.cut()) {
        return;
    }
    if (depth > Value::kMaxDepth) {
        w.put("...");
        return;
    }
    switch (v.kind()) {
    case Value::Kind::Null:
    case Value::Kind::Bool:
    case Value::Kind::Int:
    case Value::Kind::Double:
    case Value::Kind::Date:
        w.put(v.description()); // a few bytes at most
        return;
    case Value::Kind::Decimal:
        w.putText(*v.asDecimal(), false);
        return;
    case Value::Kind::String:
        if (nested) {
            putNestedString(w, *v.asString());
        } else {
            w.putText(*v.asString(), false);
        }
        return;
    case Value::Kind::Data:
        w.putHex(*v.asData());
        return;
    case Value::Kind::Array: {
        auto array = v.asArray();
        if (array->empty()) {
            w.put("()");
            return;
        }
        w.put("( ");
        bool first = true;
        for (const Value& item : *array) {
            if (w.cut() || (!first && !w.put(", "))) {
                return;
            }
            first = false;
            render(item, w, true, depth + 1);
        }
        w.put(" )");
        return;
    }
    case Value::Kind::Dictionary: {
        auto dict = v.asDictionary();
        if (dict->empty()) {
            w.put("{}");
            return;
        }
        w.put("{ ");
        for (const auto& [key, item] : *dict) {
            if (w.cut()) {
                return;
            }
            if (key.isString()) {
                putNestedString(w, key.stringKey());
            } else {
                w.put(std::to_string(key.intKey()));
            }
            w.put(" = ");
            render(item, w, true, depth + 1);
            w.put("; ");
        }
        w.put("}");
        return;
    }
    case Value::Kind::Object:
        w.putText(v.asObject()->description(), false);
        return;
    }
}

// The size a cut preview names: what the reader would need to judge how much was left out.
std::string sizeOf(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::String:
        return countText(v.asString()->size(), "byte", "bytes");
    case Value::Kind::Decimal:
        return countText(v.asDecimal()->size(), "byte", "bytes");
    case Value::Kind::Data:
        return countText(v.asData()->size(), "byte", "bytes");
    case Value::Kind::Array:
        return countText(v.asArray()->count(), "element", "elements");
    case Value::Kind::Dictionary:
        return countText(v.asDictionary()->count(), "entry", "entries");
    case Value::Kind::Object:
        return countText(v.asObject()->description().size(), "byte", "bytes");
    default:
        return countText(v.description().size(), "byte", "bytes");
    }
}

} // namespace

std::string logPreview(std::string_view text, size_t limit) {
    if (text.size() <= limit) {
        bool plain = true;
        for (char c : text) {
            if (!isPlainAscii(static_cast<unsigned char>(c))) {
                plain = false;
                break;
            }
        }
        if (plain) {
            return std::string(text);
        }
    }
    PreviewWriter w(limit);
    w.putText(text, false);
    return w.finish(w.cut() ? countText(text.size(), "byte", "bytes") : std::string());
}

std::string logPreview(const Bytes& bytes, size_t limit) {
    return logPreview(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), limit);
}

std::string logPreviewValue(const Value& value, size_t limit) {
    PreviewWriter w(limit);
    render(value, w, false, 0);
    return w.finish(w.cut() ? sizeOf(value) : std::string());
}

std::string logReason(const Error& error) {
    std::string reason = error.localizedFailureReason();
    if (reason.empty()) {
        return error.localizedDescription();
    }
    return error.localizedDescription() + " (" + logPreview(reason) + ")";
}

} // namespace fnd
