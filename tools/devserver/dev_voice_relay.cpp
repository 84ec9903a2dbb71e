// The loopback voice relay: listener, per-connection greeting reader, voice recording and the
// scripted or echoed bytes it sends back.
#include "tools/devserver/dev_voice_relay.h"

#include <array>
#include <deque>
#include <future>

#include "platform/foundation/log.h"

namespace zelvan::devserver {

class DevVoiceRelay::Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(DevVoiceRelay& relay, asio::ip::tcp::socket socket) : relay_(relay), socket_(std::move(socket)) {}

    void start() { read(); }
    void close() {
        asio::error_code ignored;
        socket_.close(ignored);
    }
    bool isOpen() const { return socket_.is_open(); }
    void write(const fnd::Bytes& bytes) {
        const bool idle = pending_.empty();
        pending_.push_back(bytes);
        if (idle) {
            writeNext();
        }
    }

    bool greeted = false;
    fnd::Bytes greeting; // bytes read before the greeting was complete

private:
    void read() {
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(buffer_), [self](const asio::error_code& ec, size_t n) {
            if (ec) {
                self->close();
                return;
            }
            self->relay_.onBytes(self, self->buffer_.data(), n);
            if (self->isOpen()) {
                self->read();
            }
        });
    }
    void writeNext() {
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(pending_.front()), [self](const asio::error_code& ec, size_t) {
            if (ec) {
                self->close();
                self->pending_.clear();
                return;
            }
            self->pending_.pop_front();
            if (!self->pending_.empty()) {
                self->writeNext();
            }
        });
    }

    DevVoiceRelay& relay_;
    asio::ip::tcp::socket socket_;
    std::array<uint8_t, 4096> buffer_{};
    std::deque<fnd::Bytes> pending_;
};

DevVoiceRelay::DevVoiceRelay(DevVoiceRelayOptions options) : options_(std::move(options)), listener_("voice relay") {}

DevVoiceRelay::~DevVoiceRelay() {
    stop();
}

bool DevVoiceRelay::start() {
    if (running_ || !listener_.listen(options_.port)) {
        return false;
    }
    running_ = true;
    accept();
    listener_.run();
    return true;
}

void DevVoiceRelay::stop() {
    if (!running_) {
        return;
    }
    listener_.stop([this] {
        for (auto& connection : connections_) {
            connection->close();
        }
        connections_.clear();
    });
    running_ = false;
}

void DevVoiceRelay::accept() {
    listener_.acceptor().async_accept([this](const asio::error_code& ec, asio::ip::tcp::socket socket) {
        if (ec) {
            return;
        }
        auto connection = std::make_shared<Connection>(*this, std::move(socket));
        connections_.push_back(connection);
        connection->start();
        accept();
    });
}

void DevVoiceRelay::onBytes(const std::shared_ptr<Connection>& connection, const uint8_t* data, size_t length) {
    std::lock_guard lock(mutex_);
    received_.insert(received_.end(), data, data + length);
    size_t used = 0;
    if (!connection->greeted) {
        const size_t before = connection->greeting.size();
        connection->greeting.insert(connection->greeting.end(), data, data + length);
        const fnd::Bytes& g = connection->greeting;
        // The key is the prefix before a 4-byte channel and a zero byte that the check accepts.
        for (size_t keyLength = 0; keyLength + 5 <= g.size(); ++keyLength) {
            if (g[keyLength + 4] != 0) {
                continue;
            }
            std::string key(g.begin(), g.begin() + static_cast<std::ptrdiff_t>(keyLength));
            const bool accepted = options_.acceptKey ? options_.acceptKey(key) : key.empty();
            if (!accepted) {
                continue;
            }
            uint32_t channel = 0;
            for (size_t i = 0; i < 4; ++i) {
                channel = (channel << 8) | g[keyLength + i];
            }
            greetings_.push_back({key, static_cast<int32_t>(channel)});
            connection->greeted = true;
            used = keyLength + 5 - before;
            ZLOG(Info, "voice relay: greeted on channel %d", static_cast<int>(channel));
            break;
        }
        if (!connection->greeted) {
            if (g.size() > kMaxGreetingBytes) {
                ZLOG(Warn, "voice relay: no acceptable greeting in %d bytes; closing", static_cast<int>(g.size()));
                connection->close();
            }
            changed_.notify_all();
            return;
        }
    }
    if (used < length) {
        voice_.insert(voice_.end(), data + used, data + length);
        if (options_.echo) {
            connection->write(fnd::Bytes(data + used, data + length));
        }
    }
    changed_.notify_all();
}

void DevVoiceRelay::runOnRelay(const std::function<void()>& task) {
    if (!running_) {
        return;
    }
    std::promise<void> done;
    asio::post(listener_.io(), [&] {
        task();
        done.set_value();
    });
    done.get_future().wait();
}

bool DevVoiceRelay::send(const fnd::Bytes& bytes) {
    bool sent = false;
    runOnRelay([&] {
        for (auto it = connections_.rbegin(); it != connections_.rend(); ++it) {
            if ((*it)->isOpen() && (*it)->greeted) {
                (*it)->write(bytes);
                sent = true;
                return;
            }
        }
    });
    return sent;
}

void DevVoiceRelay::closeAll() {
    runOnRelay([&] {
        for (auto& connection : connections_) {
            connection->close();
        }
    });
}

std::vector<VoiceGreeting> DevVoiceRelay::greetings() const {
    std::lock_guard lock(mutex_);
    return greetings_;
}

fnd::Bytes DevVoiceRelay::voice() const {
    std::lock_guard lock(mutex_);
    return voice_;
}

fnd::Bytes DevVoiceRelay::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

bool DevVoiceRelay::waitForGreetings(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return greetings_.size() >= count; });
}

bool DevVoiceRelay::waitForVoice(size_t bytes, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return voice_.size() >= bytes; });
}

} // namespace zelvan::devserver
