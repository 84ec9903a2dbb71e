// HtmlTree's node table and its writers: the markup handed to layout (depth-capped, with node ids
// and form fields as value boxes) and innerHTML. Every walk follows the tree's own links instead
// of recursing, so a deep tree costs no stack.
#include "platform/ui/html_tree.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/foundation/string_ops.h"

namespace ui {

namespace {

const char* text(const xmlChar* s) {
    return s != nullptr ? reinterpret_cast<const char*>(s) : "";
}

bool isVoidElement(std::string_view name) {
    static constexpr std::array<std::string_view, 14> kVoid = {
        "area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param", "source", "track", "wbr"};
    return std::find(kVoid.begin(), kVoid.end(), name) != kVoid.end();
}

void appendEscaped(std::string& out, std::string_view s, bool attributeValue) {
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += attributeValue ? "&quot;" : "\"";
            break;
        default:
            out += c;
        }
    }
}

std::optional<std::string> prop(const xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) {
        return std::nullopt;
    }
    std::string out(text(value));
    xmlFree(value);
    return out;
}

// Attribute names the layout engine may read back safely: letters, digits, '-', '_', ':'.
bool plainName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               c == ':';
    });
}

void appendAttributes(std::string& out, const xmlNode* node) {
    for (const xmlAttr* a = node->properties; a != nullptr; a = a->next) {
        const std::string_view name = text(a->name);
        if (!plainName(name) || name == HtmlTree::kNodeAttribute) {
            continue;
        }
        xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
        out += ' ';
        out += name;
        out += "=\"";
        appendEscaped(out, text(value), true);
        out += '"';
        xmlFree(value);
    }
}

// What a form field shows in its box.
std::string fieldText(const xmlNode* input, const std::string& type) {
    const std::string value = prop(input, "value").value_or("");
    if (type == "submit") {
        return value.empty() ? "Submit" : value;
    }
    if (type == "checkbox") {
        return prop(input, "checked") ? "\xE2\x98\x91" : "\xE2\x98\x90"; // ballot box, checked or not
    }
    if (type == "radio") {
        return prop(input, "checked") ? "\xE2\x97\x89" : "\xE2\x97\x8B"; // fisheye or circle
    }
    if (type == "password") {
        std::string dots;
        for (unsigned char c : value) {
            if ((c & 0xC0) != 0x80) {
                dots += "\xE2\x80\xA2"; // one bullet per character
            }
        }
        return dots;
    }
    return value;
}

// The text of the selected <option> of a <select> (else its first).
std::string selectedOption(xmlNode* select) {
    std::string first;
    bool haveFirst = false;
    for (xmlNode* n = select->children; n != nullptr;) {
        if (n->type == XML_ELEMENT_NODE && xmlStrcasecmp(n->name, BAD_CAST "option") == 0) {
            xmlChar* content = xmlNodeGetContent(n);
            std::string label(text(content));
            xmlFree(content);
            if (prop(n, "selected")) {
                return label;
            }
            if (!haveFirst) {
                first = std::move(label);
                haveFirst = true;
            }
        }
        if (n->type == XML_ELEMENT_NODE && xmlStrcasecmp(n->name, BAD_CAST "optgroup") == 0 && n->children) {
            n = n->children;
            continue;
        }
        while (n != nullptr && n->next == nullptr) {
            n = n->parent == select ? nullptr : n->parent;
        }
        n = n != nullptr ? n->next : nullptr;
    }
    return first;
}

struct WriteOptions {
    bool forLayout = false;
    size_t maxBytes = std::string::npos;
    bool truncated = false;
};

// The first `limit` bytes of `text`, not splitting a UTF-8 sequence.
std::string_view utf8Prefix(std::string_view text, size_t limit) {
    if (limit >= text.size()) {
        return text;
    }
    while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80) {
        --limit;
    }
    return text.substr(0, limit);
}

} // namespace

HtmlTree::HtmlTree(_xmlDoc* doc) : doc_(doc) {
    if (doc_ == nullptr) {
        doc_ = htmlNewDocNoDtD(nullptr, nullptr);
    }
    if (root() == nullptr) {
        xmlDocSetRootElement(doc_, xmlNewDocNode(doc_, nullptr, BAD_CAST "html", nullptr));
    }
}

HtmlTree::~HtmlTree() {
    for (xmlNode* node : detached_) {
        xmlFreeNode(node);
    }
    xmlFreeDoc(doc_);
}

xmlNode* HtmlTree::root() const {
    return xmlDocGetRootElement(doc_);
}

HtmlNodeId HtmlTree::idOf(xmlNode* node) {
    if (node == nullptr) {
        return 0;
    }
    if (node->_private == nullptr) {
        const HtmlNodeId id = nextId_++;
        node->_private = reinterpret_cast<void*>(static_cast<uintptr_t>(id));
        nodes_[id] = node;
    }
    return static_cast<HtmlNodeId>(reinterpret_cast<uintptr_t>(node->_private));
}

