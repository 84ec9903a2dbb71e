// The small DOM of a document heap: a prelude builds element handles (cached per node id, so
// properties such as onclick stick) over natives that reach the document's HtmlTree. A handle whose
// node was removed reads as null. Taps reach onclick handlers through the dispatcher kept in the
// heap's stash.
#include "platform/ui/duktape_dom.h"

#include <string>
#include <vector>

#include "platform/ui/duktape_heap.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/duktape_values.h"

namespace ui {

namespace {

constexpr const char* kDispatchKey = "\xFF"
                                     "dispatchClick";

enum Dom : duk_int_t {
    DocElement,
    Body,
    ById,
    ByTag,
    Create,
    CreateText,
    Live,
    Tag,
    GetAttr,
    SetAttr,
    GetText,
    SetText,
    GetHtml,
    SetHtml,
    Parent,
    Kids,
    Append,
    Remove,
    DomCount
};

constexpr const char* kDomNames[DomCount] = {"docElement", "body",    "byId",    "byTag",   "create",  "createText",
                                             "live",       "tag",     "getAttr", "setAttr", "getText", "setText",
                                             "getHtml",    "setHtml", "parent",  "kids",    "append",  "remove"};
constexpr duk_idx_t kDomArgs[DomCount] = {0, 0, 1, 2, 1, 1, 1, 1, 2, 3, 1, 2, 1, 2, 1, 1, 2, 2};

// Runs once per document with the global object, the natives and the old document object, which
// it gives element access. Returns the tap dispatcher.
constexpr const char* kDomPrelude = R"JS((function (G, D, document) {
    var cache = {};
    function wrap(id) {
        if (!id) { return null; }
        var node = cache[id];
        if (!node) { node = new Node(id); cache[id] = node; }
        return node;
    }
    function ids(list) { var out = []; for (var i = 0; i < list.length; i++) { out.push(wrap(list[i])); } return out; }
    function idOf(node) { return node instanceof Node ? node.__id : 0; }
    function Node(id) {
        Object.defineProperty(this, '__id', { value: id });
        Object.defineProperty(this, 'style', { value: new Style(this) });
    }
    function live(node) { return D.live(node.__id); }
    function prop(name, get, set) {
        Object.defineProperty(Node.prototype, name, {
            get: function () { return live(this) ? get.call(this) : null; },
            set: function (v) { if (live(this) && set) { set.call(this, v); } },
            enumerable: true
        });
    }
    function attrProp(name, attr) {
        prop(name, function () { var v = D.getAttr(this.__id, attr); return v === null ? '' : v; },
             function (v) { D.setAttr(this.__id, attr, String(v)); });
    }
    attrProp('id', 'id');
    attrProp('className', 'class');
    prop('tagName', function () { return D.tag(this.__id); });
    prop('nodeName', function () { return D.tag(this.__id) || '#text'; });
    prop('innerHTML', function () { return D.getHtml(this.__id); }, function (v) { D.setHtml(this.__id, String(v)); });
    prop('textContent', function () { return D.getText(this.__id); }, function (v) { D.setText(this.__id, String(v)); });
    prop('parentNode', function () { return wrap(D.parent(this.__id)); });
    prop('childNodes', function () { return ids(D.kids(this.__id)); });
    prop('firstChild', function () { var k = D.kids(this.__id); return k.length ? wrap(k[0]) : null; });
    prop('lastChild', function () { var k = D.kids(this.__id); return k.length ? wrap(k[k.length - 1]) : null; });
    Node.prototype.getAttribute = function (name) { return live(this) ? D.getAttr(this.__id, String(name)) : null; };
    Node.prototype.setAttribute = function (name, value) {
        if (live(this)) { D.setAttr(this.__id, String(name), String(value)); }
    };
    Node.prototype.appendChild = function (child) { D.append(this.__id, idOf(child)); return child; };
    Node.prototype.removeChild = function (child) {
        var id = idOf(child);
        if (D.remove(this.__id, id)) { delete cache[id]; }
        return child;
    };
    Node.prototype.getElementsByTagName = function (tag) {
        return live(this) ? ids(D.byTag(String(tag), this.__id)) : [];
    };
    function Style(node) { Object.defineProperty(this, '__node', { value: node }); }
    function declarations(node) {
        var out = [], text = node.getAttribute('style') || '', parts = text.split(';');
        for (var i = 0; i < parts.length; i++) {
            var at = parts[i].indexOf(':');
            if (at > 0) { out.push([parts[i].slice(0, at).trim().toLowerCase(), parts[i].slice(at + 1).trim()]); }
        }
        return out;
    }
    ['display', 'visibility', 'backgroundColor', 'color'].forEach(function (name) {
        var css = name.replace(/[A-Z]/g, function (c) { return '-' + c.toLowerCase(); });
        Object.defineProperty(Style.prototype, name, {
            get: function () {
                var list = declarations(this.__node);
                for (var i = list.length - 1; i >= 0; i--) { if (list[i][0] === css) { return list[i][1]; } }
                return '';
            },
            set: function (value) {
                var list = declarations(this.__node).filter(function (d) { return d[0] !== css; });
                if (String(value) !== '') { list.push([css, String(value)]); }
                this.__node.setAttribute('style', list.map(function (d) { return d[0] + ': ' + d[1]; }).join('; '));
            },
            enumerable: true
        });
    });
    Object.defineProperty(document, 'documentElement', { get: function () { return wrap(D.docElement()); } });
    Object.defineProperty(document, 'body', { get: function () { return wrap(D.body()); } });
    document.getElementById = function (id) { return wrap(D.byId(String(id))); };
    document.getElementsByTagName = function (tag) { return ids(D.byTag(String(tag), 0)); };
    document.createElement = function (tag) { return wrap(D.create(String(tag))); };
    document.createTextNode = function (text) { return wrap(D.createText(String(text))); };
    return function (path) {
        var target = wrap(path[0]);
        var event = { type: 'click', target: target, defaultPrevented: false,
                      preventDefault: function () { this.defaultPrevented = true; } };
        for (var i = 0; i < path.length; i++) {
            if (!D.live(path[i])) { continue; }
            var node = wrap(path[i]);
            var handler = typeof node.onclick === 'function' ? node.onclick : null;
            var attr = handler ? null : D.getAttr(path[i], 'onclick');
            if (attr) { handler = new Function('event', attr); }
            if (handler && (handler.call(node, event) === false || event.defaultPrevented)) { return false; }
        }
        return true;
    };
}))JS";

