// The game-server (and voice relay) connection: one TCP stream on the run loop of the thread that
// opened it, carrying either length-prefixed codec frames or raw bytes, with its events reported to
// a delegate on that same loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/tcp_stream.h"
#include "protocol/frame_codec.h"

namespace zelvan {

class TCPConnection;

// Events of a connection, all delivered on the loop of the thread that created it. Every method
// is optional. A delegate may invalidate or release the connection from inside any of them.
class TCPConnectionDelegate {
public:
    virtual ~TCPConnectionDelegate() = default;
    virtual void connectionDidOpen(TCPConnection& /*conn*/) {}
    // The connect failed (refused, unknown host, timed out). Nothing follows.
    virtual void connectionDidFailOpening(TCPConnection& /*conn*/) {}
    // An open connection ended: the peer closed it, it broke, or it was invalidated. Reported once.
    virtual void connectionDidClose(TCPConnection& /*conn*/) {}
    // Framed format: one complete payload (the bytes after the length prefix).
    virtual void connectionDidReceiveData(TCPConnection& /*conn*/, const fnd::Bytes& /*payload*/) {}
    // Framed format, for a delegate that keeps parts of a payload: the same payload as a buffer it may share
    // (values decoded from it can hold on to it instead of copying). By default it goes to
    // connectionDidReceiveData; a delegate implements one of the two.
    virtual void connectionDidReceiveFrame(TCPConnection& conn, const std::shared_ptr<const fnd::Bytes>& payload) {
        connectionDidReceiveData(conn, *payload);
    }
    // Raw format: bytes as they arrived, in chunks of at most kRawChunkBytes.
    virtual void connectionDidReceiveRawData(TCPConnection& /*conn*/, const uint8_t* /*data*/, size_t /*length*/) {}
};

// Not thread-safe: create, use and destroy it on one thread, whose run loop carries its events.
class TCPConnection {
public:
    // Frames of a 4-byte big-endian length and a payload, or plain bytes.
    static constexpr int kFormatFramed = 0;
    static constexpr int kFormatRaw = 1;
    // The largest piece handed to connectionDidReceiveRawData.
    static constexpr size_t kRawChunkBytes = 8192;

    // Starts connecting to `host`:`port` on the calling thread's run loop. Any format other than
    // kFormatRaw is framed. The connection is valid (and queues what is sent) from here on.
    TCPConnection(const std::string& host, uint16_t port, int format);
    ~TCPConnection();
    TCPConnection(const TCPConnection&) = delete;
    TCPConnection& operator=(const TCPConnection&) = delete;

    void setDelegate(std::weak_ptr<TCPConnectionDelegate> delegate) { delegate_ = std::move(delegate); }

    // Sends one payload behind its length prefix. Returns false when nothing was queued: the
    // connection is not valid, or the payload is above kMaxFrameBytes (logged as an ERROR).
    bool sendData(std::span<const uint8_t> payload);
    bool sendData(const fnd::Bytes& payload) {
        return sendData(std::span<const uint8_t>(payload.data(), payload.size()));
    }
    // Queues bytes as they are, when the connection is valid and `bytes` is not empty, and tries to
    // flush them. A write failure invalidates the connection.
    bool sendRawData(std::span<const uint8_t> bytes);
    bool sendRawData(const fnd::Bytes& bytes) {
        return sendRawData(std::span<const uint8_t>(bytes.data(), bytes.size()));
    }
    // Writes queued bytes while the stream accepts them; called again whenever it has room.
    void sendDataInBuffer();

    bool isValid() const { return valid_; }
    bool isOpen() const { return valid_ && opened_; }
    // Framed format: the connection ended because the peer broke the framing (a frame header over the
    // limit, or a close in the middle of a frame) or its delegate refused what the frames carried
    // (closeOnProtocolError). Read it in connectionDidClose.
    bool endedOnProtocolError() const { return protocolError_; }
    // Tears the connection down and drops what is queued; an open connection reports
    // connectionDidClose (once). Harmless when already invalid.
    void invalidate();
    // invalidate() for a peer that broke the protocol: the close reads endedOnProtocolError().
    void closeOnProtocolError();

    const std::string& host() const { return host_; }
    uint16_t port() const { return port_; }
    int format() const { return format_; }
    // Bytes queued but not yet taken by the stream.
    size_t queuedBytes() const { return outbound_.size() - sent_; }

private:
    struct StreamEvents;
    friend struct StreamEvents;

    void onOpen();
    void onBytes(fnd::TcpStream& stream);
    void onError(const fnd::Error& error);
    void onEnd();
    // Stops the stream and forgets queued bytes; returns whether the connection had opened.
    bool tearDown();
    std::shared_ptr<TCPConnectionDelegate> delegate() const { return delegate_.lock(); }

    const std::string host_;
    const uint16_t port_;
    const int format_;
    std::weak_ptr<TCPConnectionDelegate> delegate_;
    std::shared_ptr<StreamEvents> events_;
    std::shared_ptr<fnd::TcpStream> stream_;
    // Cleared by the destructor, so a callback whose delegate released the connection stops at once.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    FrameReader reader_;
    fnd::Bytes outbound_;
    size_t sent_ = 0; // bytes at the front of outbound_ already taken by the stream
    bool valid_ = true;
    bool opened_ = false;
    bool protocolError_ = false;
};

} // namespace zelvan
