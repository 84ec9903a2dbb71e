// Bundle location and Info.plist loading. The plist is read once per bundle, on first use, and
// handed out as copies so callers cannot change the shared dictionary under other threads.
#include "platform/foundation/bundle.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/property_list.h"

#ifndef ZELVAN_RESOURCE_DIR
#define ZELVAN_RESOURCE_DIR "resources"
#endif

namespace fnd {

namespace {

// The main bundle and every one resolved before it (kept, never freed, for callers still holding them).
struct MainBundles {
    std::mutex mutex;
    Bundle* current = nullptr;
    std::vector<std::unique_ptr<Bundle>> resolved;
};

MainBundles& mainBundles() {
    static MainBundles* bundles = new MainBundles; // never destroyed: code running at exit may read it
    return *bundles;
}

} // namespace

Bundle& Bundle::main() {
    MainBundles& bundles = mainBundles();
    std::lock_guard lock(bundles.mutex);
    if (bundles.current == nullptr) {
        const char* env = std::getenv("ZELVAN_BUNDLE");
        bundles.resolved.push_back(
            std::make_unique<Bundle>(std::string(env != nullptr && *env != '\0' ? env : ZELVAN_RESOURCE_DIR)));
        bundles.current = bundles.resolved.back().get();
    }
    return *bundles.current;
}

void Bundle::resetMain() {
    MainBundles& bundles = mainBundles();
    std::lock_guard lock(bundles.mutex);
    bundles.current = nullptr;
}

Bundle::Bundle(std::string path) : path_(normalise(path)) {}

std::optional<std::string> Bundle::pathForResource(std::string_view name, std::string_view type) const {
    std::string file(name);
    if (!type.empty()) {
        file += '.';
        file += type;
    }
    auto path = containedPath(path_, file);
    if (!path || !FileManager::fileExistsAtPath(*path)) {
        return std::nullopt;
    }
    return path;
}

const Value& Bundle::info() const {
    std::call_once(infoOnce_, [this] {
        std::string plistPath = appendingPathComponent(path_, "Info.plist");
        std::optional<Value> parsed;
        if (auto bytes = readFile(plistPath)) {
            Result<Value> read = PropertyList::read(*bytes);
            if (read) {
                parsed = std::move(read).value();
            } else {
                ZLOG(Warn, "PropertyList: %@", read.error().localizedDescription());
            }
        }
        if (parsed && parsed->isDictionary()) {
            info_ = std::move(*parsed);
        } else {
            ZLOG(Warn, "Bundle: no usable Info.plist at %@", plistPath);
            info_ = Value::dictionary();
        }
    });
    return info_;
}

Value Bundle::infoDictionary() const {
    return info().deepCopy();
}

Value Bundle::objectForInfoDictionaryKey(std::string_view key) const {
    const Value* found = info().asDictionary()->find(Key(key));
    return found != nullptr ? found->deepCopy() : Value();
}

std::string Bundle::bundleIdentifier() const {
    const std::string* id = info().asDictionary()->objectForKey("CFBundleIdentifier").asString();
    return id != nullptr ? *id : std::string();
}

} // namespace fnd