HtmlTree* treeOf(duk_context* ctx) {
    return heapOf(ctx).host->document().tree.get();
}

HtmlNodeId idAt(duk_context* ctx, duk_idx_t index) {
    const double v = duk_get_number_default(ctx, index, 0);
    return v >= 1 && v < 9007199254740992.0 ? static_cast<HtmlNodeId>(v) : 0;
}

void pushId(duk_context* ctx, HtmlNodeId id) {
    duk_push_number(ctx, static_cast<double>(id));
}

void pushIds(duk_context* ctx, const std::vector<HtmlNodeId>& ids) {
    const duk_idx_t array = duk_push_array(ctx);
    for (size_t i = 0; i < ids.size(); ++i) {
        pushId(ctx, ids[i]);
        duk_put_prop_index(ctx, array, static_cast<duk_uarridx_t>(i));
    }
}

duk_ret_t dom(duk_context* ctx) {
    HtmlTree* tree = treeOf(ctx);
    if (tree == nullptr) {
        return 0;
    }
    switch (duk_get_current_magic(ctx)) {
    case DocElement:
        pushId(ctx, tree->documentElement());
        return 1;
    case Body:
        pushId(ctx, tree->body());
        return 1;
    case ById:
        pushId(ctx, tree->elementById(duk::textAt(ctx, 0)));
        return 1;
    case ByTag:
        pushIds(ctx, tree->elementsByTagName(duk::textAt(ctx, 0), idAt(ctx, 1)));
        return 1;
    case Create:
        pushId(ctx, tree->createElement(duk::textAt(ctx, 0)));
        return 1;
    case CreateText:
        pushId(ctx, tree->createTextNode(duk::textAt(ctx, 0)));
        return 1;
    case Live:
        duk_push_boolean(ctx, tree->isLive(idAt(ctx, 0)));
        return 1;
    case Tag:
        duk::pushText(ctx, tree->tagName(idAt(ctx, 0)));
        return 1;
    case GetAttr:
        if (auto value = tree->attribute(idAt(ctx, 0), duk::textAt(ctx, 1))) {
            duk::pushText(ctx, *value);
        } else {
            duk_push_null(ctx);
        }
        return 1;
    case SetAttr:
        tree->setAttribute(idAt(ctx, 0), duk::textAt(ctx, 1), duk::textAt(ctx, 2));
        return 0;
    case GetText:
        duk::pushText(ctx, tree->textContent(idAt(ctx, 0)));
        return 1;
    case SetText:
        tree->setTextContent(idAt(ctx, 0), duk::textAt(ctx, 1));
        return 0;
    case GetHtml:
        duk::pushText(ctx, tree->innerHtml(idAt(ctx, 0)));
        return 1;
    case SetHtml:
        if (!tree->setInnerHtml(idAt(ctx, 0), duk::textAt(ctx, 1))) {
            duk_error(ctx, DUK_ERR_RANGE_ERROR, "innerHTML: the markup is too large");
        }
        return 0;
    case Parent:
        pushId(ctx, tree->parent(idAt(ctx, 0)));
        return 1;
    case Kids:
        pushIds(ctx, tree->children(idAt(ctx, 0)));
        return 1;
    case Append:
        duk_push_boolean(ctx, tree->appendChild(idAt(ctx, 0), idAt(ctx, 1)));
        return 1;
    case Remove:
        duk_push_boolean(ctx, tree->removeChild(idAt(ctx, 0), idAt(ctx, 1)));
        return 1;
    default:
        return 0;
    }
}

} // namespace

void installDom(duk_context* ctx) {
    duk_push_string(ctx, kDomPrelude);
    duk_push_string(ctx, "dom");
    duk_compile(ctx, DUK_COMPILE_EVAL);
    duk_call(ctx, 0); // the prelude function
    duk_push_global_object(ctx);
    const duk_idx_t natives = duk_push_object(ctx);
    for (duk_int_t i = 0; i < DomCount; ++i) {
        duk_push_c_function(ctx, dom, kDomArgs[i]);
        duk_set_magic(ctx, -1, i);
        duk_put_prop_string(ctx, natives, kDomNames[i]);
    }
    duk_get_global_string(ctx, "document");
    duk_call(ctx, 3);
    duk_push_global_stash(ctx);
    duk_dup(ctx, -2);
    duk_put_prop_string(ctx, -2, kDispatchKey);
    duk_pop_2(ctx);
}

bool dispatchDomClick(duk_context* ctx, const std::vector<HtmlNodeId>& path) {
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kDispatchKey);
    if (!duk_is_function(ctx, -1)) {
        duk_pop_2(ctx);
        return true;
    }
    pushIds(ctx, path);
    duk_call(ctx, 1);
    const bool proceed = duk_to_boolean(ctx, -1) != 0;
    duk_pop_2(ctx);
    return proceed;
}

} // namespace ui
