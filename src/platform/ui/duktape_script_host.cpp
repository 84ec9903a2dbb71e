// The Duktape script host: the document heap's life, entries under the budget (script blocks,
// evaluations, timer callbacks) with their logging, page timers and bound objects.
#include "platform/ui/duktape_script_host.h"

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/ui/duktape_dom.h"
#include "platform/ui/duktape_environment.h"
#include "platform/ui/duktape_heap.h"
#include "platform/ui/duktape_values.h"

namespace ui {

namespace {

duk_ret_t runBody(duk_context* ctx, void* udata) {
    (*static_cast<const std::function<void(duk_context*)>*>(udata))(ctx);
    return 1;
}

ScriptResult resultAt(duk_context* ctx, duk_idx_t index) {
    switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_NULL:
        return ScriptResult::null();
    case DUK_TYPE_BOOLEAN:
        return ScriptResult::boolean(duk_get_boolean(ctx, index) != 0);
    case DUK_TYPE_NUMBER:
        return ScriptResult::number(duk_get_number(ctx, index));
    case DUK_TYPE_STRING:
        return ScriptResult(duk::textAt(ctx, index));
    case DUK_TYPE_UNDEFINED:
    case DUK_TYPE_NONE:
        return ScriptResult();
    default:
        // ToString may run the page's own toString, under the same budget.
        duk_dup(ctx, index);
        duk_to_string(ctx, -1);
        ScriptResult result = ScriptResult::object(duk::textAt(ctx, -1));
        duk_pop(ctx);
        return result;
    }
}

} // namespace

DuktapeScriptHost::DuktapeScriptHost() : DuktapeScriptHost(Options{}) {}

DuktapeScriptHost::DuktapeScriptHost(Options options)
    : options_(options), alive_(std::make_shared<DuktapeScriptHost*>(this)) {}

DuktapeScriptHost::~DuktapeScriptHost() {
    endPending_ = false;
    depth_ = 0;
    endDocument();
}

ScriptHostFactory DuktapeScriptHost::factory() {
    return factory(Options{});
}

ScriptHostFactory DuktapeScriptHost::factory(Options options) {
    return [options]() -> std::shared_ptr<ScriptHost> { return std::make_shared<DuktapeScriptHost>(options); };
}

void DuktapeScriptHost::beginDocument(const ScriptDocumentInfo& info) {
    if (depth_ > 0) {
        ZLOG(Warn, "DuktapeScriptHost: a new document cannot begin while a script runs");
        return;
    }
    endDocument();
    document_ = info;
    endPending_ = false;
    heap_ = DuktapeHeap::create(this, options_.memoryCap);
    if (!heap_) {
        return;
    }
    // The environment is ours, but it allocates, so it runs protected like the page's scripts.
    std::function<void(duk_context*)> body = [this](duk_context* ctx) {
        installEnvironment(ctx, document_);
        if (document_.tree) {
            installDom(ctx);
        }
        duk_push_undefined(ctx);
    };
    if (duk_safe_call(heap_->ctx, runBody, &body, 0, 1) != DUK_EXEC_SUCCESS) {
        ZLOG(Error, "DuktapeScriptHost: the page environment failed: %s", duk_safe_to_string(heap_->ctx, -1));
    }
    duk_pop(heap_->ctx);
}

void DuktapeScriptHost::runScript(const std::string& source, const std::string& url) {
    enter("the script", url, [&](duk_context* ctx) {
        duk::pushText(ctx, source);
        duk::pushText(ctx, url);
        duk_compile(ctx, 0);
        duk_call(ctx, 0);
    });
}

ScriptResult DuktapeScriptHost::evaluate(const std::string& expression) {
    ScriptResult result;
    const bool ok = enter("the evaluation", expression, [&](duk_context* ctx) {
        duk::pushText(ctx, expression);
        duk_push_string(ctx, "eval");
        duk_compile(ctx, DUK_COMPILE_EVAL);
        duk_call(ctx, 0);
        result = resultAt(ctx, -1);
    });
    return ok ? result : ScriptResult();
}

bool DuktapeScriptHost::dispatchClick(const std::vector<HtmlNodeId>& path) {
    bool proceed = true;
    if (!document_.tree || path.empty()) {
        return proceed;
    }
    enter("the click handler", "onclick", [&](duk_context* ctx) {
        proceed = dispatchDomClick(ctx, path);
        duk_push_undefined(ctx);
    });
    return proceed;
}

