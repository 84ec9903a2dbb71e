// A TCP connection as one bidirectional byte stream on a run loop: asynchronous name resolution
// and connect with a deadline on the loop's timer heap, non-blocking reads from what has arrived,
// writes into a bounded send buffer, and delegate events delivered on the owning loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/run_loop.h"

namespace fnd {

class TcpStream;

// Events of a stream, all delivered on the stream's loop. Every method is optional.
class TcpStreamDelegate {
public:
    virtual ~TcpStreamDelegate() = default;
    // The connection is up; writes are accepted from now on.
    virtual void streamOpenCompleted(TcpStream& /*stream*/) {}
    // Bytes wait to be read. Raised again while bytes remain after a read, and when more arrive.
    virtual void streamHasBytesAvailable(TcpStream& /*stream*/) {}
    // The stream accepts writes: once after opening, then each time the send buffer has drained.
    virtual void streamHasSpaceAvailable(TcpStream& /*stream*/) {}
    // The connect failed or timed out, or the connection broke. Terminal: nothing follows.
    virtual void streamErrorOccurred(TcpStream& /*stream*/, const Error& /*error*/) {}
    // The peer closed its side and every byte it sent has been read. Terminal: nothing follows.
    virtual void streamEndEncountered(TcpStream& /*stream*/) {}
};

class TcpStream : public std::enable_shared_from_this<TcpStream> {
public:
    // Error domain of stream errors. Codes are POSIX errno values (ECONNREFUSED, ETIMEDOUT,
    // ECONNRESET, ...) or, for failed name lookups, kHostNotFound.
    static constexpr std::string_view kErrorDomain = "fnd.stream";
    static constexpr int64_t kHostNotFound = -1003;
    static constexpr double kDefaultConnectTimeout = 30.0;
    // Bytes the send buffer holds; write() accepts no more than what is free of it.
    static constexpr size_t kSendBufferCapacity = 64 * 1024;
    // Bytes received but not yet read; reading from the socket pauses while this much waits.
    static constexpr size_t kReceiveBufferCapacity = 256 * 1024;

    // The original stream status values.
    enum class Status { NotOpen = 0, Opening = 1, Open = 2, AtEnd = 5, Closed = 6, Error = 7 };

    // Starts resolving `host` and connecting to `port`, with the connect deadline armed first on
    // `loop`'s timer heap (so a manual clock drives it). Every event goes to `delegate` (held
    // weakly; events for a delegate that has gone are skipped) on `loop`. May be called from any
    // thread; nothing is delivered before the loop runs. The stream keeps itself alive while it
    // is opening or open, and lets go on close(), an error or the end. A `connectTimeout` that is
    // not positive means the default.
    static std::shared_ptr<TcpStream> connect(const std::string& host, uint16_t port, RunLoop& loop,
                                              std::weak_ptr<TcpStreamDelegate> delegate,
                                              double connectTimeout = kDefaultConnectTimeout);
    ~TcpStream();
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    void setDelegate(std::weak_ptr<TcpStreamDelegate> delegate);

    // Copies up to `max` received bytes into `buffer` and returns the count; 0 when nothing has
    // arrived. Never blocks.
    size_t read(uint8_t* buffer, size_t max);
    bool hasBytesAvailable() const;

    // Takes as many of `bytes` as the send buffer has room for and returns that count (0 before
    // the stream is open or after it ended). Never blocks; the bytes go out in order.
    size_t write(std::span<const uint8_t> bytes);
    bool hasSpaceAvailable() const;

    // Closes the connection at once: bytes still in the send buffer are dropped (those already
    // handed to the system still go out). No event is delivered after this, not even one already
    // queued. Safe from any thread, like read() and write().
    void close();

    Status status() const;
    // The error that ended the stream, when status() is Error.
    std::optional<Error> error() const;
    const std::string& host() const { return host_; }
    uint16_t port() const { return port_; }

    struct Passkey {
    private:
        friend class TcpStream;
        Passkey() = default;
    };
    struct LoopLink;
    TcpStream(Passkey, std::string host, uint16_t port, std::weak_ptr<RunLoop> loop, std::shared_ptr<LoopLink> link,
              std::weak_ptr<TcpStreamDelegate> delegate);

private:
    struct Socketry; // the resolver, socket and I/O buffers, only touched on the loop's thread
    struct Resolved;
    struct Registry; // per I/O context: tears the streams' socket objects down with the context
    enum class Event { Open, Bytes, Space, Error, End };

    void start();
    void onResolved(const std::error_code& ec, const Resolved& resolved);
    void onConnected(const std::error_code& ec);
    void onDeadline(double seconds);
    void startReading();
    void onRead(const std::error_code& ec, size_t n);
    void startWriting();
    void onWritten(const std::error_code& ec);
    // Runs `fn` on the loop's thread: inline when already there, else posted to the loop.
    template <class Fn>
    void onLoop(Fn fn);
    // Posts `event` to the loop; at its turn it is skipped if the stream was closed meanwhile.
    void queue(Event event);
    void deliver(Event event);
    void queueBytes();
    void endIfDrained();
    void fail(Error error);
    // On the loop's thread: the state becomes `status`, the socket closes, the self-reference goes.
    void finishLocked(Status status);
    // Destroys `io` where that is safe. Off the loop's thread the caller holds the link's mutex.
    void retire(std::unique_ptr<Socketry> io, RunLoop* loop);
    // The I/O context is being destroyed: drops the socket objects silently; returns the self-reference.
    std::shared_ptr<TcpStream> abandon();

    const std::string host_;
    const uint16_t port_;
    const std::weak_ptr<RunLoop> loop_;
    const std::shared_ptr<LoopLink> link_;

    // Lock order: the link's mutex, then this.
    mutable std::recursive_mutex mutex_;
    std::weak_ptr<TcpStreamDelegate> delegate_;
    std::unique_ptr<Socketry> io_;
    std::shared_ptr<TcpStream> self_; // while opening or open
    Status status_ = Status::NotOpen;
    std::optional<Error> error_;
    PerformHandle deadline_;
    Bytes inbound_;
    Bytes outbound_;
    size_t inFlight_ = 0;      // bytes of the socket write in progress
    bool reading_ = false;     // a socket read is in flight
    bool writing_ = false;     // a socket write is in flight
    bool peerClosed_ = false;  // EOF seen; the end follows once inbound_ is read
    bool bytesQueued_ = false; // a Bytes event waits in the loop's queue
    bool spaceOwed_ = false;   // a Space event is due when the send buffer drains
};

} // namespace fnd
