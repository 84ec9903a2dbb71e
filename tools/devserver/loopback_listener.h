// LoopbackListener: a TCP listener on 127.0.0.1 with its own asio context and thread, shared by the dev
// server and its voice relay: listen (port 0 picks a free one), run the context, and stop it again.
#pragma once

#include <asio.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace zelvan::devserver {

class LoopbackListener {
public:
    // `name` starts the listener's log lines ("devserver", "voice relay").
    explicit LoopbackListener(std::string name);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // Binds and listens on 127.0.0.1:port; false and an ERROR line when it cannot.
    bool listen(uint16_t port);
    // Runs the context on its own thread until stop(); queue the first accept before or after.
    void run();
    // On the context's thread: closes the acceptor, then runs `closeAll` (the owner's connections);
    // then lets the context run out of work and joins its thread. Nothing when not running.
    void stop(const std::function<void()>& closeAll);

    asio::io_context& io() { return io_; }
    asio::ip::tcp::acceptor& acceptor() { return acceptor_; }
    // The port listened on, 0 before listen().
    uint16_t port() const { return port_; }

private:
    std::string name_;
    asio::io_context io_;
    std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work_;
    asio::ip::tcp::acceptor acceptor_;
    std::thread thread_;
    uint16_t port_ = 0;
};

} // namespace zelvan::devserver
