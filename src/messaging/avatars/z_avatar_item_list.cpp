// Reading the avatar shop's item list: the JSON body the item bar fetches, and the "flag=" value
// the page may put in the list's URL. Both take outside text and never trust it.
#include <string>

#include "messaging/avatars/avatar_item.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/scalar.h"
#include "protocol/tracer.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

// A number of the list as a 32-bit value (doubles truncated, saturating), or nullopt for any other kind.
std::optional<int32_t> number(const fnd::Value& value) {
    if (!value.isNumber()) {
        return std::nullopt;
    }
    return value.intValue();
}

// The item of one group of seven entries starting at `first`, or nullopt when an entry has the wrong kind.
std::optional<AvatarItem> readItem(const fnd::Array& entries, size_t first) {
    const auto id = number(entries.objectAtIndex(first));
    const std::string* icon = entries.objectAtIndex(first + 1).asString();
    const std::string* url = entries.objectAtIndex(first + 2).asString();
    const auto price = number(entries.objectAtIndex(first + 3));
    const auto x = number(entries.objectAtIndex(first + 4));
    const auto y = number(entries.objectAtIndex(first + 5));
    const auto z = number(entries.objectAtIndex(first + 6));
    if (!id || !icon || !url || !price || !x || !y || !z) {
        return std::nullopt;
    }
    return AvatarItem{*id, *icon, *url, *price, *x, *y, *z};
}

} // namespace

fnd::Result<AvatarItemList> parseAvatarItemList(std::span<const uint8_t> body) {
    const std::string_view text(reinterpret_cast<const char*>(body.data()), body.size());
    if (!fnd::isValidUtf8(text)) {
        return fnd::parseError(fnd::kParseBadEncoding, 0, "the body is not UTF-8 text");
    }
    const std::optional<fnd::Value> parsed = ZelvanWidget::newJsonObject(text);
    const auto root = parsed ? parsed->asDictionary() : nullptr;
    if (!root) {
        return fnd::parseError(fnd::kParseMalformed, 0, "the body is not a JSON object");
    }
    AvatarItemList list;
    const fnd::Value& flag = root->objectForKey("flag");
    if (!flag.isNull()) {
        list.flag = number(flag);
        if (!list.flag) {
            ZTRACE_WARN("avatar item list: \"flag\" is not a number; the URL's flag stays");
        }
    }
    const fnd::Value& itemsValue = root->objectForKey("items");
    const auto entries = itemsValue.asArray();
    if (!entries) {
        if (!itemsValue.isNull()) {
            ZTRACE_WARN("avatar item list: \"items\" is not an array; no items");
        }
        return list;
    }
    const size_t groups = entries->count() / kAvatarItemFields;
    if (entries->count() % kAvatarItemFields != 0) {
        ZTRACE_WARN("avatar item list: %lld entries left over after whole items are ignored",
                    static_cast<long long>(entries->count() % kAvatarItemFields));
    }
    for (size_t group = 0; group < groups; ++group) {
        if (list.items.size() == kMaxAvatarItems) {
            ZTRACE_WARN("avatar item list: only the first %lld items are shown",
                        static_cast<long long>(kMaxAvatarItems));
            break;
        }
        if (auto item = readItem(*entries, group * kAvatarItemFields)) {
            list.items.push_back(std::move(*item));
        } else {
            ZTRACE_WARN("avatar item list: item %lld has an entry of the wrong kind and is skipped",
                        static_cast<long long>(group));
        }
    }
    return list;
}

int32_t avatarItemListFlag(std::string_view itemsUrl) {
    constexpr std::string_view kKey = "flag=";
    const size_t at = itemsUrl.find(kKey);
    if (at == std::string_view::npos) {
        return -1;
    }
    std::string_view rest = itemsUrl.substr(at + kKey.size());
    rest = rest.substr(0, rest.find('&'));
    return fnd::intValue(rest);
}

} // namespace zelvan
