// TallioAdParser: reads the reply to the start-up session report - a stream of tagged binary chunks
// (ad blocks, images, hooks, themes, image codes) - into maps, raises adParsingPhase from 0 to 1, and
// hands out ads so that one screen never shows the same ad twice, rotating through each block.
//
// The parse runs on the worker handling the report's reply, hand-outs on the main thread: every map lives
// under one lock.
// Every size, count and length of the reply is checked against the bytes of its chunk; a damaged or cut
// stream stops the walk, and what was complete before the fault stays.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "analytics/tallio/tallio_ad.h"
#include "platform/foundation/error.h"
#include "platform/foundation/observable.h"

namespace ui {
class ViewController;
} // namespace ui

namespace zelvan::tallio {

class TallioAdParser {
public:
    // Chunk types of the reply stream.
    static constexpr int16_t kVersionChunk = 258;
    static constexpr int16_t kAdChunk = 259;
    static constexpr int16_t kImageChunk = 262;
    static constexpr int16_t kHookChunk = 263;
    static constexpr int16_t kEndOfMessageChunk = 264;
    static constexpr int16_t kErrorChunk = 265;
    static constexpr int16_t kAdThemeChunk = 266;
    static constexpr int16_t kAuxImageInfoChunk = 268;
    // A chunk header: 16-bit type, 32-bit payload size.
    static constexpr size_t kChunkHeaderSize = 6;

    TallioAdParser() = default;
    TallioAdParser(const TallioAdParser&) = delete;
    TallioAdParser& operator=(const TallioAdParser&) = delete;

    // The parser of the installed application's Tallio context; null when there is none. An entry point
    // (tallio_entry_points.cpp): the client's own parts are handed their parser.
    static std::shared_ptr<TallioAdParser> instance();

    // Walks the reply, then sets the phase to 1. A damaged stream logs one WARN line; what was complete
    // before the fault is kept.
    void parseData(std::span<const uint8_t> data);

    // The walk: chunk after chunk until the end; stops at the first fault with an "fnd.parse" error (its
    // offset in `data`). Logs nothing.
    fnd::Result<void> processTaggedFile(std::span<const uint8_t> data);
    // One chunk's payload (`block`, which may be shorter than `size` when the stream is cut); `offset` is
    // where the payload starts in the stream, for errors. Unknown types are skipped.
    fnd::Result<void> processTaggedFileChunk(int16_t type, uint32_t size, std::span<const uint8_t> block,
                                             size_t offset = 0);

    // An ad for hook `hook` on the screen of `viewController` (its description() names the screen), with
    // its icon and theme filled in; null when there is none for that screen.
    std::shared_ptr<TallioAd> adWithHook(const std::string& hook, const ui::ViewController& viewController);
    // The same for a screen given by name.
    std::shared_ptr<TallioAd> adWithHook(const std::string& hook, const std::string& viewControllerName);
    // Moves the first ad of block `adBlockId` to its end and assigns it to the screen; null when the block
    // is missing or empty, or that ad is already shown there.
    std::shared_ptr<TallioAd> getAdFromAdBlock(uint8_t adBlockId, const std::string& viewControllerName);
    // `ad` once it is recorded as shown on the screen; null when it already was.
    std::shared_ptr<TallioAd> assignAd(const std::shared_ptr<TallioAd>& ad, const std::string& viewControllerName);
    // Frees the ad (a view going away) or every ad (a screen going away) of the screen.
    void removeAd(const TallioAd& ad, const std::string& viewControllerName);
    void removeAdsOnViewControllerName(const std::string& viewControllerName);

    // The decoded image of that id, or of the image id stored under that code; null when none.
    gfx::ImagePtr getImage(int64_t imageId);
    gfx::ImagePtr getImageWithCode(int code);

    // 0xXXRRGGBB: red, green and blue over 255, the top byte unused, alpha 1.
    static gfx::Color parseColor(int64_t value);

    // 0 until a reply has been parsed, then 1; observers hear it on the parsing thread.
    fnd::Observable<int>& adParsingPhase() { return adParsingPhase_; }
    void setAdParsingPhase(int phase) { adParsingPhase_.set(phase); }

    // The value of the last version chunk.
    int64_t versionId() const;

private:
    class Reader;
    fnd::Result<void> processVersionChunk(Reader& in);
    fnd::Result<void> processAdChunk(Reader& in);
    fnd::Result<void> processImageChunk(Reader& in);
    fnd::Result<void> processHookChunk(Reader& in);
    fnd::Result<void> processEndOfMessageChunk(Reader& in);
    fnd::Result<void> processErrorChunk(Reader& in);
    fnd::Result<void> processAdThemeChunk(Reader& in);
    fnd::Result<void> processAuxImageInfoChunk(Reader& in);
    std::shared_ptr<TallioAd> assignAdLocked(const std::shared_ptr<TallioAd>& ad, const std::string& screen);

    mutable std::mutex mutex_;
    int64_t versionId_ = 0;
    std::map<uint8_t, std::vector<std::shared_ptr<TallioAd>>> adBlockMap_;
    std::map<int64_t, std::shared_ptr<TallioAdImage>> imageMap_;
    std::map<std::string, TallioAdHook> hookMap_;
    std::map<uint8_t, std::shared_ptr<TallioAdTheme>> themeMap_;
    std::map<std::string, std::set<int64_t>> adAssignmentMap_;
    std::map<int, int64_t> imageCodeMap_;
    fnd::Observable<int> adParsingPhase_{0};
};

} // namespace zelvan::tallio
