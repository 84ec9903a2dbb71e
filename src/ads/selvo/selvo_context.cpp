// The Selvo client's shared context: its verbose flag, its error sink and the reachability monitor.
#include "ads/selvo/selvo_context.h"

#include <utility>

namespace zelvan::selvo {
namespace {

// Set while this thread runs the error sink.
thread_local bool insideSink = false;

} // namespace

SelvoContext::SelvoContext(std::shared_ptr<Reachability> reachability) : reachability_(std::move(reachability)) {}

void SelvoContext::setErrorSink(ErrorSink sink) {
    std::lock_guard lock(sinkMutex_);
    sink_ = sink ? std::make_shared<const ErrorSink>(std::move(sink)) : nullptr;
}

void SelvoContext::reportError(const std::string& line) const {
    if (insideSink) {
        return;
    }
    std::shared_ptr<const ErrorSink> sink;
    {
        std::lock_guard lock(sinkMutex_);
        sink = sink_;
    }
    if (!sink) {
        return;
    }
    insideSink = true;
    (*sink)(line);
    insideSink = false;
}

} // namespace zelvan::selvo
