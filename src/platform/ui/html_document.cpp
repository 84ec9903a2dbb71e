// Reading a page with libxml2's HTML push parser and walking the recovered tree without recursion,
// so deep or malformed markup costs neither stack nor trust.
#include "platform/ui/html_document.h"

#include <libxml/HTMLparser.h>
#include <libxml/encoding.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace ui {

namespace {

// The source goes to the push parser in pieces of this size.
constexpr size_t kChunkBytes = 64 * 1024;

void initLibxml() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

bool nameIs(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && node->name != nullptr &&
           xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

// An attribute's value, or nullopt when the element does not have it.
std::optional<std::string> attribute(const xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) {
        return std::nullopt;
    }
    std::string out(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return out;
}

std::string textContent(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    if (content == nullptr) {
        return {};
    }
    std::string out(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return out;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string collapseWhiteSpace(std::string_view text) {
    std::string out;
    bool pendingSpace = false;
    for (char c : text) {
        if (isSpace(c)) {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) {
            out += ' ';
            pendingSpace = false;
        }
        out += c;
    }
    return out;
}

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct CtxtFree {
    void operator()(htmlParserCtxt* ctxt) const { htmlFreeParserCtxt(ctxt); }
};

} // namespace

std::optional<HtmlDocument> HtmlDocument::parse(std::string_view source, std::string_view encodingName) {
    if (source.size() > kMaxSourceBytes) {
        ZLOG(Warn, "HtmlDocument: refused a page of %lld bytes (limit %lld)", static_cast<long long>(source.size()),
             static_cast<long long>(kMaxSourceBytes));
        return std::nullopt;
    }
    HtmlDocument document;
    document.source_ = std::string(source);
    if (source.empty()) {
        return document;
    }
    initLibxml();
    std::unique_ptr<htmlParserCtxt, CtxtFree> ctxt(
        htmlCreatePushParserCtxt(nullptr, nullptr, nullptr, 0, nullptr, XML_CHAR_ENCODING_NONE));
    if (ctxt == nullptr) {
        ZLOG(Error, "HtmlDocument: libxml2 could not create a parser");
        return std::nullopt;
    }
    htmlCtxtUseOptions(ctxt.get(), HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    if (!encodingName.empty()) {
        const std::string name(encodingName);
        xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(name.c_str());
        if (handler != nullptr) {
            xmlSwitchToEncoding(ctxt.get(), handler);
        } else {
            ZLOG(Warn, "HtmlDocument: unknown text encoding \"%s\"; reading with the page's own",
                 fnd::logPreview(name));
        }
    }
    for (size_t offset = 0; offset < source.size(); offset += kChunkBytes) {
        const size_t size = std::min(kChunkBytes, source.size() - offset);
        htmlParseChunk(ctxt.get(), source.data() + offset, static_cast<int>(size), 0);
    }
    htmlParseChunk(ctxt.get(), nullptr, 0, 1);
    std::unique_ptr<xmlDoc, DocFree> doc(ctxt->myDoc);
    ctxt->myDoc = nullptr;
    if (doc == nullptr) {
        return document; // nothing the parser could read as markup: an empty page
    }

    bool haveTitle = false;
    bool haveBody = false;
    // Depth-first in document order, by the tree's own links.
    const xmlNode* const top = reinterpret_cast<const xmlNode*>(doc.get());
    const xmlNode* node = top->children;
    while (node != nullptr) {
        bool descend = node->type == XML_ELEMENT_NODE;
        if (nameIs(node, "title")) {
            if (!haveTitle) {
                document.title_ = collapseWhiteSpace(textContent(node));
                haveTitle = true;
            }
            descend = false;
        } else if (nameIs(node, "base")) {
            if (document.baseHref_.empty()) {
                document.baseHref_ = attribute(node, "href").value_or("");
            }
        } else if (nameIs(node, "script")) {
            document.scripts_.push_back(HtmlScript{textContent(node), attribute(node, "src").value_or("")});
            descend = false;
        } else if (nameIs(node, "body")) {
            if (!haveBody) {
                document.bodyOnload_ = attribute(node, "onload").value_or("");
                haveBody = true;
            }
        } else if (nameIs(node, "a")) {
            if (auto href = attribute(node, "href")) {
                document.links_.push_back(std::move(*href));
            }
        } else if (nameIs(node, "iframe")) {
            if (auto src = attribute(node, "src")) {
                document.frames_.push_back(std::move(*src));
            }
        }
        if (descend && node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node->next == nullptr) {
            node = node->parent == top ? nullptr : node->parent;
        }
        if (node != nullptr) {
            node = node->next;
        }
    }
    document.tree_ = std::make_shared<HtmlTree>(doc.release());
    return document;
}

const std::shared_ptr<HtmlTree>& HtmlDocument::tree() const {
    if (!tree_) {
        tree_ = std::make_shared<HtmlTree>(nullptr);
    }
    return tree_;
}

} // namespace ui
