// TcpStream on asio: the resolver and socket live on the owning loop's I/O context and are only
// touched on the loop's thread; a per-context registry tears them down if the context goes first.
#include "platform/foundation/tcp_stream.h"

#include <asio/connect.hpp>
#include <asio/execution_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/write.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>
#include <vector>

#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop_io.h"

namespace fnd {

struct TcpStream::Socketry {
    explicit Socketry(asio::io_context& io) : resolver(io), socket(io) {}
    ~Socketry() { close(); }
    void close() {
        resolver.cancel();
        std::error_code ignored;
        socket.close(ignored);
    }

    // Buffers first, so the socket (and its pending operations) goes before them.
    std::array<uint8_t, 16 * 1024> chunk{};
    Bytes sending; // the bytes of the write in flight
    asio::ip::tcp::resolver resolver;
    asio::ip::tcp::socket socket;
};

struct TcpStream::Resolved {
    asio::ip::tcp::resolver::results_type results;
};

// Shared by a loop's registry and its streams. Off the loop's thread, asio objects are only
// handed over while `mutex` is held and `open` is true, so they never outlive their context.
struct TcpStream::LoopLink {
    std::mutex mutex;
    bool open = true;
    std::set<TcpStream*> streams;
    std::vector<std::unique_ptr<Socketry>> orphans; // left by streams whose loop is going away
};

// One per I/O context. When the context is destroyed (its loop's thread has ended and the last
// holder let go), the streams still on it lose their asio objects and self-references silently.
struct TcpStream::Registry : public asio::execution_context::service {
    using key_type = Registry;
    static asio::execution_context::id id;

    explicit Registry(asio::execution_context& context)
        : asio::execution_context::service(context), link(std::make_shared<LoopLink>()) {}

    void shutdown() override {
        std::vector<std::shared_ptr<TcpStream>> selves;
        {
            std::lock_guard lock(link->mutex);
            link->open = false;
            for (TcpStream* stream : link->streams) {
                selves.push_back(stream->abandon());
            }
            link->streams.clear();
            link->orphans.clear();
        }
        // Streams nobody else holds end here, after the lock (their destructors take it).
    }

