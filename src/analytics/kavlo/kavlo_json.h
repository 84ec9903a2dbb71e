// KavloJSON: the compact JSON writer that turns the Kavlo client's records (fnd::Value dictionaries and
// arrays) into the message texts of its event queue, optionally human readable and with sorted keys.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::kavlo {

inline constexpr std::string_view kKavloJSONErrorDomain = "KavloJSONErrorDomain";
// A value (or key) the writer cannot express in JSON.
inline constexpr int64_t kKavloJSONErrorUnsupported = 1;
// A scalar at the top level where a dictionary or array is required.
inline constexpr int64_t kKavloJSONErrorNotContainer = 4;

class KavloJSON {
public:
    // Compact, keys in each dictionary's own order, maxDepth 512.
    KavloJSON();

    // The text of a dictionary or array; error 4 for anything else at the top.
    fnd::Result<std::string> stringWithObject(const fnd::Value& value);
    // The text of any supported value.
    fnd::Result<std::string> stringWithFragment(const fnd::Value& value);
    // The common body of the two above. One call at a time per writer (the others wait).
    fnd::Result<std::string> stringWithObject(const fnd::Value& value, bool allowScalar);

    // The writers, appending to `into`; for use inside a stringWithObject call (they share its depth).
    fnd::Result<void> appendValue(const fnd::Value& value, std::string& into);
    fnd::Result<void> appendDictionary(const fnd::Dictionary& dictionary, std::string& into);
    fnd::Result<void> appendArray(const fnd::Array& array, std::string& into);
    void appendString(std::string_view text, std::string& into) const;
    // A newline and two spaces per level of object nesting.
    std::string indent() const;

    bool humanReadable() const { return humanReadable_; }
    void setHumanReadable(bool on) { humanReadable_ = on; }
    bool sortKeys() const { return sortKeys_; }
    void setSortKeys(bool on) { sortKeys_ = on; }
    // Containers nested deeper than this are refused (error 1), so no value can exhaust the stack.
    unsigned maxDepth() const { return maxDepth_; }
    void setMaxDepth(unsigned depth) { maxDepth_ = depth; }

private:
    bool humanReadable_ = false;
    bool sortKeys_ = false;
    unsigned maxDepth_ = 512;
    // Object nesting (the indent), and all container nesting (the limit).
    unsigned depth_ = 0;
    unsigned nesting_ = 0;
    std::mutex mutex_;
};

} // namespace zelvan::kavlo
