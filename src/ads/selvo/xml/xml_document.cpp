// The Selvo XML model's document: parsing reply bytes and text (XML or HTML), writing it out, and owning
// the libxml2 tree with the wrappers of its nodes.
#include "ads/selvo/xml/xml_tree.h"

#include <climits>

#include "ads/selvo/xml/xml_libxml.h"
#include "platform/foundation/format.h"
#include "platform/foundation/parse_error.h"

namespace zelvan::selvo {
namespace {

// Recover from errors and keep quiet (65), never reach the network. Entities are not substituted while
// parsing, external DTDs are not loaded and libxml2's size and depth limits stay in force.
constexpr int kDataParseOptions = XML_PARSE_RECOVER | XML_PARSE_NOWARNING | XML_PARSE_NONET | XML_PARSE_NOERROR;
// Text is parsed strictly, as a plain document parse is.
constexpr int kTextParseOptions = XML_PARSE_NOWARNING | XML_PARSE_NONET | XML_PARSE_NOERROR;

void htmlparser_error(void*, const char*, ...) {}
void htmlparser_warning(void*, const char*, ...) {}

fnd::Error failure(xmlParserCtxt* context, size_t size) {
    const xmlError* error = context != nullptr ? xmlCtxtGetLastError(context) : nullptr;
    std::string reason = error != nullptr && error->message != nullptr ? error->message : "no document";
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) {
        reason.pop_back();
    }
    long consumed = context != nullptr ? xmlByteConsumed(context) : 0;
    const size_t offset = consumed < 0 ? 0 : std::min(static_cast<size_t>(consumed), size);
    fnd::ParseErrorCode code = fnd::kParseMalformed;
    if (error != nullptr && (error->code == XML_ERR_DOCUMENT_EMPTY || error->code == XML_ERR_DOCUMENT_END)) {
        code = fnd::kParseTruncated;
    }
    return fnd::parseError(code, offset, reason);
}

fnd::Result<std::shared_ptr<XmlDocument_>> parseXml(const char* bytes, size_t size, int options) {
    if (size == 0) {
        return fnd::parseError(fnd::kParseTruncated, 0, "empty document");
    }
    if (size > static_cast<size_t>(INT_MAX)) {
        return fnd::parseError(fnd::kParseTooLarge, 0, "document too large");
    }
    xmldetail::initParser();
    xmlParserCtxt* context = xmlNewParserCtxt();
    if (context == nullptr) {
        return fnd::parseError(fnd::kParseMalformed, 0, "no parser");
    }
    xmlDoc* doc = xmlCtxtReadMemory(context, bytes, static_cast<int>(size), nullptr, nullptr, options);
    if (doc == nullptr) {
        fnd::Error error = failure(context, size);
        xmlFreeParserCtxt(context);
        return error;
    }
    xmlFreeParserCtxt(context);
    return std::make_shared<XmlDocument_>(doc);
}

fnd::Result<std::shared_ptr<XmlDocument_>> parseHtml(std::string_view text) {
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        return fnd::parseError(fnd::kParseTooLarge, 0, "document too large");
    }
    xmldetail::initParser();
    htmlParserCtxt* context = htmlCreateMemoryParserCtxt(text.data(), static_cast<int>(text.size()));
    if (context == nullptr) {
        return fnd::parseError(fnd::kParseMalformed, 0, "no HTML parser");
    }
    context->sax->error = htmlparser_error;
    context->sax->warning = htmlparser_warning;
    htmlCtxtUseOptions(context, HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    htmlParseDocument(context);
    xmlDoc* doc = context->myDoc;
    context->myDoc = nullptr;
    if (doc == nullptr) {
        fnd::Error error = failure(context, text.size());
        htmlFreeParserCtxt(context);
        return error;
    }
    htmlFreeParserCtxt(context);
    return std::make_shared<XmlDocument_>(doc);
}

} // namespace

fnd::Result<std::shared_ptr<XmlDocument_>> XmlDocument_::initWithData(const fnd::Bytes& data, int /*options*/) {
    return parseXml(reinterpret_cast<const char*>(data.data()), data.size(), kDataParseOptions);
}

