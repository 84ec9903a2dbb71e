// XML property lists through libxml2. The document is parsed into a tree with network access, DTD
// loading and entity substitution all off, then walked into Values; any element, entity reference
// or text that does not belong to the format rejects the whole document.
#include "platform/foundation/property_list.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <openssl/evp.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

#include "platform/foundation/log.h"

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

class Reader {
public:
    // The single value inside a <plist> element.
    std::optional<Value> plist(const xmlNode* root);
    std::optional<Value> value(const xmlNode* node, int depth);
    const std::string& error() const { return error_; }

private:
    std::nullopt_t fail(std::string why) {
        if (error_.empty()) {
            error_ = std::move(why);
        }
        return std::nullopt;
    }
    // The character data of a leaf element; fails on child elements or entity references.
    std::optional<std::string> text(const xmlNode* node);
    // Element children, failing on stray text or entity references between them.
    std::optional<std::vector<const xmlNode*>> elements(const xmlNode* node);

    std::string error_;
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
            return fail("entity reference inside <" + std::string(reinterpret_cast<const char*>(node->name)) + ">");
        default:
            return fail("unexpected markup inside <" + std::string(reinterpret_cast<const char*>(node->name)) + ">");
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
                return fail("stray text inside <" + std::string(reinterpret_cast<const char*>(node->name)) + ">");
            }
            break;
        case XML_COMMENT_NODE:
        case XML_PI_NODE:
            break;
        default:
            return fail("unexpected markup inside <" + std::string(reinterpret_cast<const char*>(node->name)) + ">");
        }
    }
    return out;
}

std::optional<Value> Reader::plist(const xmlNode* root) {
    auto children = elements(root);
    if (!children) {
        return std::nullopt;
    }
    if (children->size() != 1) {
        return fail("<plist> must hold exactly one value");
    }
    return value(children->front(), 0);
}

std::optional<Value> Reader::value(const xmlNode* node, int depth) {
    std::string name = reinterpret_cast<const char*>(node->name);
    if (name == "dict" || name == "array") {
        if (depth >= PropertyList::kMaxDepth) {
            return fail("nesting deeper than " + std::to_string(PropertyList::kMaxDepth) + " levels");
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
            return fail("<dict> has a key without a value");
        }
        auto dict = Dictionary::make();
        for (size_t i = 0; i < children->size(); i += 2) {
            const xmlNode* keyNode = (*children)[i];
            if (!nameIs(keyNode, "key")) {
                return fail("<dict> holds <" + std::string(reinterpret_cast<const char*>(keyNode->name)) +
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
            return fail("<" + name + "> is not empty");
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
        return fail("bad <integer> \"" + content->substr(0, 40) + "\"");
    }
    if (name == "real") {
        if (auto d = parseReal(*content)) {
            return Value(*d);
        }
        return fail("bad <real> \"" + content->substr(0, 40) + "\"");
    }
    if (name == "date") {
        if (auto d = parseDate(*content)) {
            return Value(*d);
        }
        return fail("bad <date> \"" + content->substr(0, 40) + "\"");
    }
    if (name == "data") {
        if (auto bytes = parseBase64(*content)) {
            return Value(std::move(*bytes));
        }
        return fail("bad base64 in <data>");
    }
    return fail("unknown element <" + name.substr(0, 40) + ">");
}

void initLibxml() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

} // namespace

std::optional<Value> PropertyList::read(std::string_view text) {
    if (text.size() > kMaxBytes) {
        logLine("PropertyList: refused a document of " + std::to_string(text.size()) + " bytes (limit " +
                std::to_string(kMaxBytes) + ")");
        return std::nullopt;
    }
    if (text.empty()) {
        logLine("PropertyList: empty document");
        return std::nullopt;
    }
    initLibxml();
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> ctxt(xmlNewParserCtxt(), &xmlFreeParserCtxt);
    if (ctxt == nullptr) {
        logLine("PropertyList: libxml2 could not create a parser");
        return std::nullopt;
    }
    // No XML_PARSE_NOENT (entities stay unexpanded), no XML_PARSE_DTDLOAD, no XML_PARSE_HUGE.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlCtxtReadMemory(ctxt.get(), text.data(), static_cast<int>(text.size()), nullptr, nullptr, options),
        &xmlFreeDoc);
    if (doc == nullptr) {
        const xmlError* err = xmlCtxtGetLastError(ctxt.get());
        std::string why = err != nullptr && err->message != nullptr ? std::string(trim(err->message)) : "unknown error";
        if (err != nullptr) {
            why += " at line " + std::to_string(err->line);
        }
        logLine("PropertyList: malformed XML: " + why);
        return std::nullopt;
    }
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (root == nullptr || !nameIs(root, "plist")) {
        logLine("PropertyList: the root element is not <plist>");
        return std::nullopt;
    }
    Reader reader;
    std::optional<Value> result = reader.plist(root);
    if (!result) {
        logLine("PropertyList: " + reader.error());
    }
    return result;
}

std::optional<Value> PropertyList::read(const Bytes& bytes) {
    return read(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace fnd
