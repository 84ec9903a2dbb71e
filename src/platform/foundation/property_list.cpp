// XML property lists through libxml2. The document is parsed into a tree with network access, DTD
// loading and entity substitution all off, then walked into Values; any element, entity reference
// or text that does not belong to the format rejects the whole document with an error naming the
// line and byte offset of the element at fault. Bytes that do not open with '<' are the old text form of
// `"k" = "v";` entries, read through StringTable.
#include "platform/foundation/property_list.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <openssl/evp.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/string_table.h"
#include "platform/foundation/unicode_detail.h"

namespace fnd {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool nameIs(const xmlNode* node, const char* name) {
    return std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::optional<int64_t> parseInteger(std::string_view text) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    constexpr uint64_t kMaxPositive = static_cast<uint64_t>(INT64_MAX);
    if (!negative && magnitude > kMaxPositive) {
        return std::nullopt;
    }
    if (negative) {
        if (magnitude > kMaxPositive + 1) {
            return std::nullopt;
        }
        return magnitude == kMaxPositive + 1 ? INT64_MIN : -static_cast<int64_t>(magnitude);
    }
    return static_cast<int64_t>(magnitude);
}

std::optional<double> parseReal(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// "YYYY-MM-DDTHH:MM:SS[.fff]Z", always UTC.
std::optional<Date> parseDate(std::string_view text) {
    text = trim(text);
    auto number = [&](size_t at, size_t len, int& out) {
        if (at + len > text.size()) {
            return false;
        }
        auto [end, ec] = std::from_chars(text.data() + at, text.data() + at + len, out);
        return ec == std::errc() && end == text.data() + at + len && text[at] != '+' && text[at] != '-';
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text.size() < 20 || !number(0, 4, year) || text[4] != '-' || !number(5, 2, month) || text[7] != '-' ||
        !number(8, 2, day) || text[10] != 'T' || !number(11, 2, hour) || text[13] != ':' || !number(14, 2, minute) ||
        text[16] != ':' || !number(17, 2, second) || text.back() != 'Z') {
        return std::nullopt;
    }
    double fraction = 0;
    std::string_view rest = text.substr(19, text.size() - 20);
    if (!rest.empty()) {
        if (rest.front() != '.' || rest.size() < 2) {
            return std::nullopt;
        }
        for (char c : rest.substr(1)) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
        }
        std::string digits = "0" + std::string(rest);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), fraction);
        if (ec != std::errc() || end != digits.data() + digits.size()) {
            return std::nullopt;
        }
    }
    static constexpr int kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > kDaysInMonth[month - 1] || (month == 2 && day == 29 && !leap) ||
        hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    time_t unix = ::timegm(&tm);
    return Date::fromUnix(static_cast<double>(unix) + fraction);
}

std::optional<Bytes> parseBase64(std::string_view text) {
    if (text.size() > INT_MAX) {
        return std::nullopt;
    }
    std::unique_ptr<EVP_ENCODE_CTX, decltype(&EVP_ENCODE_CTX_free)> ctx(EVP_ENCODE_CTX_new(), &EVP_ENCODE_CTX_free);
    if (ctx == nullptr) {
        return std::nullopt;
    }
    Bytes out(text.size() / 4 * 3 + 80);
    int written = 0;
    int tail = 0;
    EVP_DecodeInit(ctx.get());
    if (EVP_DecodeUpdate(ctx.get(), out.data(), &written, reinterpret_cast<const unsigned char*>(text.data()),
                         static_cast<int>(text.size())) < 0 ||
        EVP_DecodeFinal(ctx.get(), out.data() + written, &tail) != 1) {
        return std::nullopt;
    }
    out.resize(static_cast<size_t>(written + tail));
    return out;
}

// Where line `line` (1-based) of `text` starts; the end of the text for lines past it.
size_t lineStart(std::string_view text, long line) {
    size_t at = 0;
    for (long n = 1; n < line && at < text.size(); ++n) {
        const size_t newline = text.find('\n', at);
        at = newline == std::string_view::npos ? text.size() : newline + 1;
    }
    return at;
}

