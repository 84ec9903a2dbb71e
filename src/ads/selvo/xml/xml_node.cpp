// The Selvo XML model's node wrapper: the wrapper factory, tree walking, text with bounded entity
// expansion, and XPath.
#include "ads/selvo/xml/xml_tree.h"

#include <mutex>

#include "ads/selvo/xml/selvo_log_channel.h"
#include "ads/selvo/xml/xml_libxml.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

namespace zelvan::selvo {

namespace xmldetail {

void initParser() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

} // namespace xmldetail

namespace {

// Entity references nested deeper than this inside one another are left as "&name;".
constexpr int kEntityDepthLimit = 32;

// Collects the text of a child list the way libxml2 does with entity substitution on, but bounded: at most
// kEntityExpansionLimit bytes come out of references and kEntityVisitLimit nodes are walked inside them;
// past either bound a reference is written as "&name;".
struct TextCollector {
    xmlDoc* doc = nullptr;
    std::string out;
    bool any = false;
    size_t expanded = 0;
    size_t visits = 0;
    bool exhausted = false;

    void walk(xmlNode* list, int depth) {
        for (xmlNode* node = list; node != nullptr; node = node->next) {
            if (depth > 0 && (exhausted || ++visits > XmlNode_::kEntityVisitLimit)) {
                exhausted = true;
                return;
            }
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
                append(node->content, depth > 0);
            } else if (node->type == XML_ENTITY_REF_NODE) {
                reference(node, depth);
            }
        }
    }

    void append(const xmlChar* content, bool fromEntity) {
        if (content == nullptr) {
            return;
        }
        any = true;
        std::string_view piece(reinterpret_cast<const char*>(content));
        if (fromEntity) {
            const size_t room = XmlNode_::kEntityExpansionLimit - expanded;
            if (piece.size() > room) {
                // Cut at a character boundary.
                size_t cut = room;
                while (cut > 0 && (static_cast<unsigned char>(piece[cut]) & 0xC0) == 0x80) {
                    --cut;
                }
                piece = piece.substr(0, cut);
                exhausted = true;
            }
            expanded += piece.size();
        }
        out.append(piece);
    }

    void reference(xmlNode* node, int depth) {
        xmlEntity* entity = doc != nullptr ? xmlGetDocEntity(doc, node->name) : nullptr;
        if (entity == nullptr) {
            append(node->content, depth > 0);
            return;
        }
        if (exhausted || depth >= kEntityDepthLimit) {
            any = true;
            out += "&";
            out += reinterpret_cast<const char*>(node->name);
            out += ";";
            return;
        }
        walk(entity->children, depth + 1);
    }
};

void silentXPathError(void*, xmlError*) {}

} // namespace

void XmlNode_::detachSubtree(_xmlNode* node) {
    if (node == nullptr || node->type == XML_NAMESPACE_DECL) {
        return;
    }
    if (node->_private != nullptr) {
        static_cast<XmlNode_*>(node->_private)->detach();
        node->_private = nullptr;
    }
    if (node->type == XML_ELEMENT_NODE) {
        for (xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
            detachSubtree(reinterpret_cast<xmlNode*>(attribute));
        }
    }
    if (node->type != XML_ENTITY_REF_NODE) {
        for (xmlNode* child = node->children; child != nullptr; child = child->next) {
            detachSubtree(child);
        }
    }
}

void xmlInconsistency(std::string_view what) {
    ZLOG_TO(kSelvoLog, Warn, "%@", std::string(what));
}

std::shared_ptr<XmlNode_> XmlNode_::nodeWithLibXMLNode(_xmlNode* node) {
    if (node == nullptr || node->type == XML_NAMESPACE_DECL) {
        return nullptr;
    }
    if (node->_private != nullptr) {
        return static_cast<XmlNode_*>(node->_private)->weak_from_this().lock();
    }
    std::shared_ptr<XmlNode_> wrapper;
    switch (node->type) {
    case XML_ELEMENT_NODE:
        wrapper = std::make_shared<XmlElement_>(node);
        break;
    case XML_ATTRIBUTE_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
        wrapper = std::make_shared<XmlNode_>(node);
        break;
    default:
        // Documents are wrapped when made (a document without its wrapper has no owner to hand it to);
        // entity references, entities, processing instructions and the rest are not wrapped.
        return nullptr;
    }
    node->_private = wrapper.get();
    if (node->doc != nullptr && node->doc->_private != nullptr) {
        if (auto* document = dynamic_cast<XmlDocument_*>(static_cast<XmlNode_*>(node->doc->_private))) {
            document->addToPool(wrapper);
        }
    }
    return wrapper;
}

XmlNode_::~XmlNode_() {
    if (node_ == nullptr) {
        return;
    }
    if (node_->type == XML_NAMESPACE_DECL) {
        if (ownsNode_) {
            xmlFreeNs(reinterpret_cast<xmlNs*>(node_));
        }
        return;
    }
    if (node_->_private == this) {
        node_->_private = nullptr;
    }
    if (ownsNode_ && node_->parent == nullptr && node_->doc == nullptr) {
        // Wrappers of nodes below, held elsewhere, outlive the tree as detached nodes.
        xmlNode* owned = node_;
        detachSubtree(owned);
        xmlFreeNode(owned);
    }
}

bool XmlNode_::attached() const {
    if (node_ == nullptr) {
        xmlInconsistency("XmlNode does not have attached libxml2 _node.");
        return false;
    }
    return true;
}

int XmlNode_::kind() const {
    return attached() ? static_cast<int>(node_->type) : 0;
}

