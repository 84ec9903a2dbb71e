// Internal to fnd: the asio I/O context behind each run loop, for fnd's own socket code (TCP streams,
// signal watching). Outside src/platform/foundation/ only fnd's run-loop test includes it.
#pragma once

#include <asio/io_context.hpp>

#include "platform/foundation/run_loop.h"

namespace fnd::detail {

// Holds the loop's I/O context. Sockets and other asio objects created on it are the loop's stream
// sources: their completion handlers run on the loop's thread while it runs Default or Common.
struct LoopIo {
    asio::io_context context;
};

// The I/O context of `loop`. Objects made on it must be destroyed before the loop; holders keep
// `loop.shared_from_this()`.
inline asio::io_context& ioContextOf(RunLoop& loop) {
    return loopIo(loop).context;
}

} // namespace fnd::detail
