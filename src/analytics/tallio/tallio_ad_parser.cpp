// The hook-ad reply parser: a bounds-checked walk over the tagged chunk stream, and the hand-out of ads
// per hook and screen.
#include "analytics/tallio/tallio_ad_parser.h"

#include <algorithm>

#include "analytics/tallio/tallio_log.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/format.h"
#include "platform/foundation/parse_error.h"
#include "platform/ui/view_controller.h"

namespace zelvan::tallio {

// Big-endian reads over one chunk's payload; a read past the payload's end fails with the stream offset
// of the value that did not fit.
class TallioAdParser::Reader {
public:
    Reader(std::span<const uint8_t> bytes, size_t base, const char* chunk)
        : bytes_(bytes), base_(base), chunk_(chunk) {}

    fnd::Result<uint64_t> unsignedOf(size_t size) {
        if (bytes_.size() - at_ < size) {
            return truncated();
        }
        uint64_t value = 0;
        for (size_t i = 0; i < size; ++i) {
            value = (value << 8) | bytes_[at_++];
        }
        return value;
    }
    fnd::Result<std::span<const uint8_t>> bytes(size_t size) {
        if (bytes_.size() - at_ < size) {
            return truncated();
        }
        auto out = bytes_.subspan(at_, size);
        at_ += size;
        return out;
    }
    // A 16-bit length and that many bytes; nullopt text when they are not valid UTF-8.
    fnd::Result<std::optional<std::string>> string() {
        const size_t length = TRY(unsignedOf(2));
        auto raw = TRY(bytes(length));
        std::string text(raw.begin(), raw.end());
        if (!fnd::isValidUtf8(text)) {
            return std::optional<std::string>();
        }
        return std::optional<std::string>(std::move(text));
    }

private:
    fnd::Error truncated() const {
        return fnd::parseError(fnd::kParseTruncated, base_ + at_, fnd::format("truncated %s chunk", chunk_));
    }

    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
    size_t base_;
    const char* chunk_;
};

std::string TallioAd::adCookieString() const {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < adCookie.size(); ++i) {
        if (i > 0 && i % 4 == 0) {
            text += ' ';
        }
        text += kDigits[adCookie[i] >> 4];
        text += kDigits[adCookie[i] & 0xF];
    }
    return text;
}

gfx::ImagePtr TallioAdImage::getImage() {
    std::lock_guard guard(mutex_);
    if (!decoded_) {
        decoded_ = true;
        if (!imageData.empty()) {
            image_ = gfx::Image::imageWithData(imageData);
        }
    }
    return image_;
}

void TallioAdParser::parseData(std::span<const uint8_t> data) {
    auto walked = processTaggedFile(data);
    if (!walked.ok()) {
        ZLOG_TO(kTallioLog, Warn, "tallio: hook-ad reply of %d bytes is damaged (%s); keeping what came before",
                static_cast<int>(data.size()), walked.error().localizedDescription());
    }
    setAdParsingPhase(1);
}

fnd::Result<void> TallioAdParser::processTaggedFile(std::span<const uint8_t> data) {
    size_t offset = 0;
    while (offset < data.size()) {
        const size_t left = data.size() - offset;
        if (left < kChunkHeaderSize) {
            return fnd::parseError(fnd::kParseTruncated, offset, "truncated chunk header");
        }
        const uint8_t* header = data.data() + offset;
        const auto type = static_cast<int16_t>((header[0] << 8) | header[1]);
        const uint32_t size = (static_cast<uint32_t>(header[2]) << 24) | (static_cast<uint32_t>(header[3]) << 16) |
                              (static_cast<uint32_t>(header[4]) << 8) | header[5];
        const size_t payloadLeft = left - kChunkHeaderSize;
        // A cut payload is still read for its complete items; the walk then stops.
        auto payload = data.subspan(offset + kChunkHeaderSize, std::min<size_t>(size, payloadLeft));
        TRY(processTaggedFileChunk(type, size, payload, offset + kChunkHeaderSize));
        if (size > payloadLeft) {
            return fnd::parseError(fnd::kParseTruncated, offset,
                                   fnd::format("chunk of declared size %u exceeds the %d bytes left", size,
                                               static_cast<int>(payloadLeft)));
        }
        offset += kChunkHeaderSize + size;
    }
    return {};
}

