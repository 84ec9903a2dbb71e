// SVFetchAndWait: one fnd::fetch that the calling thread waits for by running its own run loop in the
// fetch's private mode, so the client's operations (which run one after another on a worker) keep their
// step-by-step shape while the load itself is the shared asynchronous one.
#pragma once

#include <functional>

#include "platform/foundation/error.h"
#include "platform/foundation/fetch.h"

namespace zelvan::selvo {

// The wait's slice: the loop wakes at least this often (in seconds of clock time) to ask `stop`.
inline constexpr double kSVFetchWaitSlice = 5;

// Fetches `request` with `options` (whose runLoopMode names the private mode, not the default one) on the
// calling thread's loop and runs that loop in the mode until the fetch ends. Tasks posted to the loop run
// meanwhile; timers and sources of other modes wait. Between slices `stop`, when given, may end the fetch:
// it then fails with UrlError::Cancelled (the options' cancel token is replaced by one of the wait's own).
fnd::Result<fnd::FetchReply> SVFetchAndWait(fnd::UrlRequest request, fnd::FetchOptions options,
                                            const std::function<bool()>& stop = {});

} // namespace zelvan::selvo