fnd::Result<std::shared_ptr<XmlDocument_>> XmlDocument_::initWithXMLString(std::string_view text, int options) {
    if ((options & kHtmlOption) != 0) {
        return parseHtml(text);
    }
    return parseXml(text.data(), text.size(), kTextParseOptions);
}

XmlDocument_::XmlDocument_(_xmlDoc* doc) : XmlNode_(reinterpret_cast<xmlNode*>(doc)) {
    doc->_private = static_cast<XmlNode_*>(this);
}

XmlDocument_::~XmlDocument_() {
    xmlDoc* owned = doc();
    // Wrappers held elsewhere outlive the tree as detached nodes.
    if (owned != nullptr) {
        for (xmlNode* child = owned->children; child != nullptr; child = child->next) {
            detachSubtree(child);
        }
    }
    for (auto& wrapper : nodePool_) {
        wrapper->detach();
    }
    nodePool_.clear();
    node_ = nullptr;
    if (owned != nullptr) {
        xmlFreeDoc(owned);
    }
}

_xmlDoc* XmlDocument_::doc() const {
    return reinterpret_cast<xmlDoc*>(node_);
}

std::shared_ptr<XmlElement_> XmlDocument_::rootElement() const {
    if (!attached()) {
        return nullptr;
    }
    return std::dynamic_pointer_cast<XmlElement_>(nodeWithLibXMLNode(xmlDocGetRootElement(doc())));
}

fnd::Bytes XmlDocument_::XMLDataWithOptions(int /*options*/) const {
    fnd::Bytes bytes;
    if (!attached()) {
        return bytes;
    }
    xmlChar* memory = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc(), &memory, &size);
    if (memory != nullptr) {
        bytes.assign(memory, memory + size);
        xmlFree(memory);
    }
    return bytes;
}

std::string XmlDocument_::XMLStringWithOptions(int options) const {
    auto root = rootElement();
    return root ? root->XMLStringWithOptions(options) : std::string();
}

std::string XmlDocument_::description() const {
    std::string text = fnd::format("<%@ %p [%p]> ", std::string("XmlDocument_"), static_cast<const void*>(this),
                                   static_cast<const void*>(node_));
    if (node_ != nullptr) {
        xmlChar* memory = nullptr;
        int size = 0;
        xmlDocDumpFormatMemory(doc(), &memory, &size, 1);
        if (memory != nullptr) {
            text.append(reinterpret_cast<const char*>(memory), static_cast<size_t>(size));
            xmlFree(memory);
        }
    }
    return text;
}

void XmlDocument_::insertChild(const std::shared_ptr<XmlNode_>& node, int index) {
    if (!attached() || !node || node->node_ == nullptr || node->node_->type == XML_NAMESPACE_DECL) {
        xmlInconsistency("_node should not be null");
        return;
    }
    xmlNode* before = node_->children;
    for (int at = 0; before != nullptr && at < index; ++at) {
        before = before->next;
    }
    xmlNode* added = before != nullptr ? xmlAddPrevSibling(before, node->node_) : xmlAddChild(node_, node->node_);
    if (added != node->node_) {
        node->ownsNode_ = false;
        node->detach();
        return;
    }
    node->ownsNode_ = false;
    added->_private = node.get();
    adoptSubtree(added);
}

void XmlDocument_::addToPool(std::shared_ptr<XmlNode_> node) {
    if (node && !node->pooled_) {
        node->pooled_ = true;
        nodePool_.push_back(std::move(node));
    }
}

void XmlDocument_::adoptSubtree(_xmlNode* node) {
    if (node == nullptr || node->type == XML_NAMESPACE_DECL) {
        return;
    }
    if (node->_private != nullptr) {
        addToPool(static_cast<XmlNode_*>(node->_private)->weak_from_this().lock());
    }
    if (node->type == XML_ELEMENT_NODE) {
        for (xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
            adoptSubtree(reinterpret_cast<xmlNode*>(attribute));
        }
    }
    if (node->type != XML_ENTITY_REF_NODE) {
        for (xmlNode* child = node->children; child != nullptr; child = child->next) {
            adoptSubtree(child);
        }
    }
}

void XmlDocument_::addChild(const std::shared_ptr<XmlNode_>& node) {
    insertChild(node, INT_MAX);
}

} // namespace zelvan::selvo
