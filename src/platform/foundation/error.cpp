// fnd::Error texts and the guard for reading the wrong side of a Result.
#include "platform/foundation/error.h"

#include <cstdlib>

#include "platform/foundation/log.h"

namespace fnd {

Error::Error(std::string domain, int64_t code, Value userInfo)
    : domain_(std::move(domain)), code_(code),
      userInfo_(userInfo.isDictionary() ? std::move(userInfo) : Value::dictionary()) {}

Error::Error(std::string domain, int64_t code, std::string_view description, std::string_view failureReason)
    : Error(std::move(domain), code) {
    auto info = userInfo_.asDictionary();
    info->setObject(Value(description), kLocalizedDescriptionKey);
    if (!failureReason.empty()) {
        info->setObject(Value(failureReason), kLocalizedFailureReasonKey);
    }
}

std::string Error::localizedDescription() const {
    const Value& text = userInfo_.asDictionary()->objectForKey(kLocalizedDescriptionKey);
    if (const std::string* s = text.asString()) {
        return *s;
    }
    return format("The operation couldn't be completed. (%@ error %lld.)", domain_, code_);
}

std::string Error::localizedFailureReason() const {
    const Value& text = userInfo_.asDictionary()->objectForKey(kLocalizedFailureReasonKey);
    const std::string* s = text.asString();
    return s != nullptr ? *s : std::string();
}

std::string Error::description() const {
    return format("Error Domain=%@ Code=%lld \"%@\" UserInfo=%@", domain_, code_, localizedDescription(), userInfo_);
}

void resultAccessFailed(const char* what) {
    ZLOG(Error, "fatal: %s", what);
    std::abort();
}

} // namespace fnd
