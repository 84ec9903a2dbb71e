// The hook-ad reply stream the ad host's Tallio route answers a session report with: tagged binary chunks
// (a 16-bit type, a 32-bit payload size, the payload; all numbers big-endian, strings as a 16-bit length
// and the bytes). The writer builds a stream chunk by chunk, also damaged ones for tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zelvan::devserver {

struct DevTallioAd {
    int64_t adId = 0, projectId = 0;
    std::string adText, advertiser;
    int64_t canvasId = 0, imageId = 0;
    std::string cookie; // at most 255 bytes
};

struct DevTallioImage {
    int64_t imageId = 0;
    int32_t width = 0, height = 0;
    std::string mimeFormat;
    std::string data;
};

struct DevTallioHook {
    std::string name;
    uint8_t adBlockId = 0, themeId = 0;
};

struct DevTallioTheme {
    uint8_t themeId = 0;
    std::string sellMessage;
    int64_t portraitImageId = 0, landscapeImageId = 0;
    // 0xXXRRGGBB of the sell message, the application name and the advertiser.
    uint32_t sellMessageColor = 0, appNameColor = 0, advertiserColor = 0;
};

class DevTallioReplyWriter {
public:
    DevTallioReplyWriter& version(int32_t id);                                           // 258
    DevTallioReplyWriter& adBlock(uint8_t blockId, const std::vector<DevTallioAd>& ads); // 259
    DevTallioReplyWriter& images(const std::vector<DevTallioImage>& images);             // 262
    DevTallioReplyWriter& hooks(const std::vector<DevTallioHook>& hooks);                // 263
    DevTallioReplyWriter& endOfMessage();                                                // 264
    DevTallioReplyWriter& error(int value, const std::string& text);                     // 265
    DevTallioReplyWriter& themes(const std::vector<DevTallioTheme>& themes);             // 266
    DevTallioReplyWriter& imageCodes(const std::vector<std::pair<int64_t, int>>& codes); // 268
    // Any chunk: `payload` under `type` with its own size.
    DevTallioReplyWriter& chunk(int16_t type, const std::string& payload);
    // Any bytes as they stand (a header with a false size, a cut chunk ...).
    DevTallioReplyWriter& raw(const std::string& bytes);

    const std::string& bytes() const { return bytes_; }

    // Payload pieces.
    static std::string u8(uint64_t v);
    static std::string u16(uint64_t v);
    static std::string u32(uint64_t v);
    static std::string u64(uint64_t v);
    static std::string string(const std::string& text);

private:
    std::string bytes_;
};

enum class DevTallioReplyKind {
    Full,    // the whole sample reply
    Cut,     // the sample reply ending inside its hooks chunk
    Damaged, // the sample reply whose hooks chunk declares more hooks than it holds
    Empty,   // no bytes
};

// The sample reply: version 1; images (icons 101 to 105, backgrounds 201 portrait and 202 landscape, all
// PNG) and image code 1 for image 201; theme 1; ad block 1 (three ads) and ad block 2 (two ads); hooks
// "zelvan" (block 1) and "" and "Tallio_Canvas_Hook_1" to "_5" (block 2), all of theme 1; end of message.
std::string devTallioReply(DevTallioReplyKind kind = DevTallioReplyKind::Full);

} // namespace zelvan::devserver
