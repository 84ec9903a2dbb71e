// The dev server's standard reply rules and the small PNG writer the avatar rule draws with.
#include "tools/devserver/dev_rules.h"

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/zlib_codec.h"

namespace zelvan::devserver {
namespace {

void appendBigEndian(fnd::Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void appendChunk(fnd::Bytes& out, const char (&type)[5], const fnd::Bytes& data) {
    appendBigEndian(out, static_cast<uint32_t>(data.size()));
    fnd::Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    appendBigEndian(out, fnd::crc32(typed));
}

} // namespace

ReplyRules standardRules() {
    return {{kAvatarAskCommand, avatarRule}, {kGameInviteCommand, gameInviteRule}};
}

uint32_t avatarColour(int64_t userId) {
    const auto channel = [&](int64_t factor) { return static_cast<uint32_t>((userId * factor) & 0xff); };
    return channel(67) << 16 | channel(131) << 8 | channel(197);
}

fnd::Bytes solidPng(int width, int height, uint32_t rgb) {
    fnd::Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    fnd::Bytes header;
    appendBigEndian(header, static_cast<uint32_t>(width));
    appendBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, deflate, no filter method, no interlace
    appendChunk(png, "IHDR", header);
    fnd::Bytes rows;
    for (int y = 0; y < height; ++y) {
        rows.push_back(0); // filter: none
        for (int x = 0; x < width; ++x) {
            rows.insert(rows.end(),
                        {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)});
        }
    }
    appendChunk(png, "IDAT", fnd::deflate(rows));
    appendChunk(png, "IEND", {});
    return png;
}

std::vector<fnd::Value> avatarRule(const fnd::Value& packet) {
    const auto items = packet.asArray();
    const auto userId = items && items->count() > 2 ? items->objectAtIndex(1).asInt() : std::nullopt;
    const auto type = items && items->count() > 2 ? items->objectAtIndex(2).asInt() : std::nullopt;
    if (!userId || !type) {
        ZLOG(Warn, "devserver: malformed avatar request %s", fnd::logPreview(packet));
        return {};
    }
    if (*userId >= 1 && (*type == 2 || *type == 4)) {
        const fnd::Bytes picture = solidPng(kAvatarPictureSize, kAvatarPictureSize, avatarColour(*userId));
        return {fnd::Value::array({kAvatarPictureCommand, *userId, *type, 1, fnd::Value(picture)})};
    }
    if (*userId >= 1 && (*type == 1 || *type == 3)) {
        return {fnd::Value::array({kAvatarPictureCommand, *userId, *type, 0, fnd::Value()})};
    }
    return {fnd::Value::array({kAvatarPictureCommand, *userId, *type, -1, fnd::Value()})};
}

std::vector<fnd::Value> gameInviteRule(const fnd::Value& packet) {
    const auto items = packet.asArray();
    const auto userId = items && items->count() > 2 ? items->objectAtIndex(1).asInt() : std::nullopt;
    const auto gameId = items && items->count() > 2 ? items->objectAtIndex(2).asInt() : std::nullopt;
    if (!userId || !gameId) {
        ZLOG(Warn, "devserver: malformed game invitation %s", fnd::logPreview(packet));
        return {};
    }
    ZLOG(Info, "devserver: invitation of user %lld to game %lld", static_cast<long long>(*userId),
         static_cast<long long>(*gameId));
    return {};
}

} // namespace zelvan::devserver
