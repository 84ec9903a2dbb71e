// The engine's one translation unit: the configured build-tree copy of Duktape's amalgamated source,
// compiled as C++ so errors raised in natives unwind through destructors, plus the interrupt helper,
// the only code that touches the engine's internals.
#include "duktape.c"

#include "platform/ui/duktape/duktape_engine.h"

void zelvan_duk_interrupt_soon(duk_context* ctx) {
    if (ctx == nullptr) {
        return;
    }
    duk_heap* heap = reinterpret_cast<duk_hthread*>(ctx)->heap;
    duk_hthread* running = heap != nullptr ? heap->curr_thread : nullptr;
    if (running != nullptr) {
        // The executor interrupts when the counter runs out; the handler re-arms it.
        running->interrupt_counter = 0;
    }
}
