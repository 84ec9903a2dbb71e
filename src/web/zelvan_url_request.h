// ZelvanURLRequest: one resource fetched through the web cache's queue - its URL (and the page URL it
// is relative to), whether the body goes to the disk cache, who hears the outcome, and the body once
// finished. ZelvanFormRequest posts a form; ZelvanCSSRequest asks for a stylesheet.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/object.h"

namespace zelvan {

class ZelvanURLConnectionDelegate;

class ZelvanURLRequest : public fnd::Object {
public:
    // Connection types: who asked for the resource.
    static constexpr int kConnectionTypeDefault = 0;
    static constexpr int kConnectionTypeAvatarItemBar = 1;

    // Where a request is in its life.
    enum class State { New, Queued, Loading, Finished, Failed };

    ZelvanURLRequest() = default;
    static std::shared_ptr<ZelvanURLRequest> init() { return std::make_shared<ZelvanURLRequest>(); }

    std::string className() const override { return "ZelvanURLRequest"; }

    int connectionType() const;
    void setConnectionType(int type);
    // The resource URL as given (absolute, or relative to baseURL()).
    std::string url() const;
    void setUrl(std::string url);
    // The page URL a relative url() is resolved against; empty when url() is absolute.
    std::string baseURL() const;
    void setBaseURL(std::string baseURL);
    // Whether a successful body is kept in the disk cache (true by default).
    bool cacheable() const;
    void setCacheable(bool cacheable);
    // Told of the outcome; held weakly.
    std::shared_ptr<ZelvanURLConnectionDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<ZelvanURLConnectionDelegate>& delegate);

    // The body once the fetch finished; null before that and after a failure.
    std::shared_ptr<const fnd::Bytes> data() const;
    State state() const;
    // The failure code of a failed fetch: an HTTP status, a "fnd.url" code, or the game server's code.
    int64_t errorCode() const;

    // What goes on the wire over HTTP; subclasses change the method, body and header fields.
    virtual std::string httpMethod() const { return "GET"; }
    virtual fnd::Bytes httpBody() const { return {}; }
    virtual std::vector<std::pair<std::string, std::string>> headerFields() const { return {}; }

    // Used by the cache and the connections.
    void setState(State state);
    void finish(fnd::Bytes body);
    void fail(int64_t code);

protected:
    mutable std::mutex mutex_;

private:
    int connectionType_ = kConnectionTypeDefault;
    std::string url_;
    std::string baseURL_;
    bool cacheable_ = true;
    std::weak_ptr<ZelvanURLConnectionDelegate> delegate_;
    std::shared_ptr<const fnd::Bytes> data_;
    State state_ = State::New;
    int64_t errorCode_ = 0;
};

// A form sent with POST as application/x-www-form-urlencoded. Its answer is never cached.
class ZelvanFormRequest : public ZelvanURLRequest {
public:
    ZelvanFormRequest();
    std::string className() const override { return "ZelvanFormRequest"; }

    // Appends one field; fields go out in the order added.
    void addFormValue(std::string name, std::string value);

    std::string httpMethod() const override { return "POST"; }
    fnd::Bytes httpBody() const override;
    std::vector<std::pair<std::string, std::string>> headerFields() const override;

private:
    std::vector<std::pair<std::string, std::string>> fields_;
};

// A page's stylesheet: fetched and cached like any resource, asking for text/css.
class ZelvanCSSRequest : public ZelvanURLRequest {
public:
    std::string className() const override { return "ZelvanCSSRequest"; }
    std::vector<std::pair<std::string, std::string>> headerFields() const override;
};

} // namespace zelvan
