// Loads the bundle's English string table once (a function-local static, so concurrent first calls
// wait for one load) and answers ZLS lookups from it.
#include "core/localization.h"

#include <optional>

#include "platform/foundation/bundle.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/foundation/string_table.h"

namespace zelvan {
namespace {

fnd::StringTable::Map loadTable() {
    auto path = fnd::Bundle::main().pathForResource("en.lproj/Localizable", "strings");
    if (!path) {
        ZLOG(Warn, "Localization: the bundle has no en.lproj/Localizable.strings; keys stand for their texts");
        return {};
    }
    auto bytes = fnd::readFile(*path);
    if (!bytes) {
        ZLOG(Warn, "Localization: cannot read %@; keys stand for their texts", *path);
        return {};
    }
    auto table = fnd::StringTable::parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    if (!table) {
        ZLOG(Warn, "Localization: %@ is malformed (%@); keys stand for their texts", *path,
             table.error().localizedDescription());
        return {};
    }
    return std::move(*table);
}

} // namespace

const std::map<std::string, std::string, std::less<>>& localizedStringTable() {
    static const fnd::StringTable::Map table = loadTable();
    return table;
}

std::string ZLS(std::string_view key) {
    const auto& table = localizedStringTable();
    auto it = table.find(key);
    return it != table.end() ? it->second : std::string(key);
}

} // namespace zelvan
