// The Selvo XML model's creation operations: new documents, elements, namespaces, processing
// instructions, and deep copies of nodes.
#include "ads/selvo/xml/xml_libxml.h"
#include "ads/selvo/xml/xml_tree.h"

namespace zelvan::selvo {
namespace {

// Clears the back pointers a copy may have brought along from the tree it was copied from.
void clearBackPointers(xmlNode* node) {
    for (; node != nullptr; node = node->next) {
        node->_private = nullptr;
        if (node->type == XML_ELEMENT_NODE) {
            for (xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
                attribute->_private = nullptr;
                clearBackPointers(attribute->children);
            }
        }
        if (node->type != XML_ENTITY_REF_NODE) {
            clearBackPointers(node->children);
        }
    }
}

std::shared_ptr<XmlElement_> ownedElement(xmlNode* node) {
    if (node == nullptr) {
        return nullptr;
    }
    auto element = std::make_shared<XmlElement_>(node);
    element->takeOwnershipOfNode();
    node->_private = element.get();
    return element;
}

} // namespace

std::shared_ptr<XmlNode_> XmlNode_::copy() const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL || node_->type == XML_DOCUMENT_NODE) {
        return nullptr;
    }
    xmlNode* copied = node_->type == XML_ATTRIBUTE_NODE
                          ? reinterpret_cast<xmlNode*>(xmlCopyProp(nullptr, reinterpret_cast<xmlAttr*>(node_)))
                          : xmlDocCopyNode(node_, nullptr, 1);
    if (copied == nullptr) {
        return nullptr;
    }
    copied->next = nullptr;
    clearBackPointers(copied);
    std::shared_ptr<XmlNode_> wrapper =
        copied->type == XML_ELEMENT_NODE ? std::make_shared<XmlElement_>(copied) : std::make_shared<XmlNode_>(copied);
    wrapper->ownsNode_ = true;
    copied->_private = wrapper.get();
    return wrapper;
}

std::shared_ptr<XmlDocument_> XmlNode_::document() {
    xmldetail::initParser();
    xmlDoc* doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    if (doc == nullptr) {
        xmlInconsistency("xmlNewDoc failed");
        return nullptr;
    }
    return std::make_shared<XmlDocument_>(doc);
}

std::shared_ptr<XmlDocument_> XmlNode_::documentWithRootElement(const std::shared_ptr<XmlElement_>& element) {
    auto document = XmlNode_::document();
    if (!document || !element || !element->attached()) {
        return document;
    }
    if (element->node_->doc != nullptr || element->node_->parent != nullptr) {
        xmlInconsistency("Cannot addChild with a node that already is part of a document. Copy it first!");
        return document;
    }
    xmlDocSetRootElement(reinterpret_cast<xmlDoc*>(document->node_), element->node_);
    element->ownsNode_ = false;
    document->adoptSubtree(element->node_);
    return document;
}

std::shared_ptr<XmlElement_> XmlNode_::elementWithName(const std::string& name) {
    xmldetail::initParser();
    return ownedElement(xmlNewNode(nullptr, xmldetail::chars(name)));
}

std::shared_ptr<XmlElement_> XmlNode_::elementWithNameURI(const std::string& name, const std::string& uri) {
    auto element = elementWithName(name);
    if (element) {
        xmlNs* ns = xmlNewNs(element->node_, xmldetail::chars(uri), nullptr);
        xmlSetNs(element->node_, ns);
    }
    return element;
}

std::shared_ptr<XmlElement_> XmlNode_::elementWithNameStringValue(const std::string& name, const std::string& value) {
    auto element = elementWithName(name);
    if (element) {
        element->setStringValue(value);
    }
    return element;
}

std::shared_ptr<XmlNode_> XmlNode_::namespaceWithName(const std::string& name, const std::string& value) {
    xmldetail::initParser();
    xmlNs* ns = xmlNewNs(nullptr, xmldetail::chars(value), xmldetail::chars(name));
    if (ns == nullptr) {
        xmlInconsistency("xmlNewNs failed");
        return nullptr;
    }
    auto wrapper = std::make_shared<XmlNode_>(reinterpret_cast<xmlNode*>(ns));
    wrapper->ownsNode_ = true;
    return wrapper;
}

std::shared_ptr<XmlNode_> XmlNode_::processingInstructionWithName(const std::string& name, const std::string& value) {
    xmldetail::initParser();
    xmlNode* pi = xmlNewPI(xmldetail::chars(name), xmldetail::chars(value));
    if (pi == nullptr) {
        xmlInconsistency("xmlNewPI failed");
        return nullptr;
    }
    auto wrapper = std::make_shared<XmlNode_>(pi);
    wrapper->ownsNode_ = true;
    pi->_private = wrapper.get();
    return wrapper;
}

} // namespace zelvan::selvo
