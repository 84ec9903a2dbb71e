// ui::DuktapeScriptHost: the script host with a real JavaScript engine. One heap per document with
// a small browser-like environment, native objects bound as globals, and a wall-time budget and a
// memory cap on everything a page runs, so no script can hang or exhaust the client.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/ui/backends.h"
#include "platform/ui/script_host.h"

struct duk_hthread; // the engine's context

namespace ui {

struct DuktapeHeap;

class DuktapeScriptHost : public ScriptHost, public std::enable_shared_from_this<DuktapeScriptHost> {
public:
    static constexpr double kDefaultBudget = 0.5;
    static constexpr size_t kDefaultMemoryCap = size_t{64} << 20;

    struct Options {
        // Wall time on the steady clock for each entry: a script block, onload, an evaluation or a
        // timer callback. The page's clock (fnd::Clock) does not count, so frozen tests stay bounded.
        double budget = kDefaultBudget;
        // The most bytes the document's heap may hold; an allocation past it fails in the script.
        size_t memoryCap = kDefaultMemoryCap;
    };

    DuktapeScriptHost();
    explicit DuktapeScriptHost(Options options);
    ~DuktapeScriptHost() override;
    DuktapeScriptHost(const DuktapeScriptHost&) = delete;
    DuktapeScriptHost& operator=(const DuktapeScriptHost&) = delete;

    // A factory for installScriptHostFactory.
    static ScriptHostFactory factory();
    static ScriptHostFactory factory(Options options);

    // Creates the document's heap and its environment: window, document, location, navigator, timers,
    // console and alert.
    void beginDocument(const ScriptDocumentInfo& info) override;
    // Runs a script block; errors and an exhausted budget are logged (one warning naming the script).
    void runScript(const std::string& source, const std::string& url) override;
    // The value of `expression`; "" (undefined) after an error, an exhausted budget, or when called
    // from inside another entry.
    ScriptResult evaluate(const std::string& expression) override;
    void bindObject(const std::string& name, std::shared_ptr<ScriptObject> object) override;
    // Runs the onclick handlers of the tapped element and its ancestors as one entry.
    bool dispatchClick(const std::vector<HtmlNodeId>& path) override;
    // Ends the document's timers and destroys its heap; during an entry the heap goes when the entry
    // returns.
    void endDocument() override;

    double budget() const { return options_.budget; }
    void setBudget(double seconds) { options_.budget = seconds; }
    size_t memoryCap() const { return options_.memoryCap; }
    // Bytes the document's heap holds now, and the most it held; 0 without a heap.
    size_t heapBytes() const;
    size_t peakHeapBytes() const;

    // --- Used by the page's environment (duktape_environment.cpp) ---
    // A timer of the page: its callback is kept in the heap, its clock is the client's.
    uint64_t addPageTimer(double delay, bool repeats);
    void clearPageTimer(uint64_t id);
    const ScriptDocumentInfo& document() const { return document_; }
    std::shared_ptr<ScriptObject> boundObject(const std::string& name) const;

private:
    using Body = std::function<void(duk_hthread* ctx)>;
    // Runs `body` in a protected call under the budget; false when it threw or ran out of time, with
    // one warning naming the `kind` of entry and its `subject`. Refused (false) inside another entry.
    bool enter(const char* kind, const std::string& subject, const Body& body);
    void fireTimer(uint64_t id);
    void destroyHeap();

    Options options_;
    ScriptDocumentInfo document_;
    std::unique_ptr<DuktapeHeap> heap_;
    std::map<std::string, std::shared_ptr<ScriptObject>> bindings_;
    // JavaScript timer id -> the client's timer id and whether it repeats.
    struct PageTimer {
        uint64_t clientId = 0;
        bool repeats = false;
    };
    std::map<uint64_t, PageTimer> timers_;
    uint64_t nextTimerId_ = 1;
    int depth_ = 0;
    bool endPending_ = false;
    // Timer callbacks hold this weakly, so a timer outliving the host does nothing.
    std::shared_ptr<DuktapeScriptHost*> alive_;
};

} // namespace ui
