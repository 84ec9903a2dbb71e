// The script host interface of the web view: how a page's scripts run, how native code evaluates
// expressions in the page, how native objects are bound into it by name, and what the web view
// offers the host in return (navigation, main-loop timers, the clock).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/date.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/value.h"
#include "platform/ui/html_tree.h"

namespace ui {

// Why a navigation happens; the numbers are the ones product code compares.
enum class NavigationType {
    LinkClicked = 0,
    FormSubmitted = 1,
    BackForward = 2,
    Reload = 3,
    FormResubmitted = 4,
    Other = 5,
};

// The value of an evaluated expression, and its conversion to the text native code receives.
class ScriptResult {
public:
    enum class Kind { Undefined, Null, Boolean, Number, String, Object };

    // Undefined.
    ScriptResult() = default;
    // A string.
    ScriptResult(std::string text) : kind_(Kind::String), text_(std::move(text)) {}
    ScriptResult(const char* text) : ScriptResult(std::string(text)) {}

    static ScriptResult null();
    static ScriptResult boolean(bool value);
    static ScriptResult number(double value);
    // An object, carried as the text its ToString gives ("[object Object]", "1,2").
    static ScriptResult object(std::string toStringText);

    Kind kind() const { return kind_; }

    // Undefined and null give "", booleans "true"/"false", numbers JavaScript's Number ToString
    // ("1", "0.5", "1e+21", "NaN"), strings themselves, objects their ToString text.
    std::string toString() const;

    // JavaScript's ToString of a number: the shortest digits that read back as `value`, written
    // plainly between 1e-7 and 1e21 and in exponent form outside.
    static std::string numberToString(double value);

private:
    Kind kind_ = Kind::Undefined;
    bool boolean_ = false;
    double number_ = 0;
    std::string text_;
};

// A native object bound into pages by name: named methods that take and return fnd::Value.
class ScriptObject {
public:
    using Method = std::function<fnd::Value(const std::vector<fnd::Value>& args)>;

    virtual ~ScriptObject() = default;

    // Adds or replaces a method.
    void addMethod(const std::string& name, Method method);
    bool hasMethod(std::string_view name) const;
    // Method names in alphabetical order.
    std::vector<std::string> methodNames() const;
    // Calls a method; nullopt (logged) when there is no method of that name.
    std::optional<fnd::Value> invoke(std::string_view name, const std::vector<fnd::Value>& args);

private:
    std::map<std::string, Method, std::less<>> methods_;
};

// What the web view gives its script host. Calls come on the main thread.
class ScriptHostClient {
public:
    virtual ~ScriptHostClient() = default;
    // What assigning location does: a navigation of `type`, queued until the current evaluation
    // has returned, that asks the web view's delegate first. A URL that does not parse or resolve
    // is ignored (logged).
    virtual void navigate(const std::string& url, NavigationType type) = 0;
    // A main-loop timer that follows the installed clock; ids are never 0 and never reused.
    // Timers end with the document.
    virtual uint64_t scheduleTimer(double delay, fnd::Repeats repeats, std::function<void()> fire) = 0;
    virtual void cancelTimer(uint64_t id) = 0;
    virtual fnd::Date now() const = 0;
};

// What a host learns of the document it serves.
struct ScriptDocumentInfo {
    std::string url;                  // the document's URL ("about:blank" for an empty one)
    std::string title;                // its <title>
    std::string source;               // the raw source
    std::string userAgent{};          // what navigator.userAgent answers: the web view's User-Agent
    std::shared_ptr<HtmlTree> tree{}; // the live tree scripts may read and change (null: none)
};

// A page's script engine. A web view makes one host per document: beginDocument, then bound
// objects, the page's scripts in order and its onload, then evaluations, and endDocument when the
// document goes. All calls come on the main thread.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    // The web view sets its client before beginDocument; the host does not keep it alive.
    void setClient(std::weak_ptr<ScriptHostClient> client) { client_ = std::move(client); }
    std::shared_ptr<ScriptHostClient> client() const { return client_.lock(); }

    virtual void beginDocument(const ScriptDocumentInfo& info) = 0;
    // Runs one script block (inline, fetched from `url`, or an onload attribute).
    virtual void runScript(const std::string& source, const std::string& url) = 0;
    virtual ScriptResult evaluate(const std::string& expression) = 0;
    // Makes `object` reachable from the page as the global `name` (replacing an earlier one).
    virtual void bindObject(const std::string& name, std::shared_ptr<ScriptObject> object) = 0;
    // A tap on the page: runs the onclick handlers along `path` (the tapped element first, then
    // its ancestors). False when one returned false, which cancels the tap's link or submission.
    virtual bool dispatchClick(const std::vector<HtmlNodeId>& /*path*/) { return true; }
    virtual void endDocument() = 0;

private:
    std::weak_ptr<ScriptHostClient> client_;
};

} // namespace ui
