// Fuzz target: one native call of the game engine. The input picks a native id (0-124) and builds
// 0-8 script values for it (integers, byte strings, nested, shared and cyclic arrays, native objects,
// null, platform images); the native runs against a host whose screen passes the room guard, on a
// 64 x 64 slot 0 behind its guard, with "files" under /cache/ whose contents are their own path bytes
// (so archives, fonts and photos parse input bytes), and its result is walked.
// Nothing may crash, read or write outside any container, or hang.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "games/engine/natives/game_host.h"
#include "games/engine/natives/native_objects.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/graphics/bitmap_context.h"

namespace {

// Work each call may do: enough for real loops over the arrays built here, small enough to stay fast.
constexpr int64_t kWork = 2'000'000;
constexpr int32_t kRoom = 3;

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return size_ == 0; }
    uint8_t byte() {
        if (size_ == 0) {
            return 0;
        }
        --size_;
        return *data_++;
    }
    int32_t int32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = (v << 8) | byte();
        }
        return static_cast<int32_t>(v);
    }
    fnd::Bytes bytes(size_t n) {
        n = std::min(n, size_);
        fnd::Bytes out(data_, data_ + n);
        data_ += n;
        size_ -= n;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

class Screen final : public zelvan::GameScreen {
public:
    int32_t roomId() const override { return kRoom; }
    int32_t roomAttribute() const override { return 0x400; }
    void drawUserName(fnd::Value) override {}
    void hideUserName(int32_t) override {}
    void displayChat(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, fnd::Value) override {}
    void showInput() override {}
    void showUserInfo(int32_t) override {}
    void webDlgShow(std::string) override {}
    void tapHighlight(gfx::Rect) override {}
};

class Host final : public zelvan::GameHost {
public:
    void send(fnd::Value packet) override { (void)packet.description(); }
    int32_t gameAudioEnable() override { return 1; }
    void showAlert(std::string, std::string) override {}
    void requestDataWithKeys(std::vector<std::string>) override {}
    std::optional<std::string> newDataWithKey(std::string key) override {
        return key.empty() ? std::nullopt : std::optional<std::string>("/cache/" + key);
    }
    std::optional<fnd::Bytes> newFileData(std::string path) override { return fnd::Bytes(path.begin(), path.end()); }
    std::shared_ptr<zelvan::GameScreen> playingGame() override { return screen_; }
    void scriptQuitGuide(int32_t) override {}
    void scriptQuitGame(fnd::Value) override {}
    void scriptShowAlert(fnd::Value) override {}
    void scriptOpenUrl(fnd::Value) override {}
    std::optional<std::string> gameFilePath(const std::string& path) override {
        return path.rfind("/cache/", 0) == 0 ? std::optional<std::string>(path) : std::nullopt;
    }

private:
    std::shared_ptr<zelvan::GameScreen> screen_ = std::make_shared<Screen>();
};

class ValueBuilder {
public:
    ValueBuilder(Reader& in, zelvan::ZObjectPool& pool) : in_(in), pool_(pool) {}

    zelvan::ScriptValue build(int depth) {
        using namespace zelvan;
        ScriptValue v = nullValue();
        switch (in_.byte() % 8) {
        case 0:
            v = fromInt(in_.int32());
            break;
        case 1:
            v = valueOf(pool_.newData(in_.bytes(in_.byte() % 48)));
            break;
        case 2:
        case 3: {
            ZArray* array = pool_.newArray();
            size_t n = in_.byte() % 7;
            made_.push_back(valueOf(array));
            for (size_t i = 0; i < n && depth < 4; ++i) {
                array->elements.push_back(build(depth + 1));
            }
            // A cycle: the array holds itself.
            if (in_.byte() % 4 == 0) {
                array->elements.push_back(valueOf(array));
            }
            v = valueOf(array);
            break;
        }
        case 4:
            v = valueOf(pool_.newNSObject(fnd::Value(in_.bytes(in_.byte() % 16))));
            break;
        case 5:
            // A value made before, so arrays share elements.
            v = made_.empty() ? nullValue() : made_[in_.byte() % made_.size()];
            break;
        case 6: {
            // A long array of one repeated element.
            size_t n = static_cast<size_t>(in_.byte()) * 40;
            v = valueOf(pool_.newArray(std::vector<ScriptValue>(n, fromInt(in_.byte()))));
            break;
        }
        default: {
            // A small platform image.
            int w = in_.byte() % 9;
            int h = in_.byte() % 9;
            v = valueOf(pool_.newNSObject(fnd::Value(std::make_shared<zelvan::ScriptImage>(
                gfx::Image::fromPixels(w, h, fnd::Bytes(static_cast<size_t>(w * h * 4), in_.byte()))))));
            break;
        }
        }
        made_.push_back(v);
        return v;
    }

private:
    Reader& in_;
    zelvan::ZObjectPool& pool_;
    std::vector<zelvan::ScriptValue> made_;
};

// "main" of global 3, which returns at once.
const std::vector<uint8_t>& image() {
    static const std::vector<uint8_t> bytes = {1, 0, 4, 0, 'm', 'a', 'i', 'n', 3, 0, 53, 3, 55, 3, 0, 24};
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        fnd::setLogToStderr(false);
        fnd::initMainThread();
        return true;
    }();
    (void)ready;
    Reader in(data, size);
    zelvan::STLScriptEngine engine(image(), 7, kRoom, 1, fnd::Value::array({7, "8"}),
                                   fnd::Value::array({"a", fnd::Value::array()}), 64, 64, std::make_shared<Host>());
    auto guard = std::make_shared<zelvan::SurfaceGuard>();
    guard->surface = gfx::BitmapContext::create(64, 64, gfx::PixelFormat::Bgra8PremulFirstLE);
    guard->surface->saveGState();
    engine.setContext(guard->surface, 0, guard);
    zelvan::STLScriptCore& core = *engine.core();
    int id = in.byte() % zelvan::NativeTable::kCount;
    std::vector<zelvan::ScriptValue> args;
    ValueBuilder builder(in, core.pool());
    size_t count = in.byte() % 9;
    for (size_t i = 0; i < count; ++i) {
        args.push_back(builder.build(0));
    }
    // The wait native waits real time: keep it to a few milliseconds.
    if (id == 0 && !args.empty()) {
        args[0] = zelvan::fromInt(zelvan::intOf(args[0]) & 3);
    }
    engine.set_userScore(in.byte() % 2 == 0 ? zelvan::BaseScriptEngine::kNoUserScore : in.int32());
    // Draw on slot 0 (behind its guard) or on an offscreen buffer.
    core.setBuffer(in.byte() % 2 == 0 ? 0 : 2);
    if (zelvan::Native native = core.natives().lookup(id)) {
        core.work().left = kWork;
        zelvan::ScriptValue result = native(core, args);
        std::string text;
        zelvan::obj2nsstr(result, text);
        (void)zelvan::convertToNS(result);
    }
    fnd::RunLoop::main().runUntilIdle();
    return 0;
}
