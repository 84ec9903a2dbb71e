// One client connection of the dev server: reads frames of codec payloads, hands each decoded packet
// to the server, and writes framed packets back in order. Lives on the server's io thread only.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <asio.hpp>

#include "platform/foundation/value.h"
#include "protocol/frame_codec.h"

namespace zelvan::devserver {

class DevServer;

class DevSession : public std::enable_shared_from_this<DevSession> {
public:
    DevSession(DevServer& server, asio::ip::tcp::socket socket, int id);

    // Starts reading. Call once, on the io thread.
    void start();
    // Encodes and frames `packet` and queues it behind earlier writes.
    void send(const fnd::Value& packet);
    // Keeps `packet` back until releaseHeld().
    void hold(const fnd::Value& packet) { held_.push_back(packet); }
    // Sends every held packet, oldest first.
    void releaseHeld();
    // Shuts the socket; pending reads and writes end and nothing more is read or sent.
    void close();

    int id() const { return id_; }
    bool isOpen() const { return !closed_; }
    bool loggedIn() const { return !sessionKey_.empty(); }
    const std::string& phone() const { return phone_; }
    const std::string& sessionKey() const { return sessionKey_; }
    void setLogin(std::string phone, std::string sessionKey) {
        phone_ = std::move(phone);
        sessionKey_ = std::move(sessionKey);
    }

private:
    void readMore();
    void writeNext();

    DevServer& server_;
    asio::ip::tcp::socket socket_;
    int id_;
    FrameReader reader_;
    std::array<uint8_t, 8192> buffer_{};
    std::deque<fnd::Bytes> outgoing_;
    std::vector<fnd::Value> held_;
    bool writing_ = false;
    bool closed_ = false;
    std::string phone_;
    std::string sessionKey_;
};

} // namespace zelvan::devserver
