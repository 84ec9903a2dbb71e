// The page environment of a document heap: a prelude script builds window, document, location,
// navigator, timers, console and alert over a handful of natives that reach the host's client, the
// shared cookie store and the log; bound objects get one trampoline per method.
#include "platform/ui/duktape_environment.h"

#include <exception>
#include <optional>
#include <vector>

#include "platform/foundation/cookie.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url.h"
#include "platform/ui/duktape_heap.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/duktape_values.h"

namespace ui {

namespace {

// Hidden properties (the engine hides keys starting with 0xFF from scripts).
constexpr const char* kTimersKey = "\xFF"
                                   "timers";
constexpr const char* kObjectKey = "\xFF"
                                   "object";
constexpr const char* kMethodKey = "\xFF"
                                   "method";

enum Native : duk_int_t { Navigate, Log, Alert, GetCookie, SetCookie, SetTimer, ClearTimer, NativeCount };

constexpr const char* kNativeNames[NativeCount] = {"navigate",  "log",      "alert",     "getCookie",
                                                   "setCookie", "setTimer", "clearTimer"};
constexpr duk_idx_t kNativeArgs[NativeCount] = {1, 1, 1, 0, 1, 3, 1};

// Runs once per document with the global object, the natives and the document's facts. Nothing it
// defines besides the globals it sets is reachable from the page.
constexpr const char* kPrelude = R"JS((function (G, N, info) {
    var href = info.url;
    function go(url) { N.navigate(String(url)); }
    var location = {
        assign: go,
        replace: go,
        reload: function () { go(href); },
        toString: function () { return href; }
    };
    Object.defineProperty(location, 'href', { get: function () { return href; }, set: go, enumerable: true });
    var document = {
        title: info.title,
        URL: href,
        documentElement: { innerHTML: info.source }
    };
    Object.defineProperty(document, 'location',
        { get: function () { return location; }, set: go, enumerable: true });
    Object.defineProperty(document, 'cookie', {
        get: function () { return N.getCookie(); },
        set: function (text) { N.setCookie(String(text)); },
        enumerable: true
    });
    Object.defineProperty(G, 'location',
        { get: function () { return location; }, set: go, enumerable: true });
    G.window = G;
    G.self = G;
    G.document = document;
    G.navigator = { userAgent: info.userAgent };
    function line(args) { return Array.prototype.join.call(args, ' '); }
    G.console = {
        log: function () { N.log(line(arguments)); },
        info: function () { N.log(line(arguments)); },
        warn: function () { N.log(line(arguments)); },
        error: function () { N.log(line(arguments)); }
    };
    G.alert = function (message) { N.alert(String(message)); };
    function timer(callback, delay, repeats, extra) {
        var run;
        if (typeof callback === 'function') {
            run = function () { callback.apply(G, extra); };
        } else {
            var code = String(callback);
            run = function () { (0, eval)(code); };
        }
        return N.setTimer(run, Number(delay) || 0, repeats);
    }
    G.setTimeout = function (callback, delay) {
        return timer(callback, delay, false, Array.prototype.slice.call(arguments, 2));
    };
    G.setInterval = function (callback, delay) {
        return timer(callback, delay, true, Array.prototype.slice.call(arguments, 2));
    };
    G.clearTimeout = G.clearInterval = function (id) { N.clearTimer(Number(id) || 0); };
}))JS";

DuktapeScriptHost& hostOf(duk_context* ctx) {
    return *heapOf(ctx).host;
}

std::optional<fnd::Url> documentUrl(DuktapeScriptHost& host) {
    return fnd::Url::parse(host.document().url);
}

// The page's view of the shared cookies: name=value pairs for the document URL, without HttpOnly ones.
std::string cookieText(DuktapeScriptHost& host) {
    auto url = documentUrl(host);
    if (!url) {
        return {};
    }
    std::string text;
    for (const fnd::Cookie& cookie : fnd::CookieStorage::shared().cookiesForUrl(*url)) {
        if (cookie.httpOnly) {
            continue;
        }
        if (!text.empty()) {
            text += "; ";
        }
        text += cookie.name + "=" + cookie.value;
    }
    return text;
}

// `document.cookie = text` stores the cookie as a Set-Cookie field of the document's response would;
// a page cannot set HttpOnly cookies.
void storeCookie(DuktapeScriptHost& host, const std::string& text) {
    auto url = documentUrl(host);
    fnd::HttpHeaders headers;
    if (!url || !headers.add("Set-Cookie", text)) {
        ZLOG(Warn, "DuktapeScriptHost: the page's cookie \"%s\" was ignored", fnd::logPreview(text));
        return;
    }
    std::vector<fnd::Cookie> cookies;
    for (fnd::Cookie& cookie : fnd::Cookie::cookiesWithResponseHeaderFields(headers, *url)) {
        if (!cookie.httpOnly) {
            cookies.push_back(std::move(cookie));
        }
    }
    fnd::CookieStorage::shared().setCookies(cookies, *url, url);
}