fnd::Result<void> TallioAdParser::processTaggedFileChunk(int16_t type, uint32_t size, std::span<const uint8_t> block,
                                                         size_t offset) {
    block = block.first(std::min<size_t>(size, block.size()));
    switch (type) {
    case kVersionChunk: {
        Reader in(block, offset, "version");
        return processVersionChunk(in);
    }
    case kAdChunk: {
        Reader in(block, offset, "ad block");
        return processAdChunk(in);
    }
    case kImageChunk: {
        Reader in(block, offset, "images");
        return processImageChunk(in);
    }
    case kHookChunk: {
        Reader in(block, offset, "hooks");
        return processHookChunk(in);
    }
    case kEndOfMessageChunk: {
        Reader in(block, offset, "end of message");
        return processEndOfMessageChunk(in);
    }
    case kErrorChunk: {
        Reader in(block, offset, "error");
        return processErrorChunk(in);
    }
    case kAdThemeChunk: {
        Reader in(block, offset, "themes");
        return processAdThemeChunk(in);
    }
    case kAuxImageInfoChunk: {
        Reader in(block, offset, "image codes");
        return processAuxImageInfoChunk(in);
    }
    default:
        return {}; // skipped by its size
    }
}

fnd::Result<void> TallioAdParser::processVersionChunk(Reader& in) {
    const auto version = static_cast<int32_t>(TRY(in.unsignedOf(4)));
    std::lock_guard guard(mutex_);
    versionId_ = version;
    return {};
}

fnd::Result<void> TallioAdParser::processAdChunk(Reader& in) {
    const auto blockId = static_cast<uint8_t>(TRY(in.unsignedOf(1)));
    const size_t count = TRY(in.unsignedOf(2));
    std::vector<std::shared_ptr<TallioAd>> block;
    // The complete ads replace the block, also when a later one overruns the chunk.
    auto store = [&] {
        if (!block.empty()) {
            std::lock_guard guard(mutex_);
            adBlockMap_[blockId] = block;
        }
    };
    auto readAd = [&]() -> fnd::Result<std::shared_ptr<TallioAd>> {
        auto ad = std::make_shared<TallioAd>();
        ad->adId = static_cast<int64_t>(TRY(in.unsignedOf(8)));
        ad->projectId = static_cast<int64_t>(TRY(in.unsignedOf(8)));
        ad->adText = TRY(in.string());
        ad->advertiser = TRY(in.string());
        ad->canvasId = static_cast<int64_t>(TRY(in.unsignedOf(8)));
        ad->imageId = static_cast<int64_t>(TRY(in.unsignedOf(8)));
        ad->adCookieSize = static_cast<int>(TRY(in.unsignedOf(1)));
        auto cookie = TRY(in.bytes(static_cast<size_t>(ad->adCookieSize)));
        ad->adCookie.assign(cookie.begin(), cookie.end());
        return ad;
    };
    for (size_t i = 0; i < count; ++i) {
        auto ad = readAd();
        if (!ad.ok()) {
            store();
            return ad.error();
        }
        block.push_back(std::move(ad.value()));
    }
    std::lock_guard guard(mutex_);
    adBlockMap_[blockId] = std::move(block);
    return {};
}

fnd::Result<void> TallioAdParser::processImageChunk(Reader& in) {
    const size_t count = TRY(in.unsignedOf(2));
    for (size_t i = 0; i < count; ++i) {
        auto image = std::make_shared<TallioAdImage>();
        image->imageId = static_cast<int64_t>(TRY(in.unsignedOf(8)));
        if (image->imageId < 0) {
            return {}; // ends the chunk
        }
        image->width = static_cast<int32_t>(TRY(in.unsignedOf(4)));
        image->height = static_cast<int32_t>(TRY(in.unsignedOf(4)));
        image->mimeFormat = TRY(in.string());
        const auto size = static_cast<uint32_t>(TRY(in.unsignedOf(4)));
        auto data = TRY(in.bytes(size));
        image->imageData.assign(data.begin(), data.end());
        image->imageDataSize = static_cast<int32_t>(size);
        if (image->imageId != 0) {
            std::lock_guard guard(mutex_);
            imageMap_[image->imageId] = std::move(image);
        }
    }
    return {};
}

