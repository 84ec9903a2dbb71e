// The recording script host: records, answers from the document and from tables, and plays the
// page's part for tests.
#include "platform/ui/recording_script_host.h"

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace ui {

namespace {

// The expression without surrounding white space and trailing semicolons.
std::string normalise(const std::string& expression) {
    const char* space = " \t\r\n\f\v";
    size_t begin = expression.find_first_not_of(space);
    if (begin == std::string::npos) {
        return {};
    }
    size_t end = expression.size();
    while (end > begin && (expression[end - 1] == ';' ||
                           std::string_view(space).find(expression[end - 1]) != std::string_view::npos)) {
        --end;
    }
    return expression.substr(begin, end - begin);
}

} // namespace

RecordingScriptHost::RecordingScriptHost() : alive_(std::make_shared<RecordingScriptHost*>(this)) {}

RecordingScriptHost::~RecordingScriptHost() {
    endDocument();
}

void RecordingScriptHost::beginDocument(const ScriptDocumentInfo& info) {
    document_ = info;
    ended_ = false;
}

void RecordingScriptHost::runScript(const std::string& source, const std::string& url) {
    scripts_.push_back(RecordedScript{source, url});
}

ScriptResult RecordingScriptHost::evaluate(const std::string& expression) {
    evaluations_.push_back(expression);
    const std::string text = normalise(expression);
    if (text == "document.title") {
        return ScriptResult(document_.title);
    }
    if (text == "window.location.href" || text == "document.location.href") {
        return ScriptResult(document_.url);
    }
    if (text == "document.documentElement.innerHTML") {
        return ScriptResult(document_.source);
    }
    if (auto it = exact_.find(text); it != exact_.end()) {
        return it->second;
    }
    for (const Pattern& pattern : patterns_) {
        bool matched = false;
        try {
            matched = std::regex_match(text, pattern.regex);
        } catch (const std::regex_error& e) {
            ZLOG(Warn, "RecordingScriptHost: pattern could not be matched: %s", e.what());
        }
        if (matched) {
            return pattern.result;
        }
    }
    if (answerer_) {
        if (auto answer = answerer_(expression)) {
            return *answer;
        }
    }
    return ScriptResult();
}

void RecordingScriptHost::bindObject(const std::string& name, std::shared_ptr<ScriptObject> object) {
    bindings_[name] = std::move(object);
}

void RecordingScriptHost::endDocument() {
    auto client = this->client();
    for (const auto& [id, timer] : timers_) {
        if (client) {
            client->cancelTimer(timer.clientId);
        }
    }
    timers_.clear();
    ended_ = true;
}

void RecordingScriptHost::answer(const std::string& expression, ScriptResult result) {
    exact_[normalise(expression)] = std::move(result);
}

void RecordingScriptHost::answerMatching(const std::string& pattern, ScriptResult result) {
    try {
        patterns_.push_back(Pattern{std::regex(pattern, std::regex::ECMAScript), std::move(result)});
    } catch (const std::regex_error& e) {
        ZLOG(Warn, "RecordingScriptHost: ignored the pattern \"%s\": %s", pattern, e.what());
    }
}

std::shared_ptr<ScriptObject> RecordingScriptHost::boundObject(const std::string& name) const {
    auto it = bindings_.find(name);
    return it == bindings_.end() ? nullptr : it->second;
}

std::optional<fnd::Value> RecordingScriptHost::invokeBinding(const std::string& name, const std::string& method,
                                                             const std::vector<fnd::Value>& args) {
    auto object = boundObject(name);
    if (!object) {
        ZLOG(Warn, "RecordingScriptHost: the page called %s.%s, but nothing is bound as \"%s\"", fnd::logPreview(name),
             fnd::logPreview(method), fnd::logPreview(name));
        return std::nullopt;
    }
    return object->invoke(method, args);
}

bool RecordingScriptHost::triggerNavigation(const std::string& url, NavigationType type) {
    auto client = this->client();
    if (!client) {
        return false;
    }
    client->navigate(url, type);
    return true;
}

uint64_t RecordingScriptHost::setTimer(const std::string& script, double delay, fnd::Repeats repeats) {
    auto client = this->client();
    if (!client) {
        return 0;
    }
    const uint64_t id = nextTimerId_++;
    std::weak_ptr<RecordingScriptHost*> alive = alive_;
    const uint64_t clientId = client->scheduleTimer(delay, repeats, [alive, id] {
        if (auto host = alive.lock()) {
            (*host)->runTimer(id);
        }
    });
    timers_[id] = PageTimer{script, repeats, clientId};
    return id;
}

bool RecordingScriptHost::fireTimer(uint64_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return false;
    }
    if (it->second.repeats == fnd::Repeats::No) {
        if (auto client = this->client()) {
            client->cancelTimer(it->second.clientId);
        }
    }
    runTimer(id);
    return true;
}

void RecordingScriptHost::clearTimer(uint64_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    if (auto client = this->client()) {
        client->cancelTimer(it->second.clientId);
    }
    timers_.erase(it);
}

void RecordingScriptHost::runTimer(uint64_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    const std::string script = it->second.script;
    if (it->second.repeats == fnd::Repeats::No) {
        timers_.erase(it);
    }
    runScript(script, "timer:" + std::to_string(id));
}

} // namespace ui
