// SignalWatcher on an asio signal set bound to the loop's I/O context, so the handler runs as one of
// the loop's stream sources.
#include "platform/foundation/signal_watcher.h"

#include <asio/signal_set.hpp>

#include <system_error>

#include "platform/foundation/log.h"
#include "platform/foundation/run_loop_io.h"

namespace fnd {

struct SignalWatcher::Impl {
    explicit Impl(asio::io_context& io) : set(io) {}
    asio::signal_set set;
};

SignalWatcher::SignalWatcher(RunLoop& loop, std::initializer_list<int> signals, Handler handler)
    : impl_(std::make_unique<Impl>(detail::ioContextOf(loop))) {
    for (int signal : signals) {
        std::error_code error;
        impl_->set.add(signal, error);
        if (error) {
            ZLOG(Error, "SignalWatcher: cannot catch signal %d: %s", signal, error.message());
        }
    }
    // The handler owns what it calls, so a cancellation delivered after the watcher went is harmless.
    impl_->set.async_wait([handler = std::move(handler)](const std::error_code& error, int signal) {
        if (!error && handler) {
            handler(signal);
        }
    });
}

SignalWatcher::~SignalWatcher() = default;

void SignalWatcher::cancel() {
    std::error_code ignored;
    impl_->set.cancel(ignored);
}

} // namespace fnd
