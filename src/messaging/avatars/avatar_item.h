// AvatarItem: one item of the avatar shop's item list, and the pure readers of that list and of the
// "flag=" value inside the list's URL, which the item bar uses and the fuzz target drives directly.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/error.h"

namespace zelvan {

struct AvatarItem {
    int32_t itemId = 0;
    // The icon URL, relative to the list's URL.
    std::string iconUrlString;
    // The item's picture URL, or several joined by "~", relative to the list's URL.
    std::string itemUrlString;
    int32_t price = 0;
    // Three values handed back to the page with the item.
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;

    bool operator==(const AvatarItem&) const = default;
};

// What an item list body holds: its "flag" (when it has a number there) and its items in order.
struct AvatarItemList {
    std::optional<int32_t> flag;
    std::vector<AvatarItem> items;
};

// Entries per item in the list's flat "items" array.
inline constexpr size_t kAvatarItemFields = 7;
// Items read from one list at most; the rest are dropped (logged).
inline constexpr size_t kMaxAvatarItems = 500;

// Reads a list body: UTF-8 JSON, an object with "items" (a flat array read in whole groups of seven:
// id, icon URL, item URL, price, x, y, z) and "flag". A group with an entry of the wrong kind is
// skipped and logged. An error (not logged: the caller logs its reason) when the body is not UTF-8 or
// not a JSON object.
fnd::Result<AvatarItemList> parseAvatarItemList(std::span<const uint8_t> body);

// The page-defined flag of an item list URL: the leading integer after the first "flag=" up to the
// next "&" (or the end); -1 when the URL has no "flag=".
int32_t avatarItemListFlag(std::string_view itemsUrl);

} // namespace zelvan
