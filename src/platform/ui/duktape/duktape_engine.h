// The JavaScript engine as the script host sees it: Duktape's public API (from the configured build-tree
// copy), the two hooks the host supplies, and the one helper that reaches into the engine's internals.
#pragma once

#include "duktape.h"

// Supplied by the host (declared in the configured duk_config.h as well): whether the running entry's
// budget has expired for the heap whose user data is `udata`, and the time `Date.now()` reads in
// milliseconds since 1970.
int zelvan_duk_budget_expired(void* udata);
double zelvan_duk_clock_now(void);

// Makes the thread running on `ctx`'s heap take an executor interrupt at its next instruction, where
// the budget is checked. Safe to call from the allocator and when nothing runs.
void zelvan_duk_interrupt_soon(duk_context* ctx);
