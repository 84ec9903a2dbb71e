// The writer of the Tallio hook-ad reply stream and the ad host's sample reply.
#include "tools/devserver/dev_tallio_reply.h"

#include "tools/devserver/dev_rules.h"

namespace zelvan::devserver {

namespace {

std::string bigEndian(uint64_t v, int bytes) {
    std::string out;
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
    return out;
}

std::string png(int width, int height, uint32_t rgb) {
    auto bytes = solidPng(width, height, rgb);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

std::string DevTallioReplyWriter::u8(uint64_t v) {
    return bigEndian(v, 1);
}
std::string DevTallioReplyWriter::u16(uint64_t v) {
    return bigEndian(v, 2);
}
std::string DevTallioReplyWriter::u32(uint64_t v) {
    return bigEndian(v, 4);
}
std::string DevTallioReplyWriter::u64(uint64_t v) {
    return bigEndian(v, 8);
}
std::string DevTallioReplyWriter::string(const std::string& text) {
    return u16(text.size()) + text;
}

DevTallioReplyWriter& DevTallioReplyWriter::chunk(int16_t type, const std::string& payload) {
    bytes_ += u16(static_cast<uint16_t>(type)) + u32(payload.size()) + payload;
    return *this;
}

DevTallioReplyWriter& DevTallioReplyWriter::raw(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
}

DevTallioReplyWriter& DevTallioReplyWriter::version(int32_t id) {
    return chunk(258, u32(static_cast<uint32_t>(id)));
}

DevTallioReplyWriter& DevTallioReplyWriter::adBlock(uint8_t blockId, const std::vector<DevTallioAd>& ads) {
    std::string payload = u8(blockId) + u16(ads.size());
    for (const auto& ad : ads) {
        payload += u64(static_cast<uint64_t>(ad.adId)) + u64(static_cast<uint64_t>(ad.projectId)) + string(ad.adText) +
                   string(ad.advertiser) + u64(static_cast<uint64_t>(ad.canvasId)) +
                   u64(static_cast<uint64_t>(ad.imageId)) + u8(ad.cookie.size()) + ad.cookie;
    }
    return chunk(259, payload);
}

DevTallioReplyWriter& DevTallioReplyWriter::images(const std::vector<DevTallioImage>& images) {
    std::string payload = u16(images.size());
    for (const auto& image : images) {
        payload += u64(static_cast<uint64_t>(image.imageId));
        if (image.imageId < 0) {
            continue; // the reader stops at such an id
        }
        payload += u32(static_cast<uint32_t>(image.width)) + u32(static_cast<uint32_t>(image.height)) +
                   string(image.mimeFormat) + u32(image.data.size()) + image.data;
    }
    return chunk(262, payload);
}

DevTallioReplyWriter& DevTallioReplyWriter::hooks(const std::vector<DevTallioHook>& hooks) {
    std::string payload = u32(hooks.size());
    for (const auto& hook : hooks) {
        payload += string(hook.name) + u8(hook.adBlockId) + u8(hook.themeId);
    }
    return chunk(263, payload);
}

DevTallioReplyWriter& DevTallioReplyWriter::endOfMessage() {
    return chunk(264, "");
}

DevTallioReplyWriter& DevTallioReplyWriter::error(int value, const std::string& text) {
    return chunk(265, u16(static_cast<uint16_t>(value)) + string(text));
}

DevTallioReplyWriter& DevTallioReplyWriter::themes(const std::vector<DevTallioTheme>& themes) {
    std::string payload = u8(themes.size());
    for (const auto& theme : themes) {
        payload += u8(theme.themeId) + string(theme.sellMessage) + u64(static_cast<uint64_t>(theme.portraitImageId)) +
                   u64(static_cast<uint64_t>(theme.landscapeImageId));
        for (uint32_t colour : {theme.sellMessageColor, theme.appNameColor, theme.advertiserColor}) {
            payload += string("Helvetica") + u16(12) + u32(colour);
        }
    }
    return chunk(266, payload);
}

DevTallioReplyWriter& DevTallioReplyWriter::imageCodes(const std::vector<std::pair<int64_t, int>>& codes) {
    std::string payload = u32(codes.size());
    for (const auto& [imageId, code] : codes) {
        payload += u64(static_cast<uint64_t>(imageId)) + u16(static_cast<uint16_t>(code));
    }
    return chunk(268, payload);
}

std::string devTallioReply(DevTallioReplyKind kind) {
    if (kind == DevTallioReplyKind::Empty) {
        return {};
    }
    std::vector<DevTallioImage> images;
    const uint32_t iconColours[] = {0xD04040, 0x40A040, 0x4060D0, 0xE0A020, 0x8040C0};
    for (int i = 0; i < 5; ++i) {
        images.push_back({101 + i, 16, 16, "image/png", png(16, 16, iconColours[i])});
    }
    images.push_back({201, 32, 5, "image/png", png(32, 5, 0x1E3C78)});
    images.push_back({202, 48, 5, "image/png", png(48, 5, 0x1E3C78)});

    std::vector<DevTallioHook> hooks = {{"zelvan", 1, 1}, {"", 2, 1}};
    for (int i = 1; i <= 5; ++i) {
        hooks.push_back({"Tallio_Canvas_Hook_" + std::to_string(i), 2, 1});
    }

    DevTallioReplyWriter writer;
    writer.version(1)
        .images(images)
        .imageCodes({{201, 1}})
        .themes({{1, "Free for a limited time", 201, 202, 0xFFFFFF, 0xFFD040, 0xC0C0C0}})
        .adBlock(1, {{11, 7, "Pebble Match", "Quarry Games", 501, 101, std::string("\x0a\x0b\x0c\x0d\x0e", 5)},
                     {12, 7, "Lantern Run", "Quarry Games", 502, 102, "\x01\x02\x03\x04"},
                     {13, 8, "Harbor Chess", "Bright Harbor", 503, 103, ""}})
        .adBlock(2, {{21, 9, "Orbit Garden", "Moss Labs", 504, 104, "\x2a"},
                     {22, 9, "Tiny Tides", "Moss Labs", 505, 105, ""}});
    if (kind == DevTallioReplyKind::Full) {
        writer.hooks(hooks).endOfMessage();
        return writer.bytes();
    }
    DevTallioReplyWriter hooksChunk;
    hooksChunk.hooks(hooks);
    std::string chunk = hooksChunk.bytes();
    if (kind == DevTallioReplyKind::Cut) {
        writer.raw(chunk.substr(0, chunk.size() / 2));
    } else {
        chunk.replace(6, 4, DevTallioReplyWriter::u32(1000)); // the count, past the 6-byte header
        writer.raw(chunk).endOfMessage();
    }
    return writer.bytes();
}

} // namespace zelvan::devserver
