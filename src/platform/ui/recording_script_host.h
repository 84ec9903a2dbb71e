// ui::RecordingScriptHost: the script host without a script engine. It records every script run
// and every expression evaluated, answers a few document expressions itself and others from
// tables or a callback, and lets tests act as the page: call bound objects, navigate, fire timers.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/script_host.h"

namespace ui {

class RecordingScriptHost : public ScriptHost {
public:
    struct RecordedScript {
        std::string source;
        std::string url;
        bool operator==(const RecordedScript&) const = default;
    };
    // Answers an expression, or nullopt to leave it to the default ("").
    using Answerer = std::function<std::optional<ScriptResult>(const std::string& expression)>;

    RecordingScriptHost();
    ~RecordingScriptHost() override;

    void beginDocument(const ScriptDocumentInfo& info) override;
    void runScript(const std::string& source, const std::string& url) override;
    // Records the expression, then answers, first match winning:
    //  1. document.title, window.location.href, document.location.href and
    //     document.documentElement.innerHTML from the document;
    //  2. the exact answers, then the patterns (in the order added), then the answerer;
    //  3. undefined (which the web view turns into "").
    // Matching ignores white space around the expression and trailing semicolons
    // ("document.title;" is document.title); patterns must match that whole text.
    ScriptResult evaluate(const std::string& expression) override;
    void bindObject(const std::string& name, std::shared_ptr<ScriptObject> object) override;
    // Ends the document's timers.
    void endDocument() override;

    // --- Answers ---
    void answer(const std::string& expression, ScriptResult result);
    // An ECMAScript regular expression; a pattern that does not compile is logged and ignored.
    void answerMatching(const std::string& pattern, ScriptResult result);
    void setAnswerer(Answerer answerer) { answerer_ = std::move(answerer); }

    // --- What happened ---
    const std::vector<RecordedScript>& scripts() const { return scripts_; }
    const std::vector<std::string>& evaluations() const { return evaluations_; }
    const ScriptDocumentInfo& document() const { return document_; }
    bool documentEnded() const { return ended_; }
    std::shared_ptr<ScriptObject> boundObject(const std::string& name) const;

    // --- Acting as the page ---
    // What the page calling `name.method(args...)` does; nullopt (logged) when nothing of that
    // name is bound or it has no such method.
    std::optional<fnd::Value> invokeBinding(const std::string& name, const std::string& method,
                                            const std::vector<fnd::Value>& args);
    // What `location = url` in the page does (type Other unless given). False when the host has
    // no client.
    bool triggerNavigation(const std::string& url, NavigationType type = NavigationType::Other);
    // What setTimeout / setInterval with `script` does: a timer on the client's main loop that
    // runs the script (recorded with the URL "timer:<id>") when it fires. 0 without a client.
    uint64_t setTimer(const std::string& script, double delay, fnd::Repeats repeats);
    // Fires a live timer now, as if its time had come (a one-shot timer ends). False when there is
    // no such timer.
    bool fireTimer(uint64_t id);
    void clearTimer(uint64_t id);

private:
    struct PageTimer {
        std::string script;
        fnd::Repeats repeats;
        uint64_t clientId;
    };
    struct Pattern {
        std::regex regex;
        ScriptResult result;
    };

    void runTimer(uint64_t id);

    ScriptDocumentInfo document_;
    bool ended_ = false;
    std::vector<RecordedScript> scripts_;
    std::vector<std::string> evaluations_;
    std::map<std::string, ScriptResult> exact_;
    std::vector<Pattern> patterns_;
    Answerer answerer_;
    std::map<std::string, std::shared_ptr<ScriptObject>> bindings_;
    std::map<uint64_t, PageTimer> timers_;
    uint64_t nextTimerId_ = 1;
    // Timer callbacks hold this weakly, so a timer outliving the host does nothing.
    std::shared_ptr<RecordingScriptHost*> alive_;
};

} // namespace ui
