// The page's environment inside a document heap: the browser-like globals, bound native objects and
// the callbacks of page timers. Private to the Duktape script host; every function here runs inside
// a protected call unless it says otherwise.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/duktape/duktape_engine.h"
#include "platform/ui/script_host.h"

namespace ui {

// window, document, location, navigator, setTimeout and friends, console and alert.
void installEnvironment(duk_context* ctx, const ScriptDocumentInfo& info);
// The global `name` with one native function per method of `object`.
void installBinding(duk_context* ctx, const std::string& name, const ScriptObject& object);
// Calls the callback of page timer `id` (dropping it first when the timer fires once).
void runTimerCallback(duk_context* ctx, uint64_t id, bool once);
// Drops the callback of page timer `id`; protects itself.
void forgetTimerCallback(duk_context* ctx, uint64_t id);

} // namespace ui
