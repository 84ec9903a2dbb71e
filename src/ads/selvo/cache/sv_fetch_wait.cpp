// The fetch waited for in slices of the calling thread's own loop.
#include "ads/selvo/cache/sv_fetch_wait.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"

namespace zelvan::selvo {

fnd::Result<fnd::FetchReply> SVFetchAndWait(fnd::UrlRequest request, fnd::FetchOptions options,
                                            const std::function<bool()>& stop) {
    const std::string mode = options.runLoopMode;
    if (stop) {
        options.cancel = std::make_shared<fnd::UrlCancelToken>();
    }
    const auto token = options.cancel;
    std::optional<fnd::Result<fnd::FetchReply>> outcome;
    // The completion writes into this frame: the owner goes with it, and nothing is called after that.
    const auto waiting = std::make_shared<bool>();
    fnd::fetch(std::move(request), std::move(options), waiting,
               [&outcome](fnd::Result<fnd::FetchReply> done) { outcome.emplace(std::move(done)); });
    fnd::RunLoop& loop = fnd::RunLoop::current();
    while (!outcome) {
        if (stop && stop()) {
            token->cancel(); // the cancellation arrives as a posted task on the next pass
        }
        // The slice's own wake-up keeps the mode busy, so the loop waits for the fetch (or the slice's end)
        // instead of returning at once.
        auto sliceEnd = loop.performAfter(
            kSVFetchWaitSlice, [] {}, mode);
        loop.runMode(mode, fnd::Clock::now().addingTimeInterval(kSVFetchWaitSlice));
        sliceEnd.cancel();
    }
    return std::move(*outcome);
}

} // namespace zelvan::selvo