    std::shared_ptr<LoopLink> link;
};

asio::execution_context::id TcpStream::Registry::id;

namespace {

bool isHostLookupError(const std::error_code& ec) {
    return ec.category() == asio::error::get_netdb_category() || ec.category() == asio::error::get_addrinfo_category();
}

// A stream error from an asio error: POSIX codes stay as they are, lookup failures become
// kHostNotFound, anything else EIO.
Error streamError(const std::error_code& ec, const std::string& what) {
    int64_t code = EIO;
    if (isHostLookupError(ec)) {
        code = TcpStream::kHostNotFound;
    } else if (ec.category() == asio::error::get_system_category() || ec.category() == std::generic_category()) {
        code = ec.value();
    }
    return Error(std::string(TcpStream::kErrorDomain), code, what + ": " + ec.message(),
                 std::string(ec.category().name()) + " error " + std::to_string(ec.value()));
}

} // namespace

// ---- creation and teardown ----------------------------------------------------------------------

TcpStream::TcpStream(Passkey, std::string host, uint16_t port, std::weak_ptr<RunLoop> loop,
                     std::shared_ptr<LoopLink> link, std::weak_ptr<TcpStreamDelegate> delegate)
    : host_(std::move(host)), port_(port), loop_(std::move(loop)), link_(std::move(link)),
      delegate_(std::move(delegate)) {}

std::shared_ptr<TcpStream> TcpStream::connect(const std::string& host, uint16_t port, RunLoop& loop,
                                              std::weak_ptr<TcpStreamDelegate> delegate, double connectTimeout) {
    asio::io_context& io = detail::ioContextOf(loop);
    auto link = asio::use_service<Registry>(static_cast<asio::execution_context&>(io)).link;
    auto stream = std::make_shared<TcpStream>(Passkey{}, host, port, loop.weak_from_this(), link, std::move(delegate));
    {
        std::lock_guard linkLock(link->mutex);
        std::lock_guard lock(stream->mutex_);
        link->streams.insert(stream.get());
        stream->io_ = std::make_unique<Socketry>(io);
        stream->self_ = stream;
        stream->status_ = Status::Opening;
    }
    // The deadline is armed before anything starts, on the loop's timer heap.
    if (!(connectTimeout > 0)) {
        connectTimeout = kDefaultConnectTimeout;
    }
    std::weak_ptr<TcpStream> weak = stream;
    PerformHandle deadline = loop.performAfter(connectTimeout, [weak, connectTimeout] {
        if (auto s = weak.lock()) {
            s->onDeadline(connectTimeout);
        }
    });
    {
        std::lock_guard lock(stream->mutex_);
        stream->deadline_ = deadline;
    }
    stream->onLoop([weak] {
        if (auto s = weak.lock()) {
            s->start();
        }
    });
    return stream;
}

TcpStream::~TcpStream() {
    std::shared_ptr<RunLoop> loop = loop_.lock(); // released after the link's lock
    std::lock_guard linkLock(link_->mutex);
    link_->streams.erase(this);
    if (io_ && link_->open) {
        retire(std::move(io_), loop.get());
    }
}

void TcpStream::retire(std::unique_ptr<Socketry> io, RunLoop* loop) {
    if (!io) {
        return;
    }
    if (loop && loop->isCurrent()) {
        io.reset(); // the loop's own thread: nothing runs the context meanwhile
    } else if (loop) {
        // Closed and destroyed on the loop's thread. If that thread has ended, post() drops the
        // task here and now, while the context is alive and nobody runs it.
        std::shared_ptr<Socketry> shared(std::move(io));
        loop->post([shared] { shared->close(); });
    } else {
        // The loop is being destroyed elsewhere; its registry will destroy these with the context.
        link_->orphans.push_back(std::move(io));
    }
}

std::shared_ptr<TcpStream> TcpStream::abandon() {
    std::lock_guard lock(mutex_);
    if (status_ == Status::Opening || status_ == Status::Open) {
        status_ = Status::Closed;
    }
    io_.reset();
    deadline_ = PerformHandle();
    return std::move(self_);
}

void TcpStream::close() {
    std::shared_ptr<RunLoop> loop = loop_.lock(); // outlives the locks: its last release takes the link
    std::shared_ptr<TcpStream> self;
    std::lock_guard linkLock(link_->mutex);
    std::lock_guard lock(mutex_);
    if (status_ == Status::Closed) {
        return;
    }
    status_ = Status::Closed;
    inbound_.clear();
    outbound_.clear();
    inFlight_ = 0;
    deadline_.cancel();
    if (link_->open) {
        retire(std::move(io_), loop.get());
    }
    self = std::move(self_); // released after the locks, in reverse order of declaration
}

void TcpStream::finishLocked(Status status) {
    // On the loop's thread (socket handlers and the deadline run there).
    status_ = status;
    deadline_.cancel();
    outbound_.clear();
    inFlight_ = 0;
    std::unique_ptr<Socketry> io = std::move(io_);
    io.reset();
    self_.reset(); // the caller holds a reference for the rest of its call
}

void TcpStream::fail(Error error) {
    if (status_ != Status::Opening && status_ != Status::Open) {
        return;
    }
    error_ = std::move(error);
    finishLocked(Status::Error);
    queue(Event::Error);
}

// ---- connecting ---------------------------------------------------------------------------------

template <class Fn>
void TcpStream::onLoop(Fn fn) {
    auto loop = loop_.lock();
    if (!loop) {
        return;
    }
    if (loop->isCurrent()) {
        fn();
    } else {
        loop->post(std::move(fn));
    }
}

void TcpStream::start() {
    std::lock_guard lock(mutex_);
    if (status_ != Status::Opening || !io_) {
        return;
    }
    if (host_.empty() || host_.find('\0') != std::string::npos) {
        // The resolver would take an empty name for the local host, and cut one at a NUL.
        fail(Error(std::string(kErrorDomain), kHostNotFound, std::string_view("Could not find host: bad host name")));
        return;
    }
    std::weak_ptr<TcpStream> weak = weak_from_this();
    io_->resolver.async_resolve(host_, std::to_string(port_), asio::ip::tcp::resolver::numeric_service,
                                [weak](const std::error_code& ec, asio::ip::tcp::resolver::results_type results) {
                                    if (auto s = weak.lock()) {
                                        s->onResolved(ec, Resolved{std::move(results)});
                                    }
                                });
}

void TcpStream::onResolved(const std::error_code& ec, const Resolved& resolved) {
    std::lock_guard lock(mutex_);
    if (status_ != Status::Opening || !io_ || ec == asio::error::operation_aborted) {
        return;
    }
    if (ec || resolved.results.empty()) {
        std::error_code why = ec ? ec : asio::error::host_not_found;
        fail(streamError(why, format("Could not find host %s", host_.c_str())));
        return;
    }
    std::weak_ptr<TcpStream> weak = weak_from_this();
    asio::async_connect(io_->socket, resolved.results, [weak](const std::error_code& cec, const auto&) {
        if (auto s = weak.lock()) {
            s->onConnected(cec);
        }
    });
}

void TcpStream::onConnected(const std::error_code& ec) {
    std::lock_guard lock(mutex_);
    if (status_ != Status::Opening || !io_ || ec == asio::error::operation_aborted) {
        return;
    }
    if (ec) {
        fail(streamError(ec, format("Could not connect to %s port %d", host_.c_str(), static_cast<int>(port_))));
        return;
    }
    std::error_code ignored;
    io_->socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    status_ = Status::Open;
    deadline_.cancel();
    queue(Event::Open);
    spaceOwed_ = false;
    queue(Event::Space);
    startReading();
}

void TcpStream::onDeadline(double seconds) {
    std::lock_guard lock(mutex_);
    if (status_ != Status::Opening) {
        return;
    }
    const std::string description = format("Could not connect to %s port %d: timed out after %g s", host_.c_str(),
                                           static_cast<int>(port_), seconds);
    fail(Error(std::string(kErrorDomain), ETIMEDOUT, std::string_view(description)));
}

// ---- reading ------------------------------------------------------------------------------------

void TcpStream::startReading() {
    if (reading_ || peerClosed_ || status_ != Status::Open || !io_ || inbound_.size() >= kReceiveBufferCapacity) {
        return;
    }
    reading_ = true;
    std::weak_ptr<TcpStream> weak = weak_from_this();
    io_->socket.async_read_some(asio::buffer(io_->chunk), [weak](const std::error_code& ec, size_t n) {
        if (auto s = weak.lock()) {
            s->onRead(ec, n);
        }
    });
}

void TcpStream::onRead(const std::error_code& ec, size_t n) {
    std::lock_guard lock(mutex_);
    reading_ = false;
    if (status_ != Status::Open || !io_ || ec == asio::error::operation_aborted) {
        return;
    }
    if (!ec) {
        inbound_.insert(inbound_.end(), io_->chunk.begin(), io_->chunk.begin() + static_cast<std::ptrdiff_t>(n));
        queueBytes();
        startReading();
    } else if (ec == asio::error::eof) {
        peerClosed_ = true;
        endIfDrained();
    } else {
        fail(streamError(ec, format("Connection to %s port %d lost", host_.c_str(), static_cast<int>(port_))));
    }
}

void TcpStream::queueBytes() {
    if (!bytesQueued_ && !inbound_.empty()) {
        bytesQueued_ = true;
        queue(Event::Bytes);
    }
}

void TcpStream::endIfDrained() {
    if (peerClosed_ && inbound_.empty() && status_ == Status::Open) {
        finishLocked(Status::AtEnd);
        queue(Event::End);
    }
}

size_t TcpStream::read(uint8_t* buffer, size_t max) {
    std::lock_guard lock(mutex_);
    size_t n = std::min(max, inbound_.size());
    if (n == 0 || buffer == nullptr) {
        return 0;
    }
    std::memcpy(buffer, inbound_.data(), n);
    const bool wasFull = inbound_.size() >= kReceiveBufferCapacity;
    removePrefix(inbound_, n);
    if (status_ == Status::Open) {
        queueBytes();
        if (wasFull && inbound_.size() < kReceiveBufferCapacity) {
            std::weak_ptr<TcpStream> weak = weak_from_this();
            onLoop([weak] {
                if (auto s = weak.lock()) {
                    std::lock_guard l(s->mutex_);
                    s->startReading();
                }
            });
        }
        if (inbound_.empty() && peerClosed_) {
            // The end follows on the loop once the last byte has been read.
            std::weak_ptr<TcpStream> weak = weak_from_this();
            onLoop([weak] {
                if (auto s = weak.lock()) {
                    std::lock_guard l(s->mutex_);
                    s->endIfDrained();
                }
            });
        }
    }
    return n;
}

bool TcpStream::hasBytesAvailable() const {
    std::lock_guard lock(mutex_);
    return !inbound_.empty();
}

// ---- writing ------------------------------------------------------------------------------------

size_t TcpStream::write(std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    if (status_ != Status::Open || bytes.empty()) {
        return 0;
    }
    spaceOwed_ = true;
    const size_t used = outbound_.size() + inFlight_;
    const size_t n = std::min(bytes.size(), used < kSendBufferCapacity ? kSendBufferCapacity - used : 0);
    if (n == 0) {
        return 0;
    }
    outbound_.insert(outbound_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    std::weak_ptr<TcpStream> weak = weak_from_this();
    onLoop([weak] {
        if (auto s = weak.lock()) {
            std::lock_guard l(s->mutex_);
            s->startWriting();
        }
    });
    return n;
}

bool TcpStream::hasSpaceAvailable() const {
    std::lock_guard lock(mutex_);
    return status_ == Status::Open && outbound_.size() + inFlight_ < kSendBufferCapacity;
}

void TcpStream::startWriting() {
    if (writing_ || outbound_.empty() || status_ != Status::Open || !io_) {
        return;
    }
    writing_ = true;
    io_->sending.swap(outbound_);
    outbound_.clear();
    inFlight_ = io_->sending.size();
    std::weak_ptr<TcpStream> weak = weak_from_this();
    asio::async_write(io_->socket, asio::buffer(io_->sending), [weak](const std::error_code& ec, size_t) {
        if (auto s = weak.lock()) {
            s->onWritten(ec);
        }
    });
}

void TcpStream::onWritten(const std::error_code& ec) {
    std::lock_guard lock(mutex_);
    writing_ = false;
    if (status_ != Status::Open || !io_ || ec == asio::error::operation_aborted) {
        return;
    }
    if (ec) {
        fail(streamError(ec, format("Connection to %s port %d lost", host_.c_str(), static_cast<int>(port_))));
        return;
    }
    inFlight_ = 0;
    io_->sending.clear();
    if (!outbound_.empty()) {
        startWriting();
    } else if (spaceOwed_) {
        spaceOwed_ = false;
        queue(Event::Space);
    }
}

// ---- events -------------------------------------------------------------------------------------

void TcpStream::queue(Event event) {
    auto loop = loop_.lock();
    if (!loop) {
        return;
    }
    // The task holds the stream, so a terminal event still arrives after the self-reference went.
    loop->post([self = shared_from_this(), event] { self->deliver(event); });
}

void TcpStream::deliver(Event event) {
    std::shared_ptr<TcpStreamDelegate> delegate;
    std::optional<Error> error;
    {
        std::lock_guard lock(mutex_);
        if (status_ == Status::Closed) {
            return;
        }
        switch (event) {
        case Event::Open:
            break;
        case Event::Bytes:
            bytesQueued_ = false;
            if (status_ != Status::Open || inbound_.empty()) {
                return;
            }
            break;
        case Event::Space:
            if (status_ != Status::Open) {
                return;
            }
            break;
        case Event::Error:
            error = error_;
            break;
        case Event::End:
            break;
        }
        delegate = delegate_.lock();
    }
    if (!delegate) {
        return;
    }
    switch (event) {
    case Event::Open:
        delegate->streamOpenCompleted(*this);
        break;
    case Event::Bytes:
        delegate->streamHasBytesAvailable(*this);
        break;
    case Event::Space:
        delegate->streamHasSpaceAvailable(*this);
        break;
    case Event::Error:
        if (error) {
            delegate->streamErrorOccurred(*this, *error);
        }
        break;
    case Event::End:
        delegate->streamEndEncountered(*this);
        break;
    }
}

// ---- accessors ----------------------------------------------------------------------------------

void TcpStream::setDelegate(std::weak_ptr<TcpStreamDelegate> delegate) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
}

TcpStream::Status TcpStream::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

std::optional<Error> TcpStream::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

} // namespace fnd
