// The trace log's hand-off of errors to the recorder, and exception names for logError.
#include "protocol/tracer.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <typeinfo>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace zelvan {

std::string exceptionTypeName(const std::exception& e) {
    const char* mangled = typeid(e).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(mangled);
}

Tracer& Tracer::sharedTracer() {
    static Tracer tracer;
    return tracer;
}

std::string_view Tracer::levelName(int level) {
    return fnd::logLevelName(static_cast<fnd::LogLevel>(level));
}

void Tracer::write(const fnd::LogRecord& record) {
    // A repeat the log held back reaches the recorder no more than the log: a flood of one error
    // hands it a few lines per second, not every one.
    std::optional<std::string> text = fnd::writeLog(record);
    if (!text || record.level != fnd::LogLevel::Error) {
        return;
    }
    ErrorRecorder recorder;
    {
        std::lock_guard lock(mutex_);
        recorder = recorder_;
    }
    if (!recorder) {
        return;
    }
    // The recorder belongs to another client; its failure must not reach the code that traced.
    try {
        recorder(std::string(kErrorLogKey), *text);
    } catch (const std::exception& e) {
        ZLOG(Warn, "Tracer: the error recorder threw %@: %s", exceptionTypeName(e), fnd::logPreview(e.what()));
    } catch (...) {
        ZLOG(Warn, "Tracer: the error recorder threw a non-standard exception");
    }
}

void Tracer::logError(std::string_view file, int line, std::string_view function, std::string_view message,
                      const std::exception& exception) {
    // What an exception says may quote the input that caused it.
    output(file, line, function, kError, "%@ %@: %s", message, exceptionTypeName(exception),
           fnd::logPreview(exception.what()));
}

void Tracer::setErrorRecorder(ErrorRecorder recorder) {
    std::lock_guard lock(mutex_);
    recorder_ = std::move(recorder);
}

} // namespace zelvan