fnd::Result<void> TallioAdParser::processHookChunk(Reader& in) {
    const uint64_t count = TRY(in.unsignedOf(4));
    for (uint64_t i = 0; i < count; ++i) {
        auto name = TRY(in.string());
        TallioAdHook hook;
        hook.adBlockId = static_cast<uint8_t>(TRY(in.unsignedOf(1)));
        hook.themeId = static_cast<uint8_t>(TRY(in.unsignedOf(1)));
        if (!name) {
            continue; // a name that is no text cannot be asked for
        }
        hook.name = *name;
        std::lock_guard guard(mutex_);
        hookMap_[*name] = std::move(hook);
    }
    return {};
}

fnd::Result<void> TallioAdParser::processEndOfMessageChunk(Reader& in) {
    (void)in; // reading goes on with the next chunk
    return {};
}

fnd::Result<void> TallioAdParser::processErrorChunk(Reader& in) {
    TRY(in.unsignedOf(2));
    const size_t length = TRY(in.unsignedOf(2));
    TRY(in.bytes(length)); // read and dropped
    return {};
}

fnd::Result<void> TallioAdParser::processAdThemeChunk(Reader& in) {
    const size_t count = TRY(in.unsignedOf(1));
    for (size_t i = 0; i < count; ++i) {
        auto theme = std::make_shared<TallioAdTheme>();
        theme->themeId = static_cast<uint8_t>(TRY(in.unsignedOf(1)));
        theme->sellMessage = TRY(in.string());
        theme->portraitAdImageId = static_cast<int64_t>(TRY(in.unsignedOf(8)));
        theme->landscapeAdImageId = static_cast<int64_t>(TRY(in.unsignedOf(8)));
        gfx::Color* styles[] = {&theme->sellMessageColor, &theme->appNameColor, &theme->advertiserColor};
        for (gfx::Color* colour : styles) {
            TRY(in.string()); // the style's font, not used
            TRY(in.unsignedOf(2));
            *colour = parseColor(static_cast<int64_t>(TRY(in.unsignedOf(4))));
        }
        std::lock_guard guard(mutex_);
        themeMap_[theme->themeId] = std::move(theme);
    }
    return {};
}

fnd::Result<void> TallioAdParser::processAuxImageInfoChunk(Reader& in) {
    const uint64_t count = TRY(in.unsignedOf(4));
    for (uint64_t i = 0; i < count; ++i) {
        const auto imageId = static_cast<int64_t>(TRY(in.unsignedOf(8)));
        const int code = static_cast<int>(TRY(in.unsignedOf(2)));
        std::lock_guard guard(mutex_);
        imageCodeMap_[code] = imageId;
    }
    return {};
}

std::shared_ptr<TallioAd> TallioAdParser::adWithHook(const std::string& hook,
                                                     const ui::ViewController& viewController) {
    return adWithHook(hook, viewController.description());
}

