// HttpServerThread: a cpp-httplib server on the loopback interface, listening on a thread of its own.
// The dev server's web and ad hosts are both made of one.
#pragma once

#include <httplib.h>

#include <cstdint>
#include <thread>

namespace zelvan::devserver {

class HttpServerThread {
public:
    HttpServerThread();
    ~HttpServerThread();
    HttpServerThread(const HttpServerThread&) = delete;
    HttpServerThread& operator=(const HttpServerThread&) = delete;

    // The server, for adding handlers before start().
    httplib::Server& server() { return server_; }

    // Binds 127.0.0.1:`port` (0: any free port) and listens on its thread; the bound port, or 0 when it
    // could not bind or already runs. Returns once the accept loop runs.
    uint16_t start(uint16_t port);
    void stop();
    bool running() const { return running_; }

private:
    httplib::Server server_;
    std::thread thread_;
    bool running_ = false;
};

} // namespace zelvan::devserver