// The byte offset of a libxml2 position: `column` characters (1-based) into line `line`.
size_t offsetOf(std::string_view text, long line, long column) {
    size_t at = lineStart(text, line);
    for (long n = 1; n < column && at < text.size(); ++n) {
        do {
            ++at;
        } while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80);
    }
    return at;
}

// Counts, in document order from `from` until `target`, the elements named like `target` that libxml2
// places on line `line`. False once `target` is reached.
bool countBefore(const xmlNode* from, const xmlNode* target, long line, size_t& count) {
    for (const xmlNode* node = from; node != nullptr; node = node->next) {
        if (node == target) {
            return false;
        }
        if (node->type == XML_ELEMENT_NODE) {
            if (xmlStrEqual(node->name, target->name) && xmlGetLineNo(node) == line) {
                ++count;
            }
            if (!countBefore(node->children, target, line, count)) {
                return false;
            }
        }
    }
    return true;
}

class Reader {
public:
    Reader(std::string_view text, const xmlNode* root) : text_(text), root_(root) {}

    // The single value inside the <plist> element.
    std::optional<Value> plist();
    std::optional<Value> value(const xmlNode* node, int depth);
    const std::optional<Error>& error() const { return error_; }

    // The byte offset of the start tag of `node` (libxml2 keeps only its line): the matching "<name"
    // of that line, counting the elements of the same name before it there.
    size_t offsetOfElement(const xmlNode* node) const {
        const long line = xmlGetLineNo(node);
        size_t before = 0;
        countBefore(root_, node, line, before);
        const std::string tag = "<" + std::string(reinterpret_cast<const char*>(node->name));
        size_t at = lineStart(text_, line);
        for (size_t seen = 0;; ++seen) {
            size_t found = text_.find(tag, at);
            // A longer name that starts alike ("<datax" for "<data") is not a match.
            while (found != std::string_view::npos && found + tag.size() < text_.size() &&
                   std::strchr(" \t\r\n/>", text_[found + tag.size()]) == nullptr) {
                found = text_.find(tag, found + 1);
            }
            if (found == std::string_view::npos) {
                return lineStart(text_, line);
            }
            if (seen == before) {
                return found;
            }
            at = found + 1;
        }
    }

private:
    std::nullopt_t fail(const xmlNode* node, std::string why, ParseErrorCode code = kParseMalformed) {
        if (!error_) {
            error_ = parseError(code, offsetOfElement(node), static_cast<size_t>(xmlGetLineNo(node)), why);
        }
        return std::nullopt;
    }
    // The character data of a leaf element; fails on child elements or entity references.
    std::optional<std::string> text(const xmlNode* node);
    // Element children, failing on stray text or entity references between them.
    std::optional<std::vector<const xmlNode*>> elements(const xmlNode* node);

    std::string_view text_;
    const xmlNode* root_;
    std::optional<Error> error_;
};

std::optional<std::string> Reader::text(const xmlNode* node) {
    std::string out;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        switch (child->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            if (child->content != nullptr) {
                out += reinterpret_cast<const char*>(child->content);
            }
            break;
        case XML_COMMENT_NODE:
        case XML_PI_NODE:
            break;
        case XML_ENTITY_REF_NODE:
            return fail(node,
                        "entity reference inside <" + std::string(reinterpret_cast<const char*>(node->name)) + ">");
        default:
            return fail(node,
                        "unexpected markup inside <" + std::string(reinterpret_cast<const char*>(node->name)) + ">");
        }
    }
    return out;
}

std::optional<std::vector<const xmlNode*>> Reader::elements(const xmlNode* node) {
    std::vector<const xmlNode*> out;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        switch (child->type) {
        case XML_ELEMENT_NODE:
            out.push_back(child);
            break;
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            if (child->content != nullptr && !trim(reinterpret_cast<const char*>(child->content)).empty()) {
                return fail(node, "stray text inside <" + std::string(reinterpret_cast<const char*>(node->name)) + ">");
            }
            break;
        case XML_COMMENT_NODE:
        case XML_PI_NODE:
            break;
        default:
            return fail(node,
                        "unexpected markup inside <" + std::string(reinterpret_cast<const char*>(node->name)) + ">");
        }
    }
    return out;
}

