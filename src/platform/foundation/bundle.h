// The application bundle: the read-only folder of resources (images, string tables, seed files) and
// its Info.plist with the bundle identity keys.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace fnd {

class Bundle {
public:
    // The application's bundle: the folder named by $ZELVAN_BUNDLE when set, else the source tree's
    // resources/ folder. Resolved on first use.
    static Bundle& main();
    // Forgets the resolved main bundle, so the next main() reads $ZELVAN_BUNDLE again. The bundles
    // resolved before stay alive for the process, so references already handed out remain valid. For tests.
    static void resetMain();

    // A bundle rooted at `path`.
    explicit Bundle(std::string path);

    const std::string& bundlePath() const { return path_; }
    // Resources live at the top of the bundle folder.
    const std::string& resourcePath() const { return path_; }

    // The path of "<name>.<type>" (or "<name>" when `type` is empty) inside the bundle, or nullopt
    // when nothing is there or the name would reach outside the bundle.
    std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const;

    // A copy of the Info.plist dictionary (an empty dictionary when the file is missing or bad).
    Value infoDictionary() const;
    // The value for `key` in Info.plist, or Null.
    Value objectForInfoDictionaryKey(std::string_view key) const;
    // CFBundleIdentifier, or "" when absent.
    std::string bundleIdentifier() const;

private:
    const Value& info() const;

    std::string path_;
    mutable std::once_flag infoOnce_;
    mutable Value info_;
};

} // namespace fnd
