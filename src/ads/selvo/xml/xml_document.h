// XmlDocument_: a parsed XML (or HTML) document of the Selvo XML model. It owns the libxml2 tree and the
// wrappers made for its nodes, and frees both when it goes; wrappers still held elsewhere then answer as
// detached nodes.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ads/selvo/xml/xml_node.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"

struct _xmlDoc;

namespace zelvan::selvo {

class XmlElement_;

class XmlDocument_ : public XmlNode_ {
public:
    // initWithXMLString's option that parses the text as HTML.
    static constexpr int kHtmlOption = 0x200;

    // Parses reply bytes (recovering from errors where libxml2 can, never reaching the network, never
    // loading external DTDs or substituting entities). Empty bytes or a parse that gives no document fail
    // with a fnd.parse error (offset and libxml2's reason). `options` is not used.
    static fnd::Result<std::shared_ptr<XmlDocument_>> initWithData(const fnd::Bytes& data, int options = 0);
    // Parses UTF-8 text, as HTML with kHtmlOption (the HTML parser's messages silenced).
    static fnd::Result<std::shared_ptr<XmlDocument_>> initWithXMLString(std::string_view text, int options = 0);

    // Takes ownership of `doc`, which must not have a wrapper yet.
    explicit XmlDocument_(_xmlDoc* doc);
    ~XmlDocument_() override;

    std::shared_ptr<XmlElement_> rootElement() const;
    // The whole document with its XML declaration.
    fnd::Bytes XMLData() const { return XMLDataWithOptions(0); }
    fnd::Bytes XMLDataWithOptions(int options) const;
    // The root element written out, without a declaration.
    std::string XMLStringWithOptions(int options) const override;
    std::string description() const override;

    // Inserts `node` before the document's child at `index` (appends past the end); appends it.
    void insertChild(const std::shared_ptr<XmlNode_>& node, int index);
    void addChild(const std::shared_ptr<XmlNode_>& node);

    // The wrappers made for this document's nodes.
    const std::vector<std::shared_ptr<XmlNode_>>& nodePool() const { return nodePool_; }
    // Puts a wrapper in the pool (once).
    void addToPool(std::shared_ptr<XmlNode_> node);
    // Pools the wrappers already made for `node` and everything below it (a tree joining this document).
    void adoptSubtree(_xmlNode* node);

private:
    _xmlDoc* doc() const;

    std::vector<std::shared_ptr<XmlNode_>> nodePool_;
};

} // namespace zelvan::selvo
