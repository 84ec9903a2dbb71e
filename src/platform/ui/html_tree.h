// ui::HtmlTree: the live element tree of a web view's page (libxml2's tree, as HtmlDocument read
// it). Page scripts change it through node ids; the renderer reads it back as markup for layout,
// with deep nesting flattened and form fields written as boxes that show their values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace ui {

// A node of the tree as scripts hold it: 0 is no node.
using HtmlNodeId = uint64_t;

class HtmlTree {
public:
    // Elements nested deeper than this are laid out flat (their content joins their ancestor's).
    static constexpr size_t kMaxLayoutDepth = 256;
    // The markup for layout stops at about this many bytes (the rest of the page is not shown),
    // which keeps one layout of any page near a tenth of a second.
    static constexpr size_t kMaxLayoutBytes = 512 * 1024;
    // The attribute that carries each element's node id into the markup for layout.
    static constexpr const char* kNodeAttribute = "data-zelvan-node";

    // Takes ownership of `doc` (may be null: an empty tree).
    explicit HtmlTree(_xmlDoc* doc);
    ~HtmlTree();
    HtmlTree(const HtmlTree&) = delete;
    HtmlTree& operator=(const HtmlTree&) = delete;

    // The tree as HTML for the layout engine: scripts and comments left out, elements past
    // kMaxLayoutDepth written without their tags, every element tagged with its node id, and
    // <input> written as a <z-input> element whose text is what the field shows. Past
    // kMaxLayoutBytes the rest is left out and `truncated` (when given) is set.
    std::string layoutMarkup(bool* truncated = nullptr);

    // Bumped by every change; `onChange` runs after each (the web view schedules a layout).
    uint64_t revision() const { return revision_; }
    void setChangeHandler(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    // --- Nodes, as page scripts reach them ---
    HtmlNodeId documentElement();
    HtmlNodeId body();
    // The first element in document order whose id attribute is `id`; 0 when none.
    HtmlNodeId elementById(std::string_view id);
    // Elements named `tag` (any case; "*" for all) under `root` (0: the whole tree), in order.
    std::vector<HtmlNodeId> elementsByTagName(std::string_view tag, HtmlNodeId root = 0);
    // A new element or text node, not yet in the tree (freed with the tree if never attached).
    HtmlNodeId createElement(std::string_view tag);
    HtmlNodeId createTextNode(std::string_view text);

    // Whether `node` is alive (in the tree, or created and not yet attached).
    bool isLive(HtmlNodeId node) const { return nodes_.count(node) != 0; }
    bool isElement(HtmlNodeId node) const;
    // The upper-case tag name of an element; "" for other nodes.
    std::string tagName(HtmlNodeId node) const;
    std::optional<std::string> attribute(HtmlNodeId node, std::string_view name) const;
    void setAttribute(HtmlNodeId node, std::string_view name, std::string_view value);
    std::string textContent(HtmlNodeId node) const;
    // Replaces the children with one text node.
    void setTextContent(HtmlNodeId node, std::string_view text);
    // The children serialised as HTML.
    std::string innerHtml(HtmlNodeId node) const;
    // Replaces the children with `html` read as a fragment under the same caps as a page; false
    // (and the children left alone) when the fragment is over the size cap.
    bool setInnerHtml(HtmlNodeId node, std::string_view html);
    HtmlNodeId parent(HtmlNodeId node) const;
    std::vector<HtmlNodeId> children(HtmlNodeId node);
    // Moves `child` (and its subtree) to the end of `parent`'s children; false when either is not
    // live, or `child` is `parent` or one of its ancestors.
    bool appendChild(HtmlNodeId parent, HtmlNodeId child);
    // Detaches and frees `child` and its subtree: their ids read as dead afterwards. False when
    // `child` is not a child of `parent`.
    bool removeChild(HtmlNodeId parent, HtmlNodeId child);

    // The nearest element named `tag` among `node` and its ancestors; 0 when none.
    HtmlNodeId closest(HtmlNodeId node, std::string_view tag) const;
    // The name/value pairs a GET submission of `form` sends, in document order: named text-like
    // fields, checked boxes, selected options, text areas, and `submitter` when it has a name.
    std::vector<std::pair<std::string, std::string>> formValues(HtmlNodeId form, HtmlNodeId submitter);

private:
    HtmlNodeId idOf(_xmlNode* node);
    _xmlNode* nodeOf(HtmlNodeId id) const;
    void forgetSubtree(_xmlNode* node);
    void freeSubtree(_xmlNode* node);
    void changed();
    _xmlNode* root() const;

    _xmlDoc* doc_;
    std::unordered_map<HtmlNodeId, _xmlNode*> nodes_;
    std::vector<_xmlNode*> detached_; // created and not attached: freed with the tree
    HtmlNodeId nextId_ = 1;
    uint64_t revision_ = 0;
    std::function<void()> onChange_;
};

} // namespace ui
