// The request's fields behind its lock, and the bodies and header fields of the form and stylesheet
// requests.
#include "web/zelvan_url_request.h"

#include "platform/foundation/escape.h"
#include "web/zelvan_url_connection.h"

namespace zelvan {

int ZelvanURLRequest::connectionType() const {
    std::lock_guard lock(mutex_);
    return connectionType_;
}

void ZelvanURLRequest::setConnectionType(int type) {
    std::lock_guard lock(mutex_);
    connectionType_ = type;
}

std::string ZelvanURLRequest::url() const {
    std::lock_guard lock(mutex_);
    return url_;
}

void ZelvanURLRequest::setUrl(std::string url) {
    std::lock_guard lock(mutex_);
    url_ = std::move(url);
}

std::string ZelvanURLRequest::baseURL() const {
    std::lock_guard lock(mutex_);
    return baseURL_;
}

void ZelvanURLRequest::setBaseURL(std::string baseURL) {
    std::lock_guard lock(mutex_);
    baseURL_ = std::move(baseURL);
}

bool ZelvanURLRequest::cacheable() const {
    std::lock_guard lock(mutex_);
    return cacheable_;
}

void ZelvanURLRequest::setCacheable(bool cacheable) {
    std::lock_guard lock(mutex_);
    cacheable_ = cacheable;
}

std::shared_ptr<ZelvanURLConnectionDelegate> ZelvanURLRequest::delegate() const {
    std::lock_guard lock(mutex_);
    return delegate_.lock();
}

void ZelvanURLRequest::setDelegate(const std::shared_ptr<ZelvanURLConnectionDelegate>& delegate) {
    std::lock_guard lock(mutex_);
    delegate_ = delegate;
}

std::shared_ptr<const fnd::Bytes> ZelvanURLRequest::data() const {
    std::lock_guard lock(mutex_);
    return data_;
}

ZelvanURLRequest::State ZelvanURLRequest::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

int64_t ZelvanURLRequest::errorCode() const {
    std::lock_guard lock(mutex_);
    return errorCode_;
}

void ZelvanURLRequest::setState(State state) {
    std::lock_guard lock(mutex_);
    state_ = state;
}

void ZelvanURLRequest::finish(fnd::Bytes body) {
    std::lock_guard lock(mutex_);
    data_ = std::make_shared<const fnd::Bytes>(std::move(body));
    state_ = State::Finished;
    errorCode_ = 0;
}

void ZelvanURLRequest::fail(int64_t code) {
    std::lock_guard lock(mutex_);
    data_.reset();
    state_ = State::Failed;
    errorCode_ = code;
}

ZelvanFormRequest::ZelvanFormRequest() {
    setCacheable(false);
}

void ZelvanFormRequest::addFormValue(std::string name, std::string value) {
    std::lock_guard lock(mutex_);
    fields_.emplace_back(std::move(name), std::move(value));
}

fnd::Bytes ZelvanFormRequest::httpBody() const {
    std::lock_guard lock(mutex_);
    std::string body;
    for (const auto& [name, value] : fields_) {
        if (!body.empty()) {
            body += '&';
        }
        body += fnd::escapeUnreserved(name) + "=" + fnd::escapeUnreserved(value);
    }
    return fnd::Bytes(body.begin(), body.end());
}

std::vector<std::pair<std::string, std::string>> ZelvanFormRequest::headerFields() const {
    return {{"Content-Type", "application/x-www-form-urlencoded"}};
}

std::vector<std::pair<std::string, std::string>> ZelvanCSSRequest::headerFields() const {
    return {{"Accept", "text/css,*/*;q=0.1"}};
}

} // namespace zelvan