std::shared_ptr<TallioAd> TallioAdParser::adWithHook(const std::string& hookName, const std::string& screen) {
    std::shared_ptr<TallioAd> ad;
    std::shared_ptr<TallioAdTheme> theme;
    std::shared_ptr<TallioAdImage> icon, portrait, landscape;
    {
        std::lock_guard guard(mutex_);
        auto hook = hookMap_.find(hookName);
        if (hook == hookMap_.end()) {
            hook = hookMap_.find("");
        }
        if (hook == hookMap_.end()) {
            return nullptr;
        }
        auto block = adBlockMap_.find(hook->second.adBlockId);
        if (block == adBlockMap_.end() || block->second.empty()) {
            return nullptr;
        }
        auto& ads = block->second;
        for (int attempt = 0; attempt < 5 && !ad; ++attempt) {
            std::rotate(ads.begin(), ads.begin() + 1, ads.end());
            ad = assignAdLocked(ads.back(), screen);
        }
        if (!ad) {
            return nullptr;
        }
        auto found = themeMap_.find(hook->second.themeId);
        if (found == themeMap_.end()) {
            return nullptr; // no theme, no ad; the ad stays assigned to the screen
        }
        theme = found->second;
        auto image = [&](int64_t id) {
            auto it = imageMap_.find(id);
            return it == imageMap_.end() ? nullptr : it->second;
        };
        icon = image(ad->imageId);
        portrait = image(theme->portraitAdImageId);
        landscape = image(theme->landscapeAdImageId);
    }
    // Decoding happens outside the maps' lock; the images keep their own.
    auto adImage = icon ? icon->getImage() : nullptr;
    auto portraitImage = portrait ? portrait->getImage() : nullptr;
    auto landscapeImage = landscape ? landscape->getImage() : nullptr;
    std::lock_guard guard(mutex_);
    ad->adImage = std::move(adImage);
    theme->portraitAdImage = std::move(portraitImage);
    theme->landscapeAdImage = std::move(landscapeImage);
    ad->adTheme = theme;
    return ad;
}

std::shared_ptr<TallioAd> TallioAdParser::getAdFromAdBlock(uint8_t adBlockId, const std::string& screen) {
    std::lock_guard guard(mutex_);
    auto block = adBlockMap_.find(adBlockId);
    if (block == adBlockMap_.end() || block->second.empty()) {
        return nullptr;
    }
    auto& ads = block->second;
    std::rotate(ads.begin(), ads.begin() + 1, ads.end());
    return assignAdLocked(ads.back(), screen);
}

std::shared_ptr<TallioAd> TallioAdParser::assignAd(const std::shared_ptr<TallioAd>& ad, const std::string& screen) {
    std::lock_guard guard(mutex_);
    return assignAdLocked(ad, screen);
}

std::shared_ptr<TallioAd> TallioAdParser::assignAdLocked(const std::shared_ptr<TallioAd>& ad,
                                                         const std::string& screen) {
    if (!ad || !adAssignmentMap_[screen].insert(ad->adId).second) {
        return nullptr;
    }
    return ad;
}

void TallioAdParser::removeAd(const TallioAd& ad, const std::string& screen) {
    std::lock_guard guard(mutex_);
    auto shown = adAssignmentMap_.find(screen);
    if (shown != adAssignmentMap_.end()) {
        shown->second.erase(ad.adId);
    }
}

void TallioAdParser::removeAdsOnViewControllerName(const std::string& screen) {
    std::lock_guard guard(mutex_);
    adAssignmentMap_[screen].clear();
}

gfx::ImagePtr TallioAdParser::getImage(int64_t imageId) {
    std::shared_ptr<TallioAdImage> image;
    {
        std::lock_guard guard(mutex_);
        auto it = imageMap_.find(imageId);
        if (it == imageMap_.end()) {
            return nullptr;
        }
        image = it->second;
    }
    return image->getImage();
}

gfx::ImagePtr TallioAdParser::getImageWithCode(int code) {
    int64_t imageId = 0;
    {
        std::lock_guard guard(mutex_);
        auto it = imageCodeMap_.find(code);
        if (it == imageCodeMap_.end()) {
            return nullptr;
        }
        imageId = it->second;
    }
    return getImage(imageId);
}

gfx::Color TallioAdParser::parseColor(int64_t value) {
    return gfx::Color(static_cast<double>((value >> 16) & 0xFF) / 255.0,
                      static_cast<double>((value >> 8) & 0xFF) / 255.0, static_cast<double>(value & 0xFF) / 255.0, 1.0);
}

int64_t TallioAdParser::versionId() const {
    std::lock_guard guard(mutex_);
    return versionId_;
}

} // namespace zelvan::tallio
