// The Selvo XML model's markup writer: elements, attributes and text as the ad client writes them out.
#include <array>
#include <string_view>

#include "ads/selvo/xml/xml_libxml.h"
#include "ads/selvo/xml/xml_tree.h"
#include "platform/foundation/format.h"

namespace zelvan::selvo {
namespace {

// Elements that close themselves when they have no children.
constexpr std::array<std::string_view, 10> kVoidNames = {"br", "area",  "link", "img",  "param",
                                                         "hr", "input", "col",  "base", "meta"};

void appendValue(std::string& out, const std::string& value) {
    for (char c : value) {
        if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
}

void appendNode(std::string& out, xmlNode* node) {
    switch (node->type) {
    case XML_ELEMENT_NODE: {
        const std::string name = reinterpret_cast<const char*>(node->name);
        out += "<";
        out += name;
        for (xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
            appendNode(out, reinterpret_cast<xmlNode*>(attribute));
        }
        if (node->children == nullptr) {
            for (std::string_view voidName : kVoidNames) {
                if (name == voidName) {
                    out += "/>";
                    return;
                }
            }
        }
        out += ">";
        for (xmlNode* child = node->children; child != nullptr; child = child->next) {
            appendNode(out, child);
        }
        out += fnd::format("</%@>", name);
        return;
    }
    case XML_ATTRIBUTE_NODE: {
        out += " ";
        out += reinterpret_cast<const char*>(node->name);
        out += "=\"";
        // The attribute's value, entity references expanded within the same bound as stringValue.
        XmlNode_ view(node);
        appendValue(out, view.stringValue().value_or(std::string()));
        out += "\"";
        return;
    }
    case XML_TEXT_NODE:
        if (node->content != nullptr) {
            out += reinterpret_cast<const char*>(node->content);
        }
        return;
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
        return;
    default:
        xmlInconsistency(fnd::format("TODO not implemented type (%d).", static_cast<int>(node->type)));
        return;
    }
}

} // namespace

std::string XmlNode_::XMLStringWithOptions(int /*options*/) const {
    std::string out;
    appendXMLString(out);
    return out;
}

void XmlNode_::appendXMLString(std::string& out) const {
    if (!attached() || node_->type == XML_NAMESPACE_DECL) {
        return;
    }
    appendNode(out, node_);
}

} // namespace zelvan::selvo