void DuktapeScriptHost::bindObject(const std::string& name, std::shared_ptr<ScriptObject> object) {
    if (!object) {
        return;
    }
    bindings_[name] = object;
    if (!heap_) {
        return;
    }
    std::function<void(duk_context*)> body = [&](duk_context* ctx) {
        installBinding(ctx, name, *object);
        duk_push_undefined(ctx);
    };
    if (duk_safe_call(heap_->ctx, runBody, &body, 0, 1) != DUK_EXEC_SUCCESS) {
        ZLOG(Error, "DuktapeScriptHost: could not bind \"%s\": %s", fnd::logPreview(name),
             duk_safe_to_string(heap_->ctx, -1));
    }
    duk_pop(heap_->ctx);
}

void DuktapeScriptHost::endDocument() {
    auto client = this->client();
    for (const auto& [id, timer] : timers_) {
        if (client) {
            client->cancelTimer(timer.clientId);
        }
    }
    timers_.clear();
    if (depth_ > 0) {
        endPending_ = true; // the running entry still uses the heap
        return;
    }
    destroyHeap();
}

void DuktapeScriptHost::destroyHeap() {
    endPending_ = false;
    heap_.reset();
}

size_t DuktapeScriptHost::heapBytes() const {
    return heap_ ? heap_->bytes : 0;
}

size_t DuktapeScriptHost::peakHeapBytes() const {
    return heap_ ? heap_->peakBytes : 0;
}

std::shared_ptr<ScriptObject> DuktapeScriptHost::boundObject(const std::string& name) const {
    auto it = bindings_.find(name);
    return it == bindings_.end() ? nullptr : it->second;
}

bool DuktapeScriptHost::enter(const char* kind, const std::string& subject, const Body& body) {
    if (!heap_ || endPending_) {
        return false;
    }
    if (depth_ > 0) {
        ZLOG(Warn, "DuktapeScriptHost: refused %s \"%s\" from inside another script", kind,
             fnd::logPreview(subject, 80));
        return false;
    }
    // A native the script calls may release the web view and with it this host; both stay until
    // the entry returns.
    auto keep = weak_from_this().lock();
    DuktapeHeap& heap = *heap_;
    ++depth_;
    heap.startBudget(options_.budget);
    const duk_int_t rc = duk_safe_call(heap.ctx, runBody, const_cast<Body*>(&body), 0, 1);
    const bool expired = heap.expired;
    heap.stopBudget();
    if (rc != DUK_EXEC_SUCCESS) {
        if (expired) {
            ZLOG(Warn, "DuktapeScriptHost: %s \"%s\" ran past its %g s budget and was stopped", kind,
                 fnd::logPreview(subject, 80), options_.budget);
        } else {
            ZLOG(Warn, "DuktapeScriptHost: %s \"%s\" failed: %s", kind, fnd::logPreview(subject, 80),
                 duk::fromEngineText(duk_safe_to_string(heap.ctx, -1)));
        }
    }
    duk_pop(heap.ctx);
    --depth_;
    if (depth_ == 0 && endPending_) {
        destroyHeap();
    }
    return rc == DUK_EXEC_SUCCESS;
}

uint64_t DuktapeScriptHost::addPageTimer(double delay, bool repeats) {
    auto client = this->client();
    if (!client) {
        return 0;
    }
    const uint64_t id = nextTimerId_++;
    std::weak_ptr<DuktapeScriptHost*> alive = alive_;
    const uint64_t clientId = client->scheduleTimer(delay, repeats ? fnd::Repeats::Yes : fnd::Repeats::No, [alive, id] {
        if (auto host = alive.lock()) {
            (*host)->fireTimer(id);
        }
    });
    timers_[id] = PageTimer{clientId, repeats};
    return id;
}

void DuktapeScriptHost::clearPageTimer(uint64_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    if (auto client = this->client()) {
        client->cancelTimer(it->second.clientId);
    }
    timers_.erase(it);
    if (heap_) {
        forgetTimerCallback(heap_->ctx, id);
    }
}

void DuktapeScriptHost::fireTimer(uint64_t id) {
    // The callback may release the page's owner and with it this host.
    auto keep = weak_from_this().lock();
    auto it = timers_.find(id);
    if (it == timers_.end() || !heap_) {
        return;
    }
    const bool once = !it->second.repeats;
    if (once) {
        timers_.erase(it);
    }
    enter("the timer", "timer " + std::to_string(id), [&](duk_context* ctx) {
        runTimerCallback(ctx, id, once);
        duk_push_undefined(ctx);
    });
    if (once && heap_ && depth_ == 0) {
        // A one-shot timer refused or stopped still lets its callback go.
        forgetTimerCallback(heap_->ctx, id);
    }
}

} // namespace ui
