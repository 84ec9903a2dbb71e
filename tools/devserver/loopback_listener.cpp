// The loopback listener's set-up, thread and orderly stop.
#include "tools/devserver/loopback_listener.h"

#include "platform/foundation/log.h"

namespace zelvan::devserver {

LoopbackListener::LoopbackListener(std::string name) : name_(std::move(name)), acceptor_(io_) {}

LoopbackListener::~LoopbackListener() {
    stop([] {});
}

bool LoopbackListener::listen(uint16_t port) {
    asio::error_code ec;
    asio::ip::tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
    acceptor_.open(endpoint.protocol(), ec);
    if (!ec) {
        acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
    }
    if (!ec) {
        acceptor_.bind(endpoint, ec);
    }
    if (!ec) {
        acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    }
    if (ec) {
        ZLOG(Error, "%s: cannot listen on 127.0.0.1:%d (%s)", name_.c_str(), static_cast<int>(port),
             ec.message().c_str());
        asio::error_code ignored;
        acceptor_.close(ignored);
        return false;
    }
    port_ = acceptor_.local_endpoint(ec).port();
    io_.restart(); // after an earlier stop() the context has run out of work
    return true;
}

void LoopbackListener::run() {
    work_.emplace(io_.get_executor());
    thread_ = std::thread([this] {
        try {
            io_.run();
        } catch (const std::exception& e) {
            ZLOG(Error, "%s: thread stopped by an exception: %s", name_.c_str(), e.what());
        }
    });
    ZLOG(Info, "%s: listening on 127.0.0.1:%d", name_.c_str(), static_cast<int>(port_));
}

void LoopbackListener::stop(const std::function<void()>& closeAll) {
    if (!thread_.joinable()) {
        return;
    }
    asio::post(io_, [this, closeAll] {
        asio::error_code ignored;
        acceptor_.close(ignored);
        closeAll();
    });
    // Without the guard run() returns once the aborted reads and writes have completed.
    work_.reset();
    thread_.join();
}

} // namespace zelvan::devserver
