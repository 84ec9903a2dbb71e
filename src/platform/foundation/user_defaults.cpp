// User defaults: a dictionary of stored values over a registration domain, loaded from and saved
// to the preferences property list. A file that cannot be read is moved aside, never overwritten.
#include "platform/foundation/user_defaults.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/array.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/string_ops.h"

namespace fnd {
namespace {

UserDefaults* standardInstance = nullptr;

void saveAtExit() {
    if (standardInstance != nullptr) {
        (void)standardInstance->synchronize();
    }
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// Whether the entry could be written to the preferences file (the writer logs why not).
bool storable(const Value& value, std::string_view key) {
    return PropertyList::write(Value::dictionary({{std::string(key), value}})).has_value();
}

} // namespace

UserDefaults& UserDefaults::standard() {
    // Created once and never destroyed, so code running during exit can still use it; the exit
    // hook saves unsaved changes.
    static UserDefaults* instance = [] {
        standardInstance = new UserDefaults;
        std::atexit(saveAtExit);
        return standardInstance;
    }();
    return *instance;
}

void UserDefaults::resetStandard() {
    UserDefaults& defaults = standard();
    std::lock_guard lock(defaults.mutex_);
    defaults.load();
}

UserDefaults::UserDefaults() {
    load();
}

void UserDefaults::load() {
    std::lock_guard lock(mutex_);
    std::string identifier = Bundle::main().bundleIdentifier();
    if (identifier.empty()) {
        identifier = "zelvan";
    }
    path_ = AppFolders::preferences() + "/" + identifier + ".plist";
    values_ = Dictionary::make();
    registered_ = Dictionary::make();
    auto languages = Array::make();
    for (const std::string& language : Locale::preferredLanguages()) {
        languages->addObject(Value(language));
    }
    registered_->setObject(Value(languages), std::string(kPreferredLanguagesKey));
    registered_->setObject(Value(Locale::current().identifier()), std::string(kLocaleIdentifierKey));
    dirty_ = false;
    mustNotWrite_ = false;

    if (!FileManager::fileExistsAtPath(path_)) {
        return;
    }
    std::optional<Bytes> bytes = readFile(path_);
    if (!bytes) {
        // A file that cannot be read now (a passing I/O error, too many open files) may be sound:
        // neither move it nor save over it.
        mustNotWrite_ = true;
        ZLOG(Warn, "UserDefaults: %@ exists but cannot be read; starting empty and leaving the file untouched", path_);
        return;
    }
    Result<Value> stored = PropertyList::read(*bytes);
    if (stored && stored->isDictionary()) {
        values_ = stored->asDictionary();
        return;
    }
    if (!stored) {
        ZLOG(Warn, "PropertyList: %@", stored.error().localizedDescription());
    }
    // Damaged: keep the file for whoever wants to recover it, beside any copy kept earlier, and
    // start empty.
    std::string aside = path_ + ".corrupt";
    for (int n = 2; n <= kMaxCorruptCopies && FileManager::fileExistsAtPath(aside); ++n) {
        aside = path_ + ".corrupt-" + std::to_string(n);
    }
    std::error_code ec;
    std::filesystem::rename(path_, aside, ec);
    if (ec) {
        mustNotWrite_ = true;
        ZLOG(Warn,
             "UserDefaults: %@ cannot be read and cannot be moved aside (%@); starting empty and leaving the file "
             "untouched",
             path_, ec.message());
        return;
    }
    ZLOG(Warn, "UserDefaults: %@ is not a readable property list; kept as %@, starting empty", path_, aside);
}

Value UserDefaults::lookup(std::string_view key) const {
    std::lock_guard lock(mutex_);
    Key k{std::string(key)};
    if (const Value* v = values_->find(k)) {
        return v->deepCopy();
    }
    if (const Value* v = registered_->find(k)) {
        return v->deepCopy();
    }
    return Value();
}

Value UserDefaults::objectForKey(std::string_view key) const {
    return lookup(key);
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
    Value v = lookup(key);
    if (v.isString() || v.isNumber()) {
        return v.stringValue();
    }
    return std::nullopt;
}

int64_t UserDefaults::integerForKey(std::string_view key) const {
    Value v = lookup(key);
    if (const std::string* s = v.asString()) {
        std::string_view text = trimmed(*s);
        if (caseInsensitiveCompare(text, "YES") == 0) {
            return 1;
        }
        if (caseInsensitiveCompare(text, "NO") == 0) {
            return 0;
        }
    }
    return v.longLongValue();
}

bool UserDefaults::boolForKey(std::string_view key) const {
    return lookup(key).boolValue();
}

double UserDefaults::doubleForKey(std::string_view key) const {
    return lookup(key).doubleValue();
}

bool UserDefaults::setObject(const Value& value, std::string_view key) {
    if (value.isNull()) {
        removeObjectForKey(key);
        return true;
    }
    if (!storable(value, key)) {
        ZLOG(Warn, "UserDefaults: refused the value for \"%@\"", logPreview(key, 80));
        return false;
    }
    Value copy = value.deepCopy();
    std::lock_guard lock(mutex_);
    values_->setObject(std::move(copy), Key(std::string(key)));
    dirty_ = true;
    return true;
}

void UserDefaults::setBool(bool value, std::string_view key) {
    (void)setObject(Value(value), key);
}

void UserDefaults::setInteger(int64_t value, std::string_view key) {
    (void)setObject(Value(value), key);
}

void UserDefaults::setDouble(double value, std::string_view key) {
    (void)setObject(Value(value), key);
}

void UserDefaults::removeObjectForKey(std::string_view key) {
    std::lock_guard lock(mutex_);
    if (values_->removeObjectForKey(Key(std::string(key)))) {
        dirty_ = true;
    }
}

void UserDefaults::registerDefaults(const Value& dictionary) {
    auto entries = dictionary.asDictionary();
    if (!entries) {
        ZLOG(Warn, "UserDefaults: registerDefaults needs a dictionary");
        return;
    }
    for (const auto& [key, value] : *entries) {
        if (!key.isString() || value.isNull() || !storable(value, key.stringKey())) {
            ZLOG(Warn, "UserDefaults: skipped the registered value for \"%@\"", logPreview(key.text(), 80));
            continue;
        }
        Value copy = value.deepCopy();
        std::lock_guard lock(mutex_);
        registered_->setObject(std::move(copy), key);
    }
}

bool UserDefaults::synchronize() {
    std::lock_guard lock(mutex_);
    if (!dirty_) {
        return true;
    }
    if (mustNotWrite_) {
        ZLOG(Error, "UserDefaults: not saving, %@ is unreadable and was left in place", path_);
        return false;
    }
    auto text = PropertyList::write(Value(values_));
    if (!text) {
        return false; // the writer logged why; every stored value was checked, so this is unexpected
    }
    std::string folder = deletingLastPathComponent(path_);
    if (!FileManager::createDirectoryAtPath(folder, Intermediates::Yes)) {
        ZLOG(Error, "UserDefaults: cannot create %@", folder);
        return false;
    }
    if (!writeFile(path_, Bytes(text->begin(), text->end()), Atomic::Yes)) {
        return false;
    }
    dirty_ = false;
    return true;
}

} // namespace fnd
