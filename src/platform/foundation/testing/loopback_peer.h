// A one-connection TCP server on 127.0.0.1 for tests: its body runs on its own thread with blocking
// socket calls, so a test can play any peer (echo, silent reader, early close) against the client.
#pragma once

#include <sys/socket.h>

#include <asio/io_context.hpp>
#include <asio/ip/address.hpp>
#include <asio/ip/tcp.hpp>

#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace fnd::testing {

class LoopbackPeer {
public:
    explicit LoopbackPeer(std::function<void(asio::ip::tcp::socket&)> body)
        : acceptor_(io_, {asio::ip::make_address("127.0.0.1"), 0}) {
        port_ = acceptor_.local_endpoint().port();
        thread_ = std::thread([this, body = std::move(body)] {
            asio::ip::tcp::socket socket(io_);
            std::error_code ec;
            acceptor_.accept(socket, ec);
            if (ec) {
                return;
            }
            socket.set_option(asio::ip::tcp::no_delay(true), ec);
            {
                std::lock_guard lock(mutex_);
                accepted_ = socket.native_handle();
            }
            body(socket);
            std::lock_guard lock(mutex_);
            accepted_ = -1;
        });
    }
    ~LoopbackPeer() {
        {
            // A failed test may leave the body blocked: shutting the sockets down wakes it.
            std::lock_guard lock(mutex_);
            ::shutdown(acceptor_.native_handle(), SHUT_RDWR);
            if (accepted_ >= 0) {
                ::shutdown(accepted_, SHUT_RDWR);
            }
        }
        join();
    }
    void join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    uint16_t port() const { return port_; }

private:
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    uint16_t port_ = 0;
    std::mutex mutex_;
    int accepted_ = -1;
    std::thread thread_;
};

} // namespace fnd::testing
