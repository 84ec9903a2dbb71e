// The offer network's reply parser over libxml2's streaming reader: one pass, the tree built as
// dictionaries while depth and size are counted, and a parse error naming the offset on a fault.
#include "offers/orvane/client/orv_parser.h"

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/parse_error.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/string_ops.h"

namespace zelvan::orvane {

namespace {

// No network access, CDATA as text, no DTD loading, no entity substitution (not set: NOENT, DTDLOAD,
// DTDATTR, DTDVALID, XINCLUDE), and no messages of libxml2's own.
constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// One element being read: its name, the dictionary of its attributes and children, and its text so far.
struct Open {
    std::string name;
    fnd::Value dictionary = fnd::Value::dictionary();
    std::string text;
};

// The first error libxml2 reported, by line and column.
struct FirstError {
    bool seen = false;
    int code = 0;
    int line = 0;
    int column = 0;
};

void recordError(void* user, xmlErrorPtr error) {
    auto* first = static_cast<FirstError*>(user);
    if (first->seen || error == nullptr || error->level < XML_ERR_ERROR) {
        return;
    }
    *first = FirstError{true, error->code, error->line, error->int2};
}

// The byte offset of a 1-based line and column, cut to the input.
size_t offsetOf(std::span<const uint8_t> bytes, int line, int column) {
    size_t at = 0;
    for (int l = 1; l < line && at < bytes.size(); ++at) {
        if (bytes[at] == '\n') {
            ++l;
        }
    }
    at += column > 1 ? static_cast<size_t>(column - 1) : 0;
    return std::min(at, bytes.size());
}

std::string text(const xmlChar* chars) {
    return chars != nullptr ? std::string(reinterpret_cast<const char*>(chars)) : std::string();
}

// Adds `value` under `name`; a name already present becomes (or grows) an array of the values in order.
void addEntry(const fnd::Value& dictionary, const std::string& name, fnd::Value value) {
    auto entries = dictionary.asDictionary();
    const fnd::Value* existing = entries->find(name);
    if (existing == nullptr) {
        entries->setObject(std::move(value), name);
    } else if (existing->isArray()) {
        existing->asArray()->addObject(std::move(value));
    } else {
        entries->setObject(fnd::Value::array({*existing, std::move(value)}), name);
    }
}

class ReaderRun {
public:
    explicit ReaderRun(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    fnd::Result<fnd::Value> run() {
        xmlTextReaderPtr reader = xmlReaderForMemory(reinterpret_cast<const char*>(bytes_.data()),
                                                     static_cast<int>(bytes_.size()), nullptr, "UTF-8", kOptions);
        if (reader == nullptr) {
            return fnd::parseError(fnd::kParseMalformed, 0, "the XML reader could not start");
        }
        xmlTextReaderSetStructuredErrorHandler(reader, recordError, &first_);
        std::optional<fnd::Error> fault;
        int status = 0;
        while (!fault && (status = xmlTextReaderRead(reader)) == 1) {
            fault = step(reader);
        }
        const long consumed = xmlTextReaderByteConsumed(reader);
        xmlFreeTextReader(reader);
        if (fault) {
            return *fault;
        }
        if (status < 0 || first_.seen || !result_) {
            const size_t at = first_.seen ? offsetOf(bytes_, first_.line, first_.column)
                                          : std::min(bytes_.size(), static_cast<size_t>(std::max(consumed, 0L)));
            return fnd::parseError(fnd::kParseMalformed, at,
                                   "not well-formed XML (libxml2 error " + std::to_string(first_.code) + ")");
        }
        return *result_;
    }

private:
    size_t here(xmlTextReaderPtr reader) const {
        const long consumed = xmlTextReaderByteConsumed(reader);
        return std::min(bytes_.size(), static_cast<size_t>(std::max(consumed, 0L)));
    }

    std::optional<fnd::Error> step(xmlTextReaderPtr reader) {
        switch (xmlTextReaderNodeType(reader)) {
        case XML_READER_TYPE_ELEMENT:
            return openElement(reader);
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA:
        case XML_READER_TYPE_WHITESPACE:
        case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
            if (!open_.empty()) {
                open_.back().text += text(xmlTextReaderConstValue(reader));
            }
            return std::nullopt;
        case XML_READER_TYPE_END_ELEMENT:
            closeElement();
            return std::nullopt;
        default: // entity references, comments, processing instructions, the DOCTYPE
            return std::nullopt;
        }
    }

    std::optional<fnd::Error> openElement(xmlTextReaderPtr reader) {
        if (open_.size() >= ORVParser::kMaxDepth) {
            return fnd::parseError(fnd::kParseTooDeep, here(reader),
                                   "elements nested deeper than " + std::to_string(ORVParser::kMaxDepth));
        }
        if (++entries_ > ORVParser::kMaxEntries) {
            return tooMany(reader);
        }
        const bool empty = xmlTextReaderIsEmptyElement(reader) == 1;
        Open element;
        element.name = text(xmlTextReaderConstName(reader));
        while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
            if (xmlTextReaderIsNamespaceDecl(reader) == 1) {
                continue;
            }
            if (++entries_ > ORVParser::kMaxEntries) {
                return tooMany(reader);
            }
            addEntry(element.dictionary, text(xmlTextReaderConstName(reader)),
                     fnd::Value(text(xmlTextReaderConstValue(reader))));
        }
        xmlTextReaderMoveToElement(reader);
        open_.push_back(std::move(element));
        if (empty) {
            closeElement();
        }
        return std::nullopt;
    }