std::optional<Value> Reader::plist() {
    auto children = elements(root_);
    if (!children) {
        return std::nullopt;
    }
    if (children->size() != 1) {
        return fail(root_, "<plist> must hold exactly one value");
    }
    return value(children->front(), 0);
}

std::optional<Value> Reader::value(const xmlNode* node, int depth) {
    std::string name = reinterpret_cast<const char*>(node->name);
    if (name == "dict" || name == "array") {
        if (depth >= PropertyList::kMaxDepth) {
            return fail(node, "nesting deeper than " + std::to_string(PropertyList::kMaxDepth) + " levels",
                        kParseTooDeep);
        }
        auto children = elements(node);
        if (!children) {
            return std::nullopt;
        }
        if (name == "array") {
            auto array = Array::make();
            for (const xmlNode* child : *children) {
                auto item = value(child, depth + 1);
                if (!item) {
                    return std::nullopt;
                }
                array->addObject(std::move(*item));
            }
            return Value(array);
        }
        if (children->size() % 2 != 0) {
            return fail(node, "<dict> has a key without a value");
        }
        auto dict = Dictionary::make();
        for (size_t i = 0; i < children->size(); i += 2) {
            const xmlNode* keyNode = (*children)[i];
            if (!nameIs(keyNode, "key")) {
                return fail(keyNode, "<dict> holds <" + std::string(reinterpret_cast<const char*>(keyNode->name)) +
                                         "> where a <key> belongs");
            }
            auto key = text(keyNode);
            if (!key) {
                return std::nullopt;
            }
            auto item = value((*children)[i + 1], depth + 1);
            if (!item) {
                return std::nullopt;
            }
            dict->setObject(std::move(*item), Key(std::move(*key)));
        }
        return Value(dict);
    }
    if (name == "true" || name == "false") {
        auto children = elements(node);
        if (!children || !children->empty()) {
            return fail(node, "<" + name + "> is not empty");
        }
        return Value(name == "true");
    }
    auto content = text(node);
    if (!content) {
        return std::nullopt;
    }
    if (name == "string") {
        return Value(std::move(*content));
    }
    if (name == "integer") {
        if (auto i = parseInteger(*content)) {
            return Value(*i);
        }
        return fail(node, "bad <integer> \"" + content->substr(0, 40) + "\"");
    }
    if (name == "real") {
        if (auto d = parseReal(*content)) {
            return Value(*d);
        }
        return fail(node, "bad <real> \"" + content->substr(0, 40) + "\"");
    }
    if (name == "date") {
        if (auto d = parseDate(*content)) {
            return Value(*d);
        }
        return fail(node, "bad <date> \"" + content->substr(0, 40) + "\"");
    }
    if (name == "data") {
        if (auto bytes = parseBase64(*content)) {
            return Value(std::move(*bytes));
        }
        return fail(node, "bad base64 in <data>");
    }
    return fail(node, "unknown element <" + name.substr(0, 40) + ">");
}

void initLibxml() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

} // namespace

namespace {

// Whether the first byte after an optional byte-order mark and white space is '<'. Such bytes are read as XML
// only; anything else is the old text form.
bool looksLikeXml(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    size_t start = text.find_first_not_of(" \t\r\n");
    return start == std::string_view::npos || text[start] == '<';
}

// `text` without the characters XML cannot carry and without ill-formed UTF-8, counting what it left out.
std::string keepXmlCharacters(const std::string& text, size_t& dropped) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    while (i < text.size()) { // the common case: nothing to drop, no copy
        const detail::Utf8Step step = detail::decodeUtf8Step(p + i, text.size() - i);
        if (!step.valid || !detail::isXmlChar(step.codePoint)) {
            break;
        }
        i += step.length;
    }
    if (i == text.size()) {
        return text;
    }
    std::string kept = text.substr(0, i);
    while (i < text.size()) {
        const detail::Utf8Step step = detail::decodeUtf8Step(p + i, text.size() - i);
        if (step.valid && detail::isXmlChar(step.codePoint)) {
            kept.append(text, i, step.length);
        } else {
            ++dropped;
        }
        i += step.length;
    }
    return kept;
}

