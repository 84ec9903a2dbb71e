// HtmlTree's node operations for page scripts: lookups, new nodes, attributes, text, innerHTML
// (read as a fragment under the page caps) and moving or removing subtrees, which retires the ids
// of every node removed. Walks are iterative; appends refuse to nest deeper than the parser would.
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>

#include "platform/ui/html_document.h"
#include "platform/ui/html_tree.h"

namespace ui {

namespace {

// Script-built trees stay within this depth, so libxml2's recursive helpers stay shallow.
constexpr size_t kMaxTreeDepth = 512;

const xmlChar* xml(const std::string& s) {
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

std::string toString(xmlChar* s) {
    std::string out = s != nullptr ? reinterpret_cast<const char*>(s) : "";
    xmlFree(s);
    return out;
}

bool plainTag(std::string_view tag) {
    return !tag.empty() && tag.size() < 64 && std::all_of(tag.begin(), tag.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    });
}

// Next node in document order under `top`, or null after the last.
xmlNode* nextInOrder(xmlNode* node, const xmlNode* top, bool descend = true) {
    if (descend && node->type == XML_ELEMENT_NODE && node->children != nullptr) {
        return node->children;
    }
    while (node != nullptr && node != top && node->next == nullptr) {
        node = node->parent;
    }
    return node == nullptr || node == top ? nullptr : node->next;
}

size_t depthOf(const xmlNode* node) {
    size_t depth = 0;
    for (; node != nullptr && node->type == XML_ELEMENT_NODE; node = node->parent) {
        ++depth;
    }
    return depth;
}

size_t heightOf(xmlNode* top) {
    size_t height = 1;
    for (xmlNode* n = top->children; n != nullptr; n = nextInOrder(n, top)) {
        size_t d = 1;
        for (const xmlNode* p = n; p != top; p = p->parent) {
            ++d;
        }
        height = std::max(height, d);
    }
    return height;
}

} // namespace

HtmlNodeId HtmlTree::documentElement() {
    return idOf(root());
}

HtmlNodeId HtmlTree::body() {
    for (xmlNode* n = root()->children; n != nullptr; n = n->next) {
        if (n->type == XML_ELEMENT_NODE && xmlStrcasecmp(n->name, BAD_CAST "body") == 0) {
            return idOf(n);
        }
    }
    // A page without a body gets one, so scripts always have somewhere to add to.
    xmlNode* body = xmlNewDocNode(doc_, nullptr, BAD_CAST "body", nullptr);
    xmlAddChild(root(), body);
    return idOf(body);
}

HtmlNodeId HtmlTree::elementById(std::string_view id) {
    const std::string wanted(id);
    for (xmlNode* n = root(); n != nullptr; n = nextInOrder(n, nullptr)) {
        if (n->type == XML_ELEMENT_NODE) {
            xmlChar* value = xmlGetProp(n, BAD_CAST "id");
            const bool match = value != nullptr && wanted == reinterpret_cast<const char*>(value);
            xmlFree(value);
            if (match) {
                return idOf(n);
            }
        }
    }
    return 0;
}

std::vector<HtmlNodeId> HtmlTree::elementsByTagName(std::string_view tag, HtmlNodeId rootId) {
    std::vector<HtmlNodeId> out;
    xmlNode* top = rootId != 0 ? nodeOf(rootId) : nullptr;
    if (rootId != 0 && top == nullptr) {
        return out;
    }
    const std::string wanted(tag);
    xmlNode* n = top != nullptr ? top->children : root();
    for (; n != nullptr; n = nextInOrder(n, top)) {
        if (n->type == XML_ELEMENT_NODE && (wanted == "*" || xmlStrcasecmp(n->name, xml(wanted)) == 0)) {
            out.push_back(idOf(n));
        }
    }
    return out;
}

HtmlNodeId HtmlTree::createElement(std::string_view tag) {
    if (!plainTag(tag)) {
        return 0;
    }
    xmlNode* node = xmlNewDocNode(doc_, nullptr, xml(std::string(tag)), nullptr);
    detached_.push_back(node);
    return idOf(node);
}

HtmlNodeId HtmlTree::createTextNode(std::string_view content) {
    const std::string s(content);
    xmlNode* node = xmlNewDocTextLen(doc_, xml(s), static_cast<int>(s.size()));
    detached_.push_back(node);
    return idOf(node);
}

bool HtmlTree::isElement(HtmlNodeId id) const {
    const xmlNode* node = nodeOf(id);
    return node != nullptr && node->type == XML_ELEMENT_NODE;
}

std::string HtmlTree::tagName(HtmlNodeId id) const {
    std::string name;
    if (isElement(id)) {
        name = reinterpret_cast<const char*>(nodeOf(id)->name);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    }
    return name;
}

std::optional<std::string> HtmlTree::attribute(HtmlNodeId id, std::string_view name) const {
    if (!isElement(id)) {
        return std::nullopt;
    }
    xmlChar* value = xmlGetProp(nodeOf(id), xml(std::string(name)));
    if (value == nullptr) {
        return std::nullopt;
    }
    return toString(value);
}

void HtmlTree::setAttribute(HtmlNodeId id, std::string_view name, std::string_view value) {
    if (!isElement(id) || !plainTag(name)) {
        return;
    }
    // xmlSetProp reads entity references in the value; the text node keeps it exactly.
    xmlAttr* attr = xmlSetProp(nodeOf(id), xml(std::string(name)), nullptr);
    if (attr != nullptr) {
        const std::string v(value);
        xmlAddChild(reinterpret_cast<xmlNode*>(attr), xmlNewDocTextLen(doc_, xml(v), static_cast<int>(v.size())));
    }
    changed();
}

std::string HtmlTree::textContent(HtmlNodeId id) const {
    xmlNode* node = nodeOf(id);
    return node != nullptr ? toString(xmlNodeGetContent(node)) : std::string();
}

void HtmlTree::setTextContent(HtmlNodeId id, std::string_view content) {
    xmlNode* node = nodeOf(id);
    if (node == nullptr) {
        return;
    }
    if (node->type != XML_ELEMENT_NODE) {
        const std::string s(content);
        xmlNodeSetContentLen(node, xml(s), static_cast<int>(s.size()));
        changed();
        return;
    }
    while (node->children != nullptr) {
        freeSubtree(node->children);
    }
    const std::string s(content);
    xmlAddChild(node, xmlNewDocTextLen(doc_, xml(s), static_cast<int>(s.size())));
    changed();
}

bool HtmlTree::setInnerHtml(HtmlNodeId id, std::string_view html) {
    xmlNode* node = nodeOf(id);
    if (node == nullptr || node->type != XML_ELEMENT_NODE || html.size() > HtmlDocument::kMaxSourceBytes) {
        return false;
    }
    const std::string source = "<html><body>" + std::string(html) + "</body></html>";
    htmlDocPtr fragment = htmlReadMemory(source.data(), static_cast<int>(source.size()), nullptr, "utf-8",
                                         HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    while (node->children != nullptr) {
        freeSubtree(node->children);
    }
    if (fragment != nullptr) {
        xmlNode* fragmentRoot = xmlDocGetRootElement(fragment);
        for (xmlNode* part = fragmentRoot != nullptr ? fragmentRoot->children : nullptr; part != nullptr;
             part = part->next) {
            if (part->type == XML_ELEMENT_NODE && xmlStrcasecmp(part->name, BAD_CAST "body") == 0 &&
                part->children != nullptr && depthOf(node) + heightOf(part) <= kMaxTreeDepth) {
                xmlAddChildList(node, xmlDocCopyNodeList(doc_, part->children));
            }
        }
        xmlFreeDoc(fragment);
    }
    changed();
    return true;
}

HtmlNodeId HtmlTree::parent(HtmlNodeId id) const {
    const xmlNode* node = nodeOf(id);
    if (node == nullptr || node->parent == nullptr || node->parent->type != XML_ELEMENT_NODE) {
        return 0;
    }
    const void* p = node->parent->_private;
    return static_cast<HtmlNodeId>(reinterpret_cast<uintptr_t>(p)) != 0
               ? static_cast<HtmlNodeId>(reinterpret_cast<uintptr_t>(p))
               : const_cast<HtmlTree*>(this)->idOf(node->parent);
}

std::vector<HtmlNodeId> HtmlTree::children(HtmlNodeId id) {
    std::vector<HtmlNodeId> out;
    if (xmlNode* node = nodeOf(id); node != nullptr && node->type == XML_ELEMENT_NODE) {
        for (xmlNode* c = node->children; c != nullptr; c = c->next) {
            if (c->type == XML_ELEMENT_NODE || c->type == XML_TEXT_NODE) {
                out.push_back(idOf(c));
            }
        }
    }
    return out;
}

bool HtmlTree::appendChild(HtmlNodeId parentId, HtmlNodeId childId) {
    xmlNode* parentNode = nodeOf(parentId);
    xmlNode* child = nodeOf(childId);
    if (parentNode == nullptr || child == nullptr || parentNode->type != XML_ELEMENT_NODE) {
        return false;
    }
    for (const xmlNode* p = parentNode; p != nullptr; p = p->parent) {
        if (p == child) {
            return false;
        }
    }
    if (depthOf(parentNode) + heightOf(child) > kMaxTreeDepth) {
        return false;
    }
    detached_.erase(std::remove(detached_.begin(), detached_.end(), child), detached_.end());
    xmlUnlinkNode(child);
    // Linked by hand: xmlAddChild would merge adjacent text nodes, freeing one a script may hold.
    child->parent = parentNode;
    child->prev = parentNode->last;
    child->next = nullptr;
    if (parentNode->last != nullptr) {
        parentNode->last->next = child;
    } else {
        parentNode->children = child;
    }
    parentNode->last = child;
    changed();
    return true;
}

bool HtmlTree::removeChild(HtmlNodeId parentId, HtmlNodeId childId) {
    xmlNode* parentNode = nodeOf(parentId);
    xmlNode* child = nodeOf(childId);
    if (parentNode == nullptr || child == nullptr || child->parent != parentNode) {
        return false;
    }
    freeSubtree(child);
    changed();
    return true;
}

HtmlNodeId HtmlTree::closest(HtmlNodeId id, std::string_view tag) const {
    const std::string wanted(tag);
    for (xmlNode* n = nodeOf(id); n != nullptr && n->type == XML_ELEMENT_NODE; n = n->parent) {
        if (xmlStrcasecmp(n->name, xml(wanted)) == 0) {
            return static_cast<HtmlNodeId>(reinterpret_cast<uintptr_t>(n->_private)) != 0
                       ? static_cast<HtmlNodeId>(reinterpret_cast<uintptr_t>(n->_private))
                       : const_cast<HtmlTree*>(this)->idOf(n);
        }
    }
    return 0;
}

std::vector<std::pair<std::string, std::string>> HtmlTree::formValues(HtmlNodeId formId, HtmlNodeId submitter) {
    std::vector<std::pair<std::string, std::string>> out;
    xmlNode* form = nodeOf(formId);
    if (form == nullptr) {
        return out;
    }
    const auto get = [](xmlNode* n, const char* name) { return toString(xmlGetProp(n, BAD_CAST name)); };
    const auto has = [](xmlNode* n, const char* name) { return xmlHasProp(n, BAD_CAST name) != nullptr; };
    for (xmlNode* n = form->children; n != nullptr; n = nextInOrder(n, form)) {
        if (n->type != XML_ELEMENT_NODE || !has(n, "name") || has(n, "disabled")) {
            continue;
        }
        const std::string name = get(n, "name");
        if (xmlStrcasecmp(n->name, BAD_CAST "input") == 0) {
            std::string type = get(n, "type");
            std::transform(type.begin(), type.end(), type.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
            if (type == "submit" || type == "image" || type == "button" || type == "reset" || type == "file") {
                if (idOf(n) == submitter && type == "submit") {
                    out.emplace_back(name, get(n, "value"));
                }
            } else if (type == "checkbox" || type == "radio") {
                if (has(n, "checked")) {
                    out.emplace_back(name, has(n, "value") ? get(n, "value") : "on");
                }
            } else {
                out.emplace_back(name, get(n, "value"));
            }
        } else if (xmlStrcasecmp(n->name, BAD_CAST "button") == 0) {
            if (idOf(n) == submitter) {
                out.emplace_back(name, get(n, "value"));
            }
        } else if (xmlStrcasecmp(n->name, BAD_CAST "textarea") == 0) {
            out.emplace_back(name, toString(xmlNodeGetContent(n)));
        } else if (xmlStrcasecmp(n->name, BAD_CAST "select") == 0) {
            std::optional<std::string> chosen;
            for (xmlNode* o = n->children; o != nullptr; o = nextInOrder(o, n)) {
                if (o->type == XML_ELEMENT_NODE && xmlStrcasecmp(o->name, BAD_CAST "option") == 0 &&
                    (!chosen || has(o, "selected"))) {
                    chosen = has(o, "value") ? get(o, "value") : toString(xmlNodeGetContent(o));
                    if (has(o, "selected")) {
                        break;
                    }
                }
            }
            if (chosen) {
                out.emplace_back(name, *chosen);
            }
        }
    }
    return out;
}

void HtmlTree::forgetSubtree(xmlNode* top) {
    for (xmlNode* n = top; n != nullptr;
         n = n == top ? (top->type == XML_ELEMENT_NODE ? top->children : nullptr) : nextInOrder(n, top)) {
        if (n->_private != nullptr) {
            nodes_.erase(static_cast<HtmlNodeId>(reinterpret_cast<uintptr_t>(n->_private)));
            n->_private = nullptr;
        }
    }
}

void HtmlTree::freeSubtree(xmlNode* node) {
    forgetSubtree(node);
    xmlUnlinkNode(node);
    xmlFreeNode(node);
}

} // namespace ui
