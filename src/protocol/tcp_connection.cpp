// TCPConnection over fnd::TcpStream: frames or raw chunks in, a send queue flushed as the stream
// makes room, and open / fail / close reported to the delegate.
#include "protocol/tcp_connection.h"

#include "platform/foundation/run_loop.h"
#include "protocol/tracer.h"

namespace zelvan {

// Forwards the stream's events to the connection while it exists; the connection clears `owner`
// when it goes, so events that were already queued find nobody.
struct TCPConnection::StreamEvents : fnd::TcpStreamDelegate {
    TCPConnection* owner = nullptr;

    void streamOpenCompleted(fnd::TcpStream&) override {
        if (owner) {
            owner->onOpen();
        }
    }
    void streamHasBytesAvailable(fnd::TcpStream& stream) override {
        if (owner) {
            owner->onBytes(stream);
        }
    }
    void streamHasSpaceAvailable(fnd::TcpStream&) override {
        if (owner) {
            owner->sendDataInBuffer();
        }
    }
    void streamErrorOccurred(fnd::TcpStream&, const fnd::Error& error) override {
        if (owner) {
            owner->onError(error);
        }
    }
    void streamEndEncountered(fnd::TcpStream&) override {
        if (owner) {
            owner->onEnd();
        }
    }
};

TCPConnection::TCPConnection(const std::string& host, uint16_t port, int format)
    : host_(host), port_(port), format_(format == kFormatRaw ? kFormatRaw : kFormatFramed),
      events_(std::make_shared<StreamEvents>()) {
    events_->owner = this;
    stream_ = fnd::TcpStream::connect(host_, port_, fnd::RunLoop::current(), events_);
}

TCPConnection::~TCPConnection() {
    *alive_ = false;
    events_->owner = nullptr;
    if (stream_) {
        stream_->close();
    }
}

bool TCPConnection::sendData(std::span<const uint8_t> payload) {
    if (!valid_) {
        return false;
    }
    if (payload.size() > kMaxFrameBytes) {
        // The receiving side refuses such a frame, and above 4 GiB the length would not even fit.
        ZTRACE_ERROR("payload of %lld bytes is above the frame limit; not sent",
                     static_cast<long long>(payload.size()));
        return false;
    }
    return sendRawData(encodeFrame(payload));
}

bool TCPConnection::sendRawData(std::span<const uint8_t> bytes) {
    if (!valid_ || bytes.empty()) {
        return false;
    }
    outbound_.insert(outbound_.end(), bytes.begin(), bytes.end());
    sendDataInBuffer();
    return true;
}

void TCPConnection::sendDataInBuffer() {
    if (!valid_ || !opened_ || !stream_) {
        return;
    }
    while (sent_ < outbound_.size()) {
        size_t taken = stream_->write(std::span<const uint8_t>(outbound_.data() + sent_, outbound_.size() - sent_));
        if (taken == 0) {
            if (stream_->status() != fnd::TcpStream::Status::Open) {
                ZTRACE_WARN("write to %@:%d failed; the connection is closed", host_, static_cast<int>(port_));
                invalidate();
                return;
            }
            break; // the send buffer is full; the next has-space event continues
        }
        sent_ += taken;
    }
    if (sent_ == outbound_.size()) {
        outbound_.clear();
        sent_ = 0;
    } else if (sent_ > outbound_.size() / 2) {
        outbound_.erase(outbound_.begin(), outbound_.begin() + static_cast<std::ptrdiff_t>(sent_));
        sent_ = 0;
    }
}

void TCPConnection::invalidate() {
    if (!valid_) {
        return;
    }
    if (tearDown()) {
        if (auto d = delegate()) {
            d->connectionDidClose(*this);
        }
    }
}

void TCPConnection::closeOnProtocolError() {
    if (!valid_) {
        return;
    }
    protocolError_ = true;
    invalidate();
}

bool TCPConnection::tearDown() {
    bool wasOpen = opened_;
    valid_ = false;
    opened_ = false;
    events_->owner = nullptr;
    if (stream_) {
        stream_->close();
        stream_.reset();
    }
    fnd::Bytes().swap(outbound_);
    sent_ = 0;
    return wasOpen;
}

void TCPConnection::onOpen() {
    if (!valid_) {
        return;
    }
    opened_ = true;
    if (auto d = delegate()) {
        d->connectionDidOpen(*this);
    }
}

void TCPConnection::onBytes(fnd::TcpStream& stream) {
    uint8_t chunk[kRawChunkBytes];
    std::shared_ptr<bool> alive = alive_;
    while (valid_) {
        size_t n = stream.read(chunk, sizeof chunk);
        if (n == 0) {
            return;
        }
        if (format_ == kFormatRaw) {
            if (auto d = delegate()) {
                d->connectionDidReceiveRawData(*this, chunk, n);
                if (!*alive) {
                    return;
                }
            }
            continue;
        }
        std::vector<fnd::Bytes> payloads;
        bool ok = reader_.feed(std::span<const uint8_t>(chunk, n), payloads);
        for (fnd::Bytes& payload : payloads) {
            if (!valid_) {
                return;
            }
            if (auto d = delegate()) {
                d->connectionDidReceiveFrame(*this, std::make_shared<const fnd::Bytes>(std::move(payload)));
                if (!*alive) {
                    return;
                }
            }
        }
        if (!ok) {
            ZTRACE_ERROR("closing the connection to %@:%d after a bad frame header", host_, static_cast<int>(port_));
            closeOnProtocolError();
            return;
        }
    }
}

void TCPConnection::onError(const fnd::Error& error) {
    if (!valid_) {
        return;
    }
    bool wasOpen = tearDown();
    auto d = delegate();
    if (wasOpen) {
        ZTRACE_WARN("connection to %@:%d broke: %@", host_, static_cast<int>(port_), error.localizedDescription());
        if (d) {
            d->connectionDidClose(*this);
        }
    } else {
        ZTRACE_WARN("could not connect to %@:%d: %@", host_, static_cast<int>(port_), error.localizedDescription());
        if (d) {
            d->connectionDidFailOpening(*this);
        }
    }
}

void TCPConnection::onEnd() {
    if (!valid_) {
        return;
    }
    if (format_ == kFormatFramed && reader_.pendingBytes() > 0) {
        ZTRACE_WARN("%@:%d closed in the middle of a frame; %lld bytes dropped", host_, static_cast<int>(port_),
                    static_cast<long long>(reader_.pendingBytes()));
        protocolError_ = true;
    }
    invalidate();
}

} // namespace zelvan