// The old text form: `"k" = "v";` entries, optionally inside one pair of braces, read through StringTable into a
// dictionary of strings. The braces are blanked rather than cut, so the offsets and lines of errors stay right.
Result<Value> readTextForm(std::string_view text) {
    std::string copy(text);
    size_t first = copy.find_first_not_of(" \t\r\n", copy.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0);
    size_t last = copy.find_last_not_of(" \t\r\n");
    if (first != std::string::npos && copy[first] == '{') {
        if (last == first || copy[last] != '}') {
            return parseError(kParseMalformed, last + 1, "a text property list without its closing brace");
        }
        copy[first] = ' ';
        copy[last] = ' ';
    }
    auto table = StringTable::parse(copy);
    if (!table) {
        return std::move(table).error();
    }
    // The text form's escapes can name characters no XML document carries (U+0000, other controls, U+FFFE);
    // they are dropped here, so whatever is read can be written back as XML and saved again.
    size_t dropped = 0;
    auto dict = Dictionary::make();
    for (const auto& [key, value] : *table) {
        dict->setObject(Value(keepXmlCharacters(value, dropped)), keepXmlCharacters(key, dropped));
    }
    if (dropped > 0) {
        ZLOG(Warn, "PropertyList: dropped %zu characters XML cannot carry from a text property list", dropped);
    }
    return Value(dict);
}

} // namespace

Result<Value> PropertyList::read(std::string_view text) {
    if (text.size() <= kMaxBytes && !looksLikeXml(text)) {
        return readTextForm(text);
    }
    if (text.size() > kMaxBytes) {
        return parseError(kParseTooLarge, kMaxBytes,
                          "refused a document of " + std::to_string(text.size()) + " bytes (limit " +
                              std::to_string(kMaxBytes) + ")");
    }
    if (text.empty()) {
        return parseError(kParseTruncated, 0, "empty document");
    }
    initLibxml();
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> ctxt(xmlNewParserCtxt(), &xmlFreeParserCtxt);
    if (ctxt == nullptr) {
        return Error(std::string(kParseErrorDomain), kParseMalformed,
                     std::string_view("libxml2 could not create a parser"));
    }
    // No XML_PARSE_NOENT (entities stay unexpanded), no XML_PARSE_DTDLOAD, no XML_PARSE_HUGE. Big line
    // numbers keep the lines of errors right past line 65535.
    const int options =
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA | XML_PARSE_BIG_LINES;
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlCtxtReadMemory(ctxt.get(), text.data(), static_cast<int>(text.size()), nullptr, nullptr, options),
        &xmlFreeDoc);
    if (doc == nullptr) {
        const xmlError* err = xmlCtxtGetLastError(ctxt.get());
        std::string why = err != nullptr && err->message != nullptr ? std::string(trim(err->message)) : "unknown error";
        const long line = err != nullptr ? std::max(err->line, 1) : 1;
        const long column = err != nullptr ? err->int2 : 0;
        const ParseErrorCode code =
            err != nullptr && err->code == XML_ERR_DOCUMENT_END ? kParseTrailingBytes : kParseMalformed;
        return parseError(code, offsetOf(text, line, column), static_cast<size_t>(line), "malformed XML: " + why);
    }
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (root == nullptr) {
        return parseError(kParseMalformed, 0, "the document has no root element");
    }
    Reader reader(text, root);
    if (!nameIs(root, "plist")) {
        return parseError(kParseMalformed, reader.offsetOfElement(root), static_cast<size_t>(xmlGetLineNo(root)),
                          "the root element is not <plist>");
    }
    std::optional<Value> result = reader.plist();
    if (!result) {
        return *reader.error();
    }
    return std::move(*result);
}

Result<Value> PropertyList::read(const Bytes& bytes) {
    return read(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace fnd
