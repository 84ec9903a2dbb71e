// Fuzz target: the avatar shop's item list and its URL flag from untrusted bytes. The input up to
// the first newline is the list's URL, the rest the list body. Nothing may crash, an item list never
// exceeds its cap, and a URL without "flag=" always gives -1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "messaging/avatars/avatar_item.h"
#include "platform/foundation/log.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find('\n');
    const std::string_view url = input.substr(0, cut);
    const std::span<const uint8_t> body =
        cut == std::string_view::npos ? std::span<const uint8_t>() : std::span(data + cut + 1, size - cut - 1);

    const int32_t flag = zelvan::avatarItemListFlag(url);
    if (url.find("flag=") == std::string_view::npos) {
        check(flag == -1);
    }
    if (const auto list = zelvan::parseAvatarItemList(body)) {
        check(list->items.size() <= zelvan::kMaxAvatarItems);
        check(list->items.size() <= body.size() / 15 + 1); // every item takes 7 entries of the body
    }
    return 0;
}
