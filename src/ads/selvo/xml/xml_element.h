// XmlElement_: the Selvo XML model's element: its element children by name, its attributes, and the
// operations that build new trees.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ads/selvo/xml/xml_node.h"

namespace zelvan::selvo {

class XmlElement_ : public XmlNode_ {
public:
    explicit XmlElement_(_xmlNode* node) : XmlNode_(node) {}

    // The element children named exactly `name`, in document order.
    Nodes elementsForName(std::string_view name) const;
    // The attributes in order; the first attribute named exactly `name`, or none.
    Nodes attributes() const;
    std::shared_ptr<XmlNode_> attributeForName(std::string_view name) const;

    // Appends `child` (a node in no document yet) as the last child.
    void addChild(const std::shared_ptr<XmlNode_>& child);
    // Makes `ns` (from namespaceWithName) this element's namespace.
    void addNamespace(const std::shared_ptr<XmlNode_>& ns);
    // Appends a text child holding `value`.
    void setStringValue(std::string_view value) override;
    // Appends a new element named `name` and returns it.
    std::shared_ptr<XmlElement_> subelement(const std::string& name);

    std::string description() const override;
};

} // namespace zelvan::selvo
