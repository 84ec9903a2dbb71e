// A loopback port that refuses every connection, for tests of refused connections. A socket is bound
// to it and never listens, so the kernel answers each connect with a reset; and since that socket does
// not allow address reuse, no server of this process, nor of another test process running beside it,
// can take the port meanwhile. (A port merely found free and let go can be taken by such a server
// before the test connects to it: the client then reaches a stranger instead of being refused.)
#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/address.hpp>
#include <asio/ip/tcp.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace fnd::testing {

class RefusedPort {
public:
    RefusedPort() : socket_(io_) {
        socket_.open(asio::ip::tcp::v4());
        socket_.bind({asio::ip::make_address("127.0.0.1"), 0});
        port_ = socket_.local_endpoint().port();
    }
    RefusedPort(const RefusedPort&) = delete;
    RefusedPort& operator=(const RefusedPort&) = delete;

    uint16_t port() const { return port_; }

private:
    asio::io_context io_;
    asio::ip::tcp::socket socket_;
    uint16_t port_ = 0;
};

// The process's refused port, held until it exits.
inline uint16_t refusedPort() {
    static const RefusedPort held;
    return held.port();
}

// An http address on the refused port.
inline std::string refusedUrl(std::string_view path = "/") {
    return "http://127.0.0.1:" + std::to_string(refusedPort()) + std::string(path);
}

} // namespace fnd::testing
