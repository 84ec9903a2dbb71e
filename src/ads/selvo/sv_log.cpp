// The Selvo client's log lines: "%@:%d %@; %@" written to the one log, errors also to the error sink.
#include "ads/selvo/sv_log.h"

namespace zelvan::selvo {

void svWrite(const SelvoContext* context, fnd::LogLevel level, const fnd::LogSite& site, const std::string& message,
             bool toSink) {
    const std::string line = fnd::format("%@:%d %@; %@", std::string(fnd::sourceFileName(site.file)), site.line,
                                         std::string(site.function), message);
    // Like the tracer's error recorder, the sink hears only the lines the log writes, so a flood of one
    // error reaches it a few times per second rather than every time.
    const bool written = fnd::writeLog(fnd::LogRecord{level, site, line, kSelvoLog}).has_value();
    if (toSink && written && context != nullptr) {
        context->reportError(line);
    }
}

} // namespace zelvan::selvo
