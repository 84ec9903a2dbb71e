// DevWebServer: the dev server's loopback web server. It serves the files of a site folder (pages,
// resources, images) over HTTP on 127.0.0.1, to requests whose "X-Zelvan-Session" header field holds
// a session key the game server handed out and still has connected; others get 401. Each request is
// logged.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zelvan::devserver {

struct DevWebServerOptions {
    uint16_t port = 0; // 0: the system picks a free port
    std::string root;  // the site folder; "/iphone/home.html" is <root>/iphone/home.html
};

class DevWebServer {
public:
    static constexpr const char* kSessionHeader = "X-Zelvan-Session";

    // `sessionValid` tells whether a key belongs to a live log-in (called on the server's threads).
    DevWebServer(DevWebServerOptions options, std::function<bool(const std::string&)> sessionValid);
    ~DevWebServer();
    DevWebServer(const DevWebServer&) = delete;
    DevWebServer& operator=(const DevWebServer&) = delete;

    // Binds 127.0.0.1 and starts serving on its own thread. False (and a logged line) when binding
    // fails or the server already runs.
    bool start();
    // Stops serving and joins the thread. Idempotent.
    void stop();
    // The bound port (valid after a successful start).
    uint16_t port() const { return port_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    uint16_t port_ = 0;
};

} // namespace zelvan::devserver
