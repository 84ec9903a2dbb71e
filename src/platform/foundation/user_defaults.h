// fnd::UserDefaults: the application's persistent key/value settings, kept as an XML property list
// at <Library/Preferences>/<bundle id>.plist, with a registration domain of fallback values.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace fnd {

// Safe from any thread. Values go in and come out as deep copies, so editing a container after
// storing it or after reading it never changes what is stored.
class UserDefaults {
public:
    // The two keys the registration domain fills from fnd::Locale: the user's languages (an array of
    // language codes, most preferred first) and the locale identifier.
    static constexpr std::string_view kPreferredLanguagesKey = "PreferredLanguages";
    static constexpr std::string_view kLocaleIdentifierKey = "LocaleIdentifier";

    // The application's defaults, read from disk on first use. It is never destroyed; unsaved
    // changes are written when the process exits normally.
    static UserDefaults& standard();
    // Forgets everything in memory (stored values, unsaved changes and the registration domain, which
    // starts again with the two locale keys) and reads the file again, as a freshly started process would. For tests.
    static void resetStandard();

    // The stored value for `key`, else the registered one, else Null.
    Value objectForKey(std::string_view key) const;
    // Strings as they are and numbers as their text; nullopt for anything else or no value.
    std::optional<std::string> stringForKey(std::string_view key) const;
    // Numbers (doubles truncated), bools as 0/1, and strings: "YES"/"NO" in any case as 1/0,
    // otherwise their leading integer. 0 when there is no value.
    int64_t integerForKey(std::string_view key) const;
    // Bools, numbers (non-zero is true), and strings by the scalar rules ("YES", "true", "1" are
    // true; "NO", "0" are false). false when there is no value.
    bool boolForKey(std::string_view key) const;
    // Numbers, bools as 0/1, strings by their leading number. 0 when there is no value.
    double doubleForKey(std::string_view key) const;

    // Stores a copy of `value`; Null removes the key. A value a property list cannot hold (an
    // object, an integer dictionary key, text XML cannot carry...) is refused with a log line
    // and false, so it can never stop the file from being written.
    bool setObject(const Value& value, std::string_view key);
    void setBool(bool value, std::string_view key);
    void setInteger(int64_t value, std::string_view key);
    void setDouble(double value, std::string_view key);
    void removeObjectForKey(std::string_view key);

    // Adds the entries of `dictionary` to the registration domain, consulted for absent keys and
    // never written to disk. Entries the defaults could not store are skipped with a log line.
    void registerDefaults(const Value& dictionary);

    // Writes unsaved changes to the file atomically. True when the file is up to date.
    bool synchronize();

private:
    // Damaged files are kept as "<file>.corrupt", then "<file>.corrupt-2" … up to this many.
    static constexpr int kMaxCorruptCopies = 20;

    UserDefaults();
    void load();
    Value lookup(std::string_view key) const;

    mutable std::recursive_mutex mutex_;
    std::string path_;
    std::shared_ptr<Dictionary> values_;
    std::shared_ptr<Dictionary> registered_;
    bool dirty_ = false;
    // Set when the file could not be read, or was damaged and could not be moved aside: writing
    // would destroy it.
    bool mustNotWrite_ = false;
};

} // namespace fnd
