// The Selvo XML model's element: children by name, attributes, and building trees.
#include "ads/selvo/xml/xml_tree.h"

#include "ads/selvo/xml/xml_libxml.h"
#include "platform/foundation/format.h"

namespace zelvan::selvo {

XmlNode_::Nodes XmlElement_::elementsForName(std::string_view name) const {
    Nodes nodes;
    if (!attached()) {
        return nodes;
    }
    for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && std::string_view(reinterpret_cast<const char*>(child->name)) == name) {
            if (auto wrapper = nodeWithLibXMLNode(child)) {
                nodes.push_back(std::move(wrapper));
            }
        }
    }
    return nodes;
}

XmlNode_::Nodes XmlElement_::attributes() const {
    Nodes nodes;
    if (!attached()) {
        return nodes;
    }
    for (xmlAttr* attribute = node_->properties; attribute != nullptr; attribute = attribute->next) {
        if (auto wrapper = nodeWithLibXMLNode(reinterpret_cast<xmlNode*>(attribute))) {
            nodes.push_back(std::move(wrapper));
        }
    }
    return nodes;
}

std::shared_ptr<XmlNode_> XmlElement_::attributeForName(std::string_view name) const {
    if (!attached()) {
        return nullptr;
    }
    for (xmlAttr* attribute = node_->properties; attribute != nullptr; attribute = attribute->next) {
        if (std::string_view(reinterpret_cast<const char*>(attribute->name)) == name) {
            return nodeWithLibXMLNode(reinterpret_cast<xmlNode*>(attribute));
        }
    }
    return nullptr;
}

void XmlElement_::addChild(const std::shared_ptr<XmlNode_>& child) {
    if (!child || node_ == nullptr || child->node_ == nullptr) {
        xmlInconsistency("_node should not be null");
        return;
    }
    if (child->node_->type == XML_NAMESPACE_DECL || child->node_->doc != nullptr || child->node_->parent != nullptr) {
        xmlInconsistency("Cannot addChild with a node that already is part of a document. Copy it first!");
        return;
    }
    xmlNode* added = xmlAddChild(node_, child->node_);
    if (added != child->node_) {
        // libxml2 merged the text into a neighbour and freed the node.
        child->ownsNode_ = false;
        child->detach();
        return;
    }
    child->ownsNode_ = false;
    if (node_->doc != nullptr && node_->doc->_private != nullptr) {
        if (auto* document = dynamic_cast<XmlDocument_*>(static_cast<XmlNode_*>(node_->doc->_private))) {
            document->adoptSubtree(added);
        }
    }
}

void XmlElement_::addNamespace(const std::shared_ptr<XmlNode_>& ns) {
    if (!attached() || !ns || ns->node_ == nullptr || ns->node_->type != XML_NAMESPACE_DECL) {
        xmlInconsistency("_node should not be null");
        return;
    }
    auto* declaration = reinterpret_cast<xmlNs*>(ns->node_);
    if (ns->ownsNode_) {
        // The element's declarations take the namespace over, so it lives as long as the element.
        declaration->next = node_->nsDef;
        node_->nsDef = declaration;
        ns->ownsNode_ = false;
    }
    xmlSetNs(node_, declaration);
}

void XmlElement_::setStringValue(std::string_view value) {
    if (!attached()) {
        return;
    }
    const std::string text(value);
    xmlNode* textNode = xmlNewDocText(node_->doc, xmldetail::chars(text));
    if (textNode != nullptr && xmlAddChild(node_, textNode) == nullptr) {
        xmlFreeNode(textNode);
    }
}

std::shared_ptr<XmlElement_> XmlElement_::subelement(const std::string& name) {
    if (!attached()) {
        return nullptr;
    }
    xmlNode* child = xmlNewChild(node_, nullptr, xmldetail::chars(name), nullptr);
    return std::dynamic_pointer_cast<XmlElement_>(nodeWithLibXMLNode(child));
}

std::string XmlElement_::description() const {
    return fnd::format("<%@ %p [%p] %@ %@>", std::string("XmlElement_"), static_cast<const void*>(this),
                       static_cast<const void*>(node_), name().value_or("(null)"), XMLString());
}

} // namespace zelvan::selvo