std::optional<std::string> XmlNode_::name() const {
    if (!attached()) {
        return std::nullopt;
    }
    if (node_->type == XML_NAMESPACE_DECL) {
        return xmldetail::text(reinterpret_cast<xmlNs*>(node_)->prefix);
    }
    return xmldetail::text(node_->name);
}

std::optional<std::string> XmlNode_::prefix() const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL || node_->type == XML_DOCUMENT_NODE || node_->ns == nullptr) {
        return std::nullopt;
    }
    return xmldetail::text(node_->ns->prefix);
}

std::optional<std::string> XmlNode_::URI() const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL || node_->type == XML_DOCUMENT_NODE || node_->ns == nullptr) {
        return std::nullopt;
    }
    return xmldetail::text(node_->ns->href);
}

std::optional<std::string> XmlNode_::stringValue() const {
    if (!attached()) {
        return std::nullopt;
    }
    if (node_->type == XML_TEXT_NODE) {
        return xmldetail::text(node_->content);
    }
    if (node_->type == XML_NAMESPACE_DECL) {
        return xmldetail::text(reinterpret_cast<xmlNs*>(node_)->href);
    }
    TextCollector collector;
    collector.doc = node_->doc;
    collector.walk(node_->children, 0);
    return collector.any ? std::optional<std::string>(std::move(collector.out)) : std::nullopt;
}

void XmlNode_::setStringValue(std::string_view) {
    xmlInconsistency("setStringValue is not supported on a plain XmlNode");
}

int XmlNode_::index() const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL) {
        return 0;
    }
    int count = 0;
    for (xmlNode* sibling = node_->prev; sibling != nullptr; sibling = sibling->prev) {
        ++count;
    }
    return count;
}

int XmlNode_::level() const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL) {
        return 0;
    }
    int count = 0;
    for (xmlNode* ancestor = node_->parent; ancestor != nullptr; ancestor = ancestor->parent) {
        ++count;
    }
    return count;
}

int XmlNode_::childCount() const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL) {
        return 0;
    }
    int count = 0;
    for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
        ++count;
    }
    return count;
}

XmlNode_::Nodes XmlNode_::children() const {
    Nodes nodes;
    if (!attached() || node_->type == XML_NAMESPACE_DECL) {
        return nodes;
    }
    for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
        if (auto wrapper = nodeWithLibXMLNode(child)) {
            nodes.push_back(std::move(wrapper));
        }
    }
    return nodes;
}

std::shared_ptr<XmlNode_> XmlNode_::childAtIndex(int index) const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL || index < 0) {
        return nullptr;
    }
    xmlNode* child = node_->children;
    for (int at = 0; child != nullptr && at < index; ++at) {
        child = child->next;
    }
    return nodeWithLibXMLNode(child);
}

std::shared_ptr<XmlNode_> XmlNode_::previousSibling() const {
    return attached() && node_->type != XML_NAMESPACE_DECL ? nodeWithLibXMLNode(node_->prev) : nullptr;
}

std::shared_ptr<XmlNode_> XmlNode_::nextSibling() const {
    return attached() && node_->type != XML_NAMESPACE_DECL ? nodeWithLibXMLNode(node_->next) : nullptr;
}

std::shared_ptr<XmlNode_> XmlNode_::parent() const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL || node_->parent == nullptr ||
        node_->parent->_private == nullptr) {
        return nullptr;
    }
    return static_cast<XmlNode_*>(node_->parent->_private)->weak_from_this().lock();
}

std::shared_ptr<XmlDocument_> XmlNode_::rootDocument() const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL || node_->doc == nullptr || node_->doc->_private == nullptr) {
        return nullptr;
    }
    return std::dynamic_pointer_cast<XmlDocument_>(
        static_cast<XmlNode_*>(node_->doc->_private)->weak_from_this().lock());
}

std::string XmlNode_::description() const {
    return fnd::format("<%@ %p [%p] %@ %@>", std::string("XmlNode_"), static_cast<const void*>(this),
                       static_cast<const void*>(node_), name().value_or("(null)"), XMLString());
}

fnd::Result<XmlNode_::Nodes>
XmlNode_::nodesForXPath(std::string_view xpath, const std::map<std::string, std::string>& namespaceMappings) const {
    Nodes nodes;
    if (!attached() || node_->type == XML_NAMESPACE_DECL || node_->doc == nullptr) {
        return nodes;
    }
    xmlXPathContext* context = xmlXPathNewContext(node_->doc);
    if (context == nullptr) {
        return nodes;
    }
    context->error = silentXPathError;
    context->node = node_;
    for (const auto& [prefix, uri] : namespaceMappings) {
        xmlXPathRegisterNs(context, xmldetail::chars(prefix), xmldetail::chars(uri));
    }
    const std::string expression(xpath);
    xmlXPathObject* result = xmlXPathEvalExpression(xmldetail::chars(expression), context);
    if (result == nullptr) {
        const char* reason = context->lastError.message;
        std::string text = reason != nullptr ? reason : "XPath expression cannot be evaluated";
        while (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        xmlXPathFreeContext(context);
        return fnd::parseError(fnd::kParseMalformed, 0, text);
    }
    if (result->nodesetval != nullptr) {
        for (int at = 0; at < result->nodesetval->nodeNr; ++at) {
            if (auto wrapper = nodeWithLibXMLNode(result->nodesetval->nodeTab[at])) {
                nodes.push_back(std::move(wrapper));
            }
        }
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    return nodes;
}

} // namespace zelvan::selvo
