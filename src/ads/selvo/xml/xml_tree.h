// The Selvo client's XML document model: XmlNode_, the wrapper of one libxml2 node, and its two kinds with
// more to them, XmlElement_ and XmlDocument_. They are one unit (a node makes the wrapper of the right kind
// and knows its document's pool; an element adopts its new children into its document), so they share this
// header; each class's operations are in its own source file (xml_node*.cpp, xml_element.cpp,
// xml_document.cpp). libxml2 stays behind these classes.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"

struct _xmlNode;
struct _xmlDoc;

namespace zelvan::selvo {

class XmlDocument_;
class XmlElement_;

// libxml2's node kinds that callers compare with.
enum XmlNodeKind : int {
    XmlElementKind = 1,
    XmlAttributeKind = 2,
    XmlTextKind = 3,
    XmlCDataKind = 4,
    XmlEntityRefKind = 5,
    XmlEntityKind = 6,
    XmlProcessingInstructionKind = 7,
    XmlCommentKind = 8,
    XmlDocumentKind = 9,
    XmlNamespaceKind = 18,
};

// XmlNode_: the Selvo client's wrapper of one libxml2 node. Each wrapped node points back at its one
// wrapper, so asking twice for a node gives the same object; the wrappers of a document's nodes belong to
// the document's pool. Walks the tree, reads text (entity references expanded within a bound) and
// evaluates XPath relative to the node.
class XmlNode_ : public std::enable_shared_from_this<XmlNode_> {
public:
    using Nodes = std::vector<std::shared_ptr<XmlNode_>>;

    // The most text one stringValue() call writes out of entity references; past it a reference stays
    // "&name;". So does one met after kEntityVisitLimit nodes of entity text have been walked.
    static constexpr size_t kEntityExpansionLimit = 1 << 20;
    static constexpr size_t kEntityVisitLimit = 1 << 20;

    // The wrapper of `node`: the one it already has, else a new one (kept in its document's pool when the
    // node is in a document; held by the caller while the node is in none, and pooled when its tree joins
    // a document). Elements, attributes, text, CDATA, comments and documents are
    // wrapped; other kinds give null.
    static std::shared_ptr<XmlNode_> nodeWithLibXMLNode(_xmlNode* node);
    // A wrapper over `node` that does not register itself.
    explicit XmlNode_(_xmlNode* node) : node_(node) {}
    virtual ~XmlNode_();
    XmlNode_(const XmlNode_&) = delete;
    XmlNode_& operator=(const XmlNode_&) = delete;

    // The wrapped node (null once its document has gone).
    _xmlNode* node() const { return node_; }

    int kind() const;
    std::optional<std::string> name() const;
    std::optional<std::string> localName() const { return name(); }
    std::optional<std::string> prefix() const;
    std::optional<std::string> URI() const;
    // A text node's content; for any other node the text of its children with entity references expanded
    // (at most kEntityExpansionLimit bytes from references); none when there is no text.
    std::optional<std::string> stringValue() const;
    // Not supported on a plain node (an internal inconsistency, logged).
    virtual void setStringValue(std::string_view value);

    int index() const;
    int level() const;
    int childCount() const;
    Nodes children() const;
    std::shared_ptr<XmlNode_> childAtIndex(int index) const;
    std::shared_ptr<XmlNode_> previousSibling() const;
    std::shared_ptr<XmlNode_> nextSibling() const;
    // The wrapper already made for the parent; none when the parent has none (none is made here).
    std::shared_ptr<XmlNode_> parent() const;
    std::shared_ptr<XmlDocument_> rootDocument() const;

    // The node written out as markup: elements with their attributes and children (br, area, link, img,
    // param, hr, input, col, base and meta closed with "/>" when empty), attributes as name="value" with
    // '"' written "&quot;", text as it stands, CDATA and comments as nothing.
    std::string XMLString() const { return XMLStringWithOptions(0); }
    virtual std::string XMLStringWithOptions(int options) const;
    // "<XmlNode_ 0x… [0x…] name markup>".
    virtual std::string description() const;

    // The nodes `xpath` selects with this node as the context node (an absolute path searches from the
    // document's root), with `namespaceMappings` (prefix to namespace URI) registered first; empty when none
    // match (or the node is in no document). An expression libxml2 cannot evaluate fails with the reason.
    fnd::Result<Nodes> nodesForXPath(std::string_view xpath,
                                     const std::map<std::string, std::string>& namespaceMappings = {}) const;

    // A deep copy of the node that belongs to no document, in a new wrapper of the same class.
    std::shared_ptr<XmlNode_> copy() const;

    // --- Creating nodes ---
    static std::shared_ptr<XmlDocument_> document();
    static std::shared_ptr<XmlDocument_> documentWithRootElement(const std::shared_ptr<XmlElement_>& element);
    static std::shared_ptr<XmlElement_> elementWithName(const std::string& name);
    static std::shared_ptr<XmlElement_> elementWithNameURI(const std::string& name, const std::string& uri);
    static std::shared_ptr<XmlElement_> elementWithNameStringValue(const std::string& name, const std::string& value);
    static std::shared_ptr<XmlNode_> namespaceWithName(const std::string& name, const std::string& value);
    static std::shared_ptr<XmlNode_> processingInstructionWithName(const std::string& name, const std::string& value);

    // Marks a node made for this wrapper: the wrapper frees it when it goes while the node is in no tree.
    void takeOwnershipOfNode() { ownsNode_ = true; }

protected:
    friend class XmlDocument_;
    friend class XmlElement_;

    // Whether the node is still attached; logs the internal inconsistency when not.
    bool attached() const;
    // Appends this node's markup to `out`.
    void appendXMLString(std::string& out) const;
    // Forgets the node (its document is going).
    void detach() { node_ = nullptr; }
    // Detaches every wrapper of `node` and the nodes below it and clears their back pointers.
    static void detachSubtree(_xmlNode* node);

    _xmlNode* node_ = nullptr;
    bool ownsNode_ = false;
    bool pooled_ = false;
};

// Reports an internal inconsistency of the XML model (a Warn line).
void xmlInconsistency(std::string_view what);

// XmlElement_: the Selvo XML model's element: its element children by name, its attributes, and the
// operations that build new trees.
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

// XmlDocument_: a parsed XML (or HTML) document of the Selvo XML model. It owns the libxml2 tree and the
// wrappers made for its nodes, and frees both when it goes; wrappers still held elsewhere then answer as
// detached nodes.
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
