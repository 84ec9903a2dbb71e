// The trace log: the application's front for warnings and errors over the process log (fnd's ZLOG),
// whose lines read "LEVEL file:Lline function" with the message on the next line; errors traced here
// are also handed to the analytics client's error log.
#pragma once

#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/foundation/format.h"
#include "platform/foundation/log.h"

namespace zelvan {

class Tracer {
public:
    static constexpr int kDebug = 0;
    static constexpr int kInfo = 1;
    static constexpr int kWarn = 2;
    static constexpr int kError = 3;

    // The key under which errors go to the error recorder.
    static constexpr std::string_view kErrorLogKey = "ERROR-LOG";

    using ErrorRecorder = std::function<void(const std::string& key, const std::string& text)>;

    static Tracer& sharedTracer();

    // "DEBUG", "INFO", "WARN", "ERROR", or "Unknown" for any other level.
    static std::string_view levelName(int level);

    // Writes one record to the process log for `fmt` rendered with fnd::format. Levels DEBUG and INFO
    // print nothing (and their message is never rendered); every other level prints
    // "<level> <file name>:L<line> <function>\n\t<message>", where only the last path component of
    // `file` is shown. An ERROR also goes to the error recorder under "ERROR-LOG".
    template <class... A>
    void output(std::string_view file, int line, std::string_view function, int level, std::string_view fmt,
                const A&... args) {
        if (level == kDebug || level == kInfo) {
            return;
        }
        write(fnd::LogRecord{static_cast<fnd::LogLevel>(level), {file, line, function}, fnd::format(fmt, args...)});
    }

    // Logs an exception as an ERROR: "<message> <exception type>: <what()>".
    void logError(std::string_view file, int line, std::string_view function, std::string_view message,
                  const std::exception& exception);

    // Installs (or with an empty function removes) the receiver of ERROR lines. The analytics client
    // installs it; it is called on the thread that traced the error, without any Tracer lock held.
    void setErrorRecorder(ErrorRecorder recorder);

private:
    Tracer() = default;
    void write(const fnd::LogRecord& record);

    std::mutex mutex_;
    ErrorRecorder recorder_;
};

// The readable name of an exception's dynamic type ("std::runtime_error" rather than the mangled one).
std::string exceptionTypeName(const std::exception& e);

} // namespace zelvan

// A warning is a plain Warn record of the process log; an error also reaches the error recorder.
#define ZTRACE_WARN(fmt, ...) ZLOG(Warn, fmt __VA_OPT__(, ) __VA_ARGS__)
#define ZTRACE_ERROR(fmt, ...)                                                                                         \
    ::zelvan::Tracer::sharedTracer().output(__FILE__, __LINE__, __func__, ::zelvan::Tracer::kError,                    \
                                            fmt __VA_OPT__(, ) __VA_ARGS__)
