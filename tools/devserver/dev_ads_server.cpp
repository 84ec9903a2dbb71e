// The ad host on cpp-httplib: one catch-all handler per method that routes by network prefix and
// records what it answered.
#include "tools/devserver/dev_ads_server.h"

#include <mutex>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "tools/devserver/http_server_thread.h"

namespace zelvan::devserver {

std::string DevAdsRequest::header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            return value;
        }
    }
    return {};
}

std::string DevAdsRequest::param(const std::string& name) const {
    auto it = query.find(name);
    return it == query.end() ? std::string() : it->second;
}

struct DevAdsServer::Impl {
    uint16_t requestedPort = 0;
    HttpServerThread http;
    std::map<std::string, Route> networks;
    mutable std::mutex mutex;
    std::vector<DevAdsRequest> requests;

    void handle(const httplib::Request& request, httplib::Response& response) {
        DevAdsRequest seen;
        seen.method = request.method;
        seen.path = request.path;
        seen.body = request.body;
        for (const auto& [key, value] : request.params) {
            seen.query.emplace(key, value);
        }
        for (const auto& [key, value] : request.headers) {
            seen.headers.emplace(key, value);
        }
        DevAdsResponse answer;
        size_t slash = seen.path.find('/', 1);
        std::string prefix = seen.path.substr(0, slash);
        // A network's routes take the paths under its prefix and the prefix itself (an ad query root).
        if (auto it = networks.find(prefix); it != networks.end()) {
            if (!it->second(seen, answer)) {
                answer = DevAdsResponse{};
            }
        }
        if (answer.status == 404 && answer.body.empty()) {
            answer.body = "not found\n";
        }
        response.status = answer.status;
        for (const auto& [key, value] : answer.headers) {
            response.set_header(key, value);
        }
        switch (answer.delivery) {
        case DevAdsResponse::Delivery::Whole:
            response.set_content(answer.body, answer.contentType);
            break;
        case DevAdsResponse::Delivery::NoLength:
            response.set_content_provider(answer.contentType,
                                          [body = answer.body](size_t offset, httplib::DataSink& sink) {
                                              if (offset < body.size()) {
                                                  sink.write(body.data() + offset, body.size() - offset);
                                              } else {
                                                  sink.done();
                                              }
                                              return true;
                                          });
            break;
        case DevAdsResponse::Delivery::Cut:
            response.set_content_provider(answer.body.size() * 2, answer.contentType,
                                          [body = answer.body](size_t offset, size_t, httplib::DataSink& sink) {
                                              if (offset < body.size()) {
                                                  sink.write(body.data() + offset, body.size() - offset);
                                                  return true;
                                              }
                                              return false; // closes the connection mid-body
                                          });
            break;
        }
        seen.status = answer.status;
        ZLOG(Info, "devads: %s %s -> %d", fnd::logPreview(seen.method), fnd::logPreview(seen.path), answer.status);
        std::lock_guard lock(mutex);
        requests.push_back(std::move(seen));
    }
};

DevAdsServer::DevAdsServer(uint16_t port) : impl_(std::make_unique<Impl>()) {
    impl_->requestedPort = port;
    auto handler = [impl = impl_.get()](const httplib::Request& request, httplib::Response& response) {
        impl->handle(request, response);
    };
    impl_->http.server().Get(".*", handler);
    // POST bodies are read here rather than by the library, whose form reading refuses bodies over 8 KiB
    // (an analytics batch is larger); a form body still fills the parameters.
    impl_->http.server().Post(".*", [impl = impl_.get()](const httplib::Request& request, httplib::Response& response,
                                                         const httplib::ContentReader& reader) {
        httplib::Request full = request;
        reader([&full](const char* data, size_t length) {
            full.body.append(data, length);
            return true;
        });
        if (full.get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0) == 0) {
            httplib::detail::parse_query_text(full.body, full.params);
        }
        impl->handle(full, response);
    });
}

DevAdsServer::~DevAdsServer() {
    stop();
}

void DevAdsServer::addNetwork(const std::string& prefix, Route route) {
    impl_->networks[prefix] = std::move(route);
}

bool DevAdsServer::start() {
    if (impl_->http.running()) {
        return false;
    }
    port_ = impl_->http.start(impl_->requestedPort);
    if (port_ == 0) {
        ZLOG(Error, "devads: cannot listen on 127.0.0.1:%d", static_cast<int>(impl_->requestedPort));
        return false;
    }
    ZLOG(Info, "devads: serving on 127.0.0.1:%d", static_cast<int>(port_));
    return true;
}

void DevAdsServer::stop() {
    impl_->http.stop();
}

std::string DevAdsServer::baseURL() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<DevAdsRequest> DevAdsServer::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

} // namespace zelvan::devserver
