// The loopback cpp-httplib server and its listening thread.
#include "tools/devserver/http_server_thread.h"

#include <chrono>

namespace zelvan::devserver {

HttpServerThread::HttpServerThread() {
    // Every response closes its connection, so stop() never waits on an idle client.
    server_.set_keep_alive_max_count(1);
}

HttpServerThread::~HttpServerThread() {
    stop();
}

uint16_t HttpServerThread::start(uint16_t port) {
    if (running_) {
        return 0;
    }
    const int bound =
        port == 0 ? server_.bind_to_any_port("127.0.0.1") : (server_.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        return 0;
    }
    running_ = true;
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() only reaches a server whose accept loop runs, so wait for it.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    return static_cast<uint16_t>(bound);
}

void HttpServerThread::stop() {
    if (!running_) {
        return;
    }
    server_.stop();
    if (thread_.joinable()) {
        thread_.join();
    }
    running_ = false;
}

} // namespace zelvan::devserver
