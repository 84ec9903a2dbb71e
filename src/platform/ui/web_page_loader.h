// How a web view fetches documents: the WebPageLoader interface (the web platform may install its
// own through ui/backends.h), the scheme registry for schemes other than http(s), file and about,
// and the default loader over fnd::UrlConnection.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"

namespace ui {

// A fetched document.
struct WebPageContent {
    fnd::Url url;                 // the URL that answered (after redirects)
    std::string mimeType;         // "text/html"; "application/octet-stream" when unknown
    std::string textEncodingName; // the charset named by the server, lower case; "" when none
    fnd::Bytes data;
};

using WebPageCompletion = std::function<void(fnd::Result<WebPageContent>)>;
// Stops a fetch: its completion is not called afterwards. Calling it again does nothing.
using WebPageCancel = std::function<void()>;

class WebPageLoader {
public:
    virtual ~WebPageLoader() = default;
    // Starts fetching `request` (main thread). `done` runs exactly once on the main loop, never
    // inside fetch() itself, unless the returned cancel runs first.
    virtual WebPageCancel fetch(const fnd::UrlRequest& request, WebPageCompletion done) = 0;
};

// Handlers for schemes the default loader does not know ("zelvan_cache_file"). Handlers run on
// the main thread and answer at once.
class WebSchemeRegistry {
public:
    using Handler = std::function<fnd::Result<WebPageContent>(const fnd::UrlRequest& request)>;

    static WebSchemeRegistry& shared();

    // The scheme is matched without regard to case; registering again replaces the handler.
    void registerScheme(const std::string& scheme, Handler handler);
    void unregisterScheme(const std::string& scheme);
    // Null when nothing handles the scheme.
    Handler handlerForScheme(const std::string& scheme) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, Handler> handlers_;
};

// The default loader:
//  - http, https and file go through fnd::UrlConnection scheduled on the main loop (shared
//    cookies, the request's header fields; an HTTP error status still delivers its page);
//  - about:blank (any about: URL) is an empty text/html page;
//  - other schemes go to WebSchemeRegistry::shared(); a scheme nobody handles fails with
//    fnd.url -1002 (unsupported URL).
class DefaultWebPageLoader : public WebPageLoader {
public:
    WebPageCancel fetch(const fnd::UrlRequest& request, WebPageCompletion done) override;
};

} // namespace ui