xmlNode* HtmlTree::nodeOf(HtmlNodeId id) const {
    auto it = nodes_.find(id);
    return it != nodes_.end() ? it->second : nullptr;
}

void HtmlTree::changed() {
    ++revision_;
    if (onChange_) {
        onChange_();
    }
}

namespace {

// Writes `top`'s children (or `top` itself with `self`) as HTML.
template <class IdOf>
void writeNodes(std::string& out, xmlNode* top, bool self, WriteOptions& options, IdOf&& idOf) {
    struct Open {
        xmlNode* node;
        bool wroteTag;
    };
    std::vector<Open> open; // the elements the walk is inside
    const auto close = [&out](const xmlNode* element) { out += "</" + fnd::lowerAscii(text(element->name)) + ">"; };
    xmlNode* const start = self ? top : top->children;
    xmlNode* node = start;
    while (node != nullptr) {
        bool descend = false;
        bool wroteTag = false;
        if (out.size() >= options.maxBytes) {
            options.truncated = true;
            for (auto it = open.rbegin(); it != open.rend(); ++it) {
                if (it->wroteTag) {
                    close(it->node);
                }
            }
            return;
        }
        if (node->type == XML_ELEMENT_NODE) {
            const std::string name = fnd::lowerAscii(text(node->name));
            const bool flat = options.forLayout && open.size() + 1 > HtmlTree::kMaxLayoutDepth;
            if (options.forLayout && (name == "script" || name == "noscript" || !plainName(name))) {
                // left out
            } else if (options.forLayout && (name == "input" || name == "select")) {
                const std::string type =
                    name == "select" ? "select" : fnd::lowerAscii(prop(node, "type").value_or("text"));
                if (type != "hidden") {
                    out += "<z-input";
                    appendAttributes(out, node);
                    if (name == "select") {
                        out += " type=\"select\"";
                    }
                    out += std::string(" ") + HtmlTree::kNodeAttribute + "=\"" + std::to_string(idOf(node)) + "\">";
                    appendEscaped(out, name == "select" ? selectedOption(node) : fieldText(node, type), false);
                    out += "</z-input>";
                }
            } else if (flat) {
                descend = true;
            } else {
                out += '<';
                out += name;
                appendAttributes(out, node);
                if (options.forLayout) {
                    out += std::string(" ") + HtmlTree::kNodeAttribute + "=\"" + std::to_string(idOf(node)) + "\"";
                }
                out += '>';
                if (isVoidElement(name)) {
                    // no content, no close tag
                } else if (options.forLayout && name == "iframe") {
                    close(node); // frames draw as empty boxes
                } else {
                    descend = true;
                    wroteTag = true;
                }
            }
        } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            const xmlNode* parent = node->parent;
            const bool raw = parent != nullptr && parent->type == XML_ELEMENT_NODE &&
                             (xmlStrcasecmp(parent->name, BAD_CAST "style") == 0 ||
                              xmlStrcasecmp(parent->name, BAD_CAST "script") == 0);
            std::string_view content = text(node->content);
            if (out.size() + content.size() > options.maxBytes) {
                content = utf8Prefix(content, options.maxBytes - out.size());
            }
            if (raw) {
                out += content;
            } else {
                appendEscaped(out, content, false);
            }
        } else if (node->type == XML_COMMENT_NODE && !options.forLayout) {
            out += "<!--";
            out += text(node->content);
            out += "-->";
        }
        if (descend && node->children != nullptr) {
            open.push_back(Open{node, wroteTag});
            node = node->children;
            continue;
        }
        if (wroteTag) {
            close(node);
        }
        // On to the next sibling, closing each element the walk leaves.
        while (node != nullptr) {
            if (self && node == start) {
                node = nullptr;
            } else if (node->next != nullptr) {
                node = node->next;
                break;
            } else if (open.empty()) {
                node = nullptr;
            } else {
                const Open left = open.back();
                open.pop_back();
                if (left.wroteTag) {
                    close(left.node);
                }
                node = left.node;
            }
        }
    }
}

} // namespace

std::string HtmlTree::layoutMarkup(bool* truncated) {
    std::string out;
    out.reserve(4096);
    out += "<!DOCTYPE html>";
    WriteOptions options{true, kMaxLayoutBytes};
    writeNodes(out, root(), true, options, [this](xmlNode* n) { return idOf(n); });
    if (truncated != nullptr) {
        *truncated = options.truncated;
    }
    return out;
}

std::string HtmlTree::innerHtml(HtmlNodeId id) const {
    std::string out;
    if (xmlNode* node = nodeOf(id); node != nullptr && node->type == XML_ELEMENT_NODE) {
        WriteOptions options;
        writeNodes(out, node, false, options, [](xmlNode*) { return HtmlNodeId{0}; });
    }
    return out;
}

} // namespace ui
