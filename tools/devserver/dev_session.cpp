// Reading and writing of one dev server connection.
#include "tools/devserver/dev_session.h"

#include "platform/foundation/log.h"
#include "protocol/tagged_codec.h"
#include "tools/devserver/dev_server.h"

namespace zelvan::devserver {

DevSession::DevSession(DevServer& server, asio::ip::tcp::socket socket, int id)
    : server_(server), socket_(std::move(socket)), id_(id) {}

void DevSession::start() {
    readMore();
}

void DevSession::readMore() {
    auto self = shared_from_this();
    socket_.async_read_some(asio::buffer(buffer_), [this, self](const asio::error_code& ec, size_t n) {
        if (closed_) {
            return;
        }
        if (ec) {
            ZLOG(Info, "devserver: connection #%d closed by the client (%s)", id_, ec.message().c_str());
            close();
            return;
        }
        std::vector<fnd::Bytes> payloads;
        bool ok = reader_.feed(std::span<const uint8_t>(buffer_.data(), n), payloads);
        for (const fnd::Bytes& payload : payloads) {
            if (payload.empty()) {
                ZLOG(Warn, "devserver: connection #%d sent an empty frame; dropped", id_);
                continue;
            }
            fnd::Result<fnd::Value> packet = loads(payload);
            if (!packet) {
                ZLOG(Warn, "devserver: connection #%d sent an undecodable payload of %d bytes (%@); dropped", id_,
                     static_cast<int>(payload.size()), packet.error().localizedDescription());
                continue;
            }
            server_.handlePacket(*this, *packet);
            if (closed_) {
                return;
            }
        }
        if (!ok) {
            ZLOG(Warn, "devserver: connection #%d sent a frame length it cannot have; closing", id_);
            close();
            return;
        }
        readMore();
    });
}

void DevSession::send(const fnd::Value& packet) {
    if (closed_) {
        return;
    }
    outgoing_.push_back(encodeFrame(dumps(packet)));
    if (!writing_) {
        writeNext();
    }
}

void DevSession::releaseHeld() {
    std::vector<fnd::Value> held;
    held.swap(held_);
    for (const fnd::Value& packet : held) {
        send(packet);
    }
}

void DevSession::writeNext() {
    if (closed_ || outgoing_.empty()) {
        writing_ = false;
        return;
    }
    writing_ = true;
    auto self = shared_from_this();
    asio::async_write(socket_, asio::buffer(outgoing_.front()), [this, self](const asio::error_code& ec, size_t) {
        if (closed_) {
            return;
        }
        if (ec) {
            ZLOG(Warn, "devserver: write to connection #%d failed (%s)", id_, ec.message().c_str());
            close();
            return;
        }
        outgoing_.pop_front();
        writeNext();
    });
}

void DevSession::close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    // The queued frames stay until the session goes: a cancelled write may still refer to the first.
    held_.clear();
    asio::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
}

} // namespace zelvan::devserver
