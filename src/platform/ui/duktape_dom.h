// The element access page scripts get in a document heap (document.getElementById and friends over
// the document's HtmlTree) and the onclick dispatch of taps. Private to the Duktape script host.
#pragma once

#include <vector>

#include "platform/ui/duktape/duktape_engine.h"
#include "platform/ui/html_tree.h"

namespace ui {

// Gives the heap's `document` element access over the host's tree. Call after the environment,
// only when the document has a tree.
void installDom(duk_context* ctx);
// Runs the onclick handlers along `path` (innermost first); false when one cancelled the tap.
// Throws into the calling protected call on a script error.
bool dispatchDomClick(duk_context* ctx, const std::vector<HtmlNodeId>& path);

} // namespace ui