duk_ret_t native(duk_context* ctx) {
    DuktapeScriptHost& host = hostOf(ctx);
    switch (duk_get_current_magic(ctx)) {
    case Navigate:
        if (auto client = host.client()) {
            client->navigate(duk::textAt(ctx, 0), NavigationType::Other); // queued until the entry returns
        }
        return 0;
    case Log:
        ZLOG(Info, "page console: %s", fnd::logPreview(duk::textAt(ctx, 0), 400));
        return 0;
    case Alert:
        ZLOG(Info, "page alert: %s", fnd::logPreview(duk::textAt(ctx, 0), 400));
        return 0;
    case GetCookie:
        duk::pushText(ctx, cookieText(host));
        return 1;
    case SetCookie:
        storeCookie(host, duk::textAt(ctx, 0));
        return 0;
    case SetTimer: {
        const double delay = duk_get_number_default(ctx, 1, 0);
        const uint64_t id = host.addPageTimer(delay > 0 ? delay / 1000.0 : 0, duk_get_boolean(ctx, 2) != 0);
        if (id != 0) {
            duk_push_global_stash(ctx);
            duk_get_prop_string(ctx, -1, kTimersKey);
            duk_dup(ctx, 0);
            duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(id));
            duk_pop_2(ctx);
        }
        duk_push_number(ctx, static_cast<double>(id));
        return 1;
    }
    case ClearTimer: {
        const double id = duk_get_number_default(ctx, 0, 0);
        if (id >= 1 && id < 4294967295.0) {
            host.clearPageTimer(static_cast<uint64_t>(id));
        }
        return 0;
    }
    default:
        return 0;
    }
}

// Calls the bound object's method named by the running function's hidden properties. A C++
// exception from the method becomes a JavaScript error.
duk_ret_t methodTrampoline(duk_context* ctx) {
    const duk_idx_t count = duk_get_top(ctx);
    duk_push_current_function(ctx);
    duk_get_prop_string(ctx, -1, kObjectKey);
    duk_get_prop_string(ctx, -2, kMethodKey);
    const std::string objectName = duk::textAt(ctx, -2);
    const std::string methodName = duk::textAt(ctx, -1);
    duk_pop_3(ctx);

    std::shared_ptr<ScriptObject> object = hostOf(ctx).boundObject(objectName);
    std::vector<fnd::Value> args;
    args.reserve(static_cast<size_t>(count));
    for (duk_idx_t i = 0; i < count; ++i) {
        args.push_back(duk::valueAt(ctx, i));
    }
    std::optional<fnd::Value> result;
    std::string failure;
    bool failed = false;
    if (object) {
        try {
            result = object->invoke(methodName, args);
        } catch (const std::exception& e) {
            failed = true;
            failure = e.what();
        }
    }
    if (failed) {
        ZLOG(Warn, "DuktapeScriptHost: %s.%s threw: %s", fnd::logPreview(objectName), fnd::logPreview(methodName),
             fnd::logPreview(failure));
        const std::string message = duk::toEngineText(objectName + "." + methodName + ": " + failure);
        duk_error(ctx, DUK_ERR_ERROR, "%s", message.c_str());
    }
    if (!result) {
        return 0;
    }
    duk::pushValue(ctx, *result);
    return 1;
}

duk_ret_t forgetCallback(duk_context* ctx, void* udata) {
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kTimersKey);
    duk_del_prop_index(ctx, -1, static_cast<duk_uarridx_t>(*static_cast<uint64_t*>(udata)));
    duk_pop_2(ctx);
    return 0;
}

} // namespace

void installEnvironment(duk_context* ctx, const ScriptDocumentInfo& info) {
    duk_push_global_stash(ctx);
    duk_push_object(ctx);
    duk_put_prop_string(ctx, -2, kTimersKey);
    duk_pop(ctx);

    duk_push_string(ctx, kPrelude);
    duk_push_string(ctx, "prelude");
    duk_compile(ctx, DUK_COMPILE_EVAL);
    duk_call(ctx, 0); // the prelude function
    duk_push_global_object(ctx);
    const duk_idx_t natives = duk_push_object(ctx);
    for (duk_int_t i = 0; i < NativeCount; ++i) {
        duk_push_c_function(ctx, native, kNativeArgs[i]);
        duk_set_magic(ctx, -1, i);
        duk_put_prop_string(ctx, natives, kNativeNames[i]);
    }
    const duk_idx_t facts = duk_push_object(ctx);
    duk::pushText(ctx, info.url);
    duk_put_prop_string(ctx, facts, "url");
    duk::pushText(ctx, info.title);
    duk_put_prop_string(ctx, facts, "title");
    duk::pushText(ctx, info.source);
    duk_put_prop_string(ctx, facts, "source");
    duk::pushText(ctx, info.userAgent);
    duk_put_prop_string(ctx, facts, "userAgent");
    duk_call(ctx, 3);
    duk_pop(ctx);
}

void installBinding(duk_context* ctx, const std::string& name, const ScriptObject& object) {
    duk_push_global_object(ctx);
    duk::pushText(ctx, name);
    const duk_idx_t target = duk_push_object(ctx);
    for (const std::string& method : object.methodNames()) {
        duk::pushText(ctx, method);
        duk_push_c_function(ctx, methodTrampoline, DUK_VARARGS);
        duk::pushText(ctx, name);
        duk_put_prop_string(ctx, -2, kObjectKey);
        duk::pushText(ctx, method);
        duk_put_prop_string(ctx, -2, kMethodKey);
        duk_put_prop(ctx, target);
    }
    duk_put_prop(ctx, -3);
    duk_pop(ctx);
}

void runTimerCallback(duk_context* ctx, uint64_t id, bool once) {
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kTimersKey);
    duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(id));
    if (once) {
        duk_del_prop_index(ctx, -2, static_cast<duk_uarridx_t>(id));
    }
    if (duk_is_function(ctx, -1)) {
        duk_call(ctx, 0);
    }
    duk_pop_3(ctx);
}

void forgetTimerCallback(duk_context* ctx, uint64_t id) {
    if (duk_safe_call(ctx, forgetCallback, &id, 0, 1) != DUK_EXEC_SUCCESS) {
        ZLOG(Warn, "DuktapeScriptHost: could not drop the callback of timer %llu", static_cast<unsigned long long>(id));
    }
    duk_pop(ctx);
}

} // namespace ui
