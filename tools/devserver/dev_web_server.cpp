// The loopback web server on cpp-httplib: one catch-all GET handler that checks the session header
// and answers from the site folder.
#include "tools/devserver/dev_web_server.h"

#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "tools/devserver/http_server_thread.h"
#include "tools/devserver/site_files.h"

namespace zelvan::devserver {

struct DevWebServer::Impl {
    DevWebServerOptions options;
    std::function<bool(const std::string&)> sessionValid;
    HttpServerThread http;

    void handle(const httplib::Request& request, httplib::Response& response) {
        std::string key = request.get_header_value(kSessionHeader);
        if (key.empty() || !sessionValid || !sessionValid(key)) {
            response.status = 401;
            response.set_content("no valid session\n", "text/plain; charset=utf-8");
        } else if (auto file = siteFilePath(options.root, request.path)) {
            if (auto bytes = fnd::readFile(*file)) {
                response.status = 200;
                response.set_content(std::string(bytes->begin(), bytes->end()), siteContentType(*file));
            } else {
                response.status = 500;
                response.set_content("unreadable\n", "text/plain; charset=utf-8");
            }
        } else {
            response.status = 404;
            response.set_content("not found\n", "text/plain; charset=utf-8");
        }
        ZLOG(Info, "devweb: %s %s -> %d", fnd::logPreview(request.method), fnd::logPreview(request.path),
             response.status);
    }
};

DevWebServer::DevWebServer(DevWebServerOptions options, std::function<bool(const std::string&)> sessionValid)
    : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
    impl_->sessionValid = std::move(sessionValid);
    impl_->http.server().Get(".*", [impl = impl_.get()](const httplib::Request& request, httplib::Response& response) {
        impl->handle(request, response);
    });
}

DevWebServer::~DevWebServer() {
    stop();
}

bool DevWebServer::start() {
    if (impl_->http.running()) {
        return false;
    }
    port_ = impl_->http.start(impl_->options.port);
    if (port_ == 0) {
        ZLOG(Error, "devweb: cannot listen on 127.0.0.1:%d", static_cast<int>(impl_->options.port));
        return false;
    }
    ZLOG(Info, "devweb: serving %s on 127.0.0.1:%d", impl_->options.root, static_cast<int>(port_));
    return true;
}

void DevWebServer::stop() {
    impl_->http.stop();
}

} // namespace zelvan::devserver
