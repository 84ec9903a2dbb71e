// SVLog and SVLogError: the Selvo client's log front over the one log, on its channel "selvo". Both write
// "%@:%d %@; %@" (the source file's last path component, the line, the function and the message). SVLog
// writes at Debug and only while the given context is verbose; SVLogError writes at Warn always and then
// hands the line to the context's error sink when one is set. Data received from outside enters a line
// only through fnd::logPreview.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/xml/selvo_log_channel.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"

namespace zelvan::selvo {

inline const SelvoContext* svContextOf(const SelvoContext* context) {
    return context;
}
inline const SelvoContext* svContextOf(const std::shared_ptr<SelvoContext>& context) {
    return context.get();
}

// Writes the line at `level`; with `toSink`, also hands it to the context's error sink.
void svWrite(const SelvoContext* context, fnd::LogLevel level, const fnd::LogSite& site, const std::string& message,
             bool toSink);

template <class... A>
void svLog(const SelvoContext* context, const fnd::LogSite& site, std::string_view fmt, const A&... args) {
    if (context == nullptr || !context->verbose()) {
        return;
    }
    svWrite(context, fnd::LogLevel::Debug, site, fnd::format(fmt, args...), false);
}

template <class... A>
void svLogError(const SelvoContext* context, const fnd::LogSite& site, std::string_view fmt, const A&... args) {
    svWrite(context, fnd::LogLevel::Warn, site, fnd::format(fmt, args...), true);
}

} // namespace zelvan::selvo

// SVLog(context, fmt, ...): a verbose trace line; `context` is a SelvoContext pointer or shared pointer.
#define SVLog(context, fmt, ...)                                                                                       \
    ::zelvan::selvo::svLog(::zelvan::selvo::svContextOf(context), ::fnd::LogSite{__FILE__, __LINE__, __func__},        \
                           fmt __VA_OPT__(, ) __VA_ARGS__)
// SVLogError(context, fmt, ...): an error line, always written and handed to the context's error sink.
#define SVLogError(context, fmt, ...)                                                                                  \
    ::zelvan::selvo::svLogError(::zelvan::selvo::svContextOf(context), ::fnd::LogSite{__FILE__, __LINE__, __func__},   \
                                fmt __VA_OPT__(, ) __VA_ARGS__)