    fnd::Error tooMany(xmlTextReaderPtr reader) const {
        return fnd::parseError(fnd::kParseTooLarge, here(reader),
                               "more than " + std::to_string(ORVParser::kMaxEntries) + " elements and attributes");
    }

    void closeElement() {
        if (open_.empty()) {
            return;
        }
        Open element = std::move(open_.back());
        open_.pop_back();
        if (open_.empty()) {
            result_ = fnd::Value::dictionary({{element.name, element.dictionary}});
            return;
        }
        std::string trimmed = fnd::trim(element.text, fnd::CharSet::WhitespaceAndNewline);
        addEntry(open_.back().dictionary, element.name,
                 trimmed.empty() ? element.dictionary : fnd::Value(std::move(trimmed)));
    }

    std::span<const uint8_t> bytes_;
    FirstError first_;
    std::vector<Open> open_;
    size_t entries_ = 0;
    std::optional<fnd::Value> result_;
};

// The value under `key`, or the first of a repeated element's values; null when there is none.
const fnd::Value* firstEntry(const fnd::Value& dictionary, std::string_view key) {
    auto entries = dictionary.asDictionary();
    const fnd::Value* found = entries ? entries->find(key) : nullptr;
    if (found != nullptr && found->isArray()) {
        auto values = found->asArray();
        found = values->empty() ? nullptr : &values->objectAtIndex(0);
    }
    return found;
}

} // namespace

ORVParser::ORVParser() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

fnd::Result<fnd::Value> ORVParser::parse(std::span<const uint8_t> bytes) const {
    if (bytes.empty()) {
        return fnd::parseError(fnd::kParseTruncated, 0, "empty reply");
    }
    if (bytes.size() > kMaxInputBytes) {
        return fnd::parseError(fnd::kParseTooLarge, kMaxInputBytes,
                               "reply over the size limit of " + std::to_string(kMaxInputBytes) + " bytes");
    }
    return ReaderRun(bytes).run();
}

std::optional<std::string> ORVParser::stringValue(const fnd::Value& dictionary, std::string_view key) {
    const fnd::Value* found = firstEntry(dictionary, key);
    if (found == nullptr) {
        return std::nullopt;
    }
    if (const std::string* s = found->asString()) {
        return *s;
    }
    auto element = found->asDictionary();
    if (element && element->count() == 0) {
        return std::string();
    }
    return std::nullopt;
}

std::optional<int64_t> ORVParser::integerValue(const fnd::Value& dictionary, std::string_view key) {
    auto s = stringValue(dictionary, key);
    if (!s) {
        return std::nullopt;
    }
    return fnd::longLongValue(*s);
}

fnd::Value ORVParser::dictionaryValue(const fnd::Value& dictionary, std::string_view key) {
    const fnd::Value* found = firstEntry(dictionary, key);
    return found != nullptr && found->isDictionary() ? *found : fnd::Value();
}

fnd::Value ORVParser::listValue(const fnd::Value& dictionary, std::string_view key) {
    auto entries = dictionary.asDictionary();
    const fnd::Value* found = entries ? entries->find(key) : nullptr;
    if (found == nullptr) {
        return fnd::Value::array();
    }
    return found->isArray() ? *found : fnd::Value::array({*found});
}

} // namespace zelvan::orvane
