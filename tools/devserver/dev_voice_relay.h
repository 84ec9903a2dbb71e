// DevVoiceRelay: a loopback voice relay for call tests and `make run`. It accepts raw TCP
// connections, reads each one's greeting (session key, big-endian channel, zero byte), keeps the
// voice bytes that follow, and sends scripted mu-law bytes back on cue (or echoes what it hears).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <asio.hpp>

#include "tools/devserver/loopback_listener.h"

#include "platform/foundation/bytes.h"

namespace zelvan::devserver {

struct DevVoiceRelayOptions {
    uint16_t port = 0; // 0: the system picks a free port
    // Whether a session key may greet the relay (the dev server's hasLiveSessionKey); the relay
    // closes a connection whose greeting names no accepted key. Unset: only the empty key.
    std::function<bool(const std::string&)> acceptKey;
    // Sends every voice byte received back to its sender.
    bool echo = false;
};

// What one connection's greeting said.
struct VoiceGreeting {
    std::string sessionKey;
    int32_t channelId = 0;
};

class DevVoiceRelay {
public:
    // The longest greeting read before a connection is refused.
    static constexpr size_t kMaxGreetingBytes = 1024;

    explicit DevVoiceRelay(DevVoiceRelayOptions options = {});
    ~DevVoiceRelay();
    DevVoiceRelay(const DevVoiceRelay&) = delete;
    DevVoiceRelay& operator=(const DevVoiceRelay&) = delete;

    // Binds 127.0.0.1 and starts the relay's thread; false (and a log line) when binding fails.
    bool start();
    // Closes everything and joins the thread. Idempotent.
    void stop();
    uint16_t port() const { return listener_.port(); }

    // Any thread but the relay's own:
    // Sends `bytes` to the latest greeted connection; false when there is none.
    bool send(const fnd::Bytes& bytes);
    // Closes every connection; the relay keeps listening.
    void closeAll();
    // Greetings read so far, in order, and every voice byte received after them.
    std::vector<VoiceGreeting> greetings() const;
    fnd::Bytes voice() const;
    // The raw bytes of every connection in arrival order, greetings included.
    fnd::Bytes received() const;
    // Wait until at least `count` greetings, or `bytes` voice bytes, have arrived, or `timeout` passed.
    bool waitForGreetings(size_t count, std::chrono::milliseconds timeout) const;
    bool waitForVoice(size_t bytes, std::chrono::milliseconds timeout) const;

private:
    class Connection;
    friend class Connection;

    void accept();
    // A connection's bytes (relay thread).
    void onBytes(const std::shared_ptr<Connection>& connection, const uint8_t* data, size_t length);
    void runOnRelay(const std::function<void()>& task);

    DevVoiceRelayOptions options_;
    LoopbackListener listener_;
    std::atomic<bool> running_{false};
    std::vector<std::shared_ptr<Connection>> connections_; // relay thread only

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<VoiceGreeting> greetings_;
    fnd::Bytes voice_;
    fnd::Bytes received_;
};

} // namespace zelvan::devserver
