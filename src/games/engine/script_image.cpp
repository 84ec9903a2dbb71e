// Loading of a bytecode image (entry-point table, globals, initialisation run, random seeds), the
// named entry-point calls with their collection, and the core's surfaces, font and state.
#include <algorithm>
#include <cmath>
#include <exception>

#include "games/engine/dispatch_ops.h"
#include "games/engine/natives/game_host.h"
#include "games/engine/natives/zlv_audio_player.h"
#include "games/engine/script_random.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

constexpr std::string_view kDefaultFontName = "Helvetica-Bold";
constexpr double kDefaultFontSize = 14;

std::shared_ptr<gfx::Font> defaultFont() {
    return gfx::Font::withName(kDefaultFontName, kDefaultFontSize);
}

} // namespace

STLScriptCore::STLScriptCore(const fnd::Bytes& image, STLScriptEngine& engine,
                             std::shared_ptr<gfx::Context> mainContext, uint64_t instructionBudget)
    : engine_(engine), natives_(NativeTable::standard()) {
    setInstructionBudget(instructionBudget);
    loadTime = fnd::Clock::now().sinceReferenceDate();
    dispatch::prepare(code_.data(), 0, dispatch_);
    stack_.resize(kInitialStackCapacity);
    font_ = defaultFont();
    buffers_.resize(kBufferSlots);
    buffers_[0] = std::move(mainContext);
    currentContext_ = buffers_[0];

    bool loaded = false;
    if (image.size() > kMaxImageSize) {
        ZTRACE_ERROR("game %d, image of %llu bytes refused", engine_.gameId(),
                     static_cast<unsigned long long>(image.size()));
    } else {
        code_ = image;
        dispatch::prepare(code_.data(), code_.size(), dispatch_);
        loaded = loadEntryPoints();
    }
    // The seeds are drawn from the scripts' own generator seeded with the whole seconds of the load
    // time, so two loads in one second agree, on every client.
    auto loadSeed = static_cast<uint32_t>(static_cast<int64_t>(std::floor(loadTime)));
    for (uint32_t& seed : randomSeeds) {
        seed = static_cast<uint32_t>(scriptRandR(loadSeed));
    }
    globals_ = {nullValue(), fromInt(engine_.myId()), fromInt(-1)};
    if (loaded) {
        execute({});
        locals_.clear();
    }
}

STLScriptCore::~STLScriptCore() {
    // Sounds the script left behind stop with the game rather than play on unowned.
    for (const std::shared_ptr<fnd::Object>& sound : sounds) {
        if (auto player = std::dynamic_pointer_cast<ZLVAudioPlayer>(sound)) {
            player->setDestroy(true);
            if (player->player() != nullptr) {
                player->player()->stop();
            }
        }
    }
}

std::optional<int16_t> STLScriptCore::readShort() {
    if (code_.size() < 2 || pc_ > code_.size() - 2) {
        return std::nullopt;
    }
    auto value = static_cast<int16_t>(static_cast<uint16_t>(code_[pc_] | (code_[pc_ + 1] << 8)));
    pc_ += 2;
    return value;
}

std::optional<int32_t> STLScriptCore::readInt() {
    if (code_.size() < 4 || pc_ > code_.size() - 4) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | code_[pc_ + static_cast<uint32_t>(i)];
    }
    pc_ += 4;
    return static_cast<int32_t>(value);
}

bool STLScriptCore::loadEntryPoints() {
    pc_ = 0;
    std::optional<int16_t> count = readShort();
    // A negative count reads as no records, like any count below one.
    for (int i = 0; count && i < *count; ++i) {
        std::optional<int16_t> length = readShort();
        if (!length || *length < 0 || static_cast<size_t>(*length) > code_.size() - pc_) {
            count.reset();
            break;
        }
        std::string name(code_.begin() + pc_, code_.begin() + pc_ + static_cast<uint32_t>(*length));
        pc_ += static_cast<uint32_t>(*length);
        std::optional<int16_t> slot = readShort();
        if (!slot) {
            count.reset();
            break;
        }
        entryPoints_.insert_or_assign(std::move(name), int{*slot});
    }
    if (!count) {
        ZTRACE_ERROR("game %d, image of %llu bytes has a truncated entry table; nothing is run", engine_.gameId(),
                     static_cast<unsigned long long>(code_.size()));
        entryPoints_.clear();
        return false;
    }
    return true;
}

fnd::Value STLScriptCore::call(std::string_view name, const fnd::Value& args) {
    lastRunEnd_ = RunEnd::NotRun;
    auto entry = entryPoints_.find(name);
    if (entry == entryPoints_.end() || entry->second == 0) {
        return fnd::Value();
    }
    // A negative slot names no global (and would read a local otherwise).
    ScriptValue function = entry->second > 0 ? variable(entry->second) : nullValue();
    if (!isInt(function) || intOf(function) < 0 || static_cast<size_t>(intOf(function)) >= code_.size()) {
        ZTRACE_ERROR("game %d, entry point \"%@\" (global %d) holds no function", engine_.gameId(),
                     fnd::logPreview(name), entry->second);
        return fnd::Value();
    }
    pc_ = static_cast<uint32_t>(intOf(function));

    std::vector<ScriptValue> arguments;
    if (std::shared_ptr<fnd::Array> list = args.asArray()) {
        arguments.reserve(list->count());
        for (const fnd::Value& item : *list) {
            arguments.push_back(convertFromNS(item, pool_));
        }
    }
    fnd::Value out = convertToNS(execute(std::move(arguments)));
    // The run is over: its stack and locals are dead, so the globals are the only roots.
    locals_.clear();
    pool_.freePool(globals_);
    return out;
}

void STLScriptCore::setState(int32_t value) {
    state_.store(value, std::memory_order_release);
    storeVariable(kStateGlobal, fromInt(value));
}

int STLScriptCore::addBuffer(int width, int height) {
    if (nextBuffer_ < 0 || static_cast<size_t>(nextBuffer_) >= buffers_.size()) {
        ZTRACE_WARN("game %d, no buffer slot left for a %dx%d surface", engine_.gameId(), width, height);
        return -1;
    }
    if (!gfx::imageDimensionsAllowed(width, height) || !chargeSurface(width, height)) {
        return -1;
    }
    std::shared_ptr<gfx::Context> surface =
        gfx::BitmapContext::create(width, height, gfx::PixelFormat::Bgra8PremulFirstLE);
    if (surface != nullptr) {
        surface->saveGState();
    }
    buffers_[static_cast<size_t>(nextBuffer_)] = std::move(surface);
    return nextBuffer_++;
}

bool STLScriptCore::setBuffer(int index) {
    if (index < 0 || index >= kMaxBufferIndex) {
        ZTRACE_WARN("game %d, buffer slot %d refused", engine_.gameId(), index);
        return false;
    }
    size_t slot = static_cast<size_t>(index);
    if (slot >= buffers_.size()) {
        buffers_.resize(slot + 1);
    }
    if (buffers_[slot] == nullptr) {
        if (!chargeSurface(engine_.width(), engine_.height())) {
            return false;
        }
        buffers_[slot] =
            gfx::BitmapContext::create(engine_.width(), engine_.height(), gfx::PixelFormat::Bgra8PremulFirstLE);
    }
    currentBuffer_ = index;
    currentContext_ = buffers_[slot];
    return true;
}

bool STLScriptCore::storeBufferContext(int slot, std::shared_ptr<gfx::Context> context,
                                       std::shared_ptr<SurfaceGuard> guard) {
    if (slot < 0 || slot >= kMaxBufferIndex || (guard != nullptr && slot != 0)) {
        return false;
    }
    if (slot == 0) {
        surfaceGuard_ = std::move(guard);
    }
    size_t i = static_cast<size_t>(slot);
    if (i >= buffers_.size()) {
        buffers_.resize(i + 1);
    }
    buffers_[i] = std::move(context);
    return true;
}

std::shared_ptr<gfx::Context> STLScriptCore::enterSurfaceGuard() {
    if (surfaceGuard_ == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(surfaceGuard_->lock);
    std::shared_ptr<gfx::Context> surface = surfaceGuard_->surface;
    if (surface != nullptr) {
        buffers_[0] = surface;
        if (currentBuffer_ == 0) {
            currentContext_ = surface;
        }
        std::shared_ptr<void> pixels = surfaceGuard_->lockPixels ? surfaceGuard_->lockPixels() : nullptr;
        surface->saveGState();
    }
    return surface;
}

void STLScriptCore::leaveSurfaceGuard(const std::shared_ptr<gfx::Context>& surface) {
    if (surfaceGuard_ == nullptr || surface == nullptr) {
        return;
    }
    std::lock_guard lock(surfaceGuard_->lock);
    std::shared_ptr<void> pixels = surfaceGuard_->lockPixels ? surfaceGuard_->lockPixels() : nullptr;
    surface->restoreGState();
}

bool STLScriptCore::chargeSurface(int width, int height) {
    const size_t bytes = static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0)) * 4;
    if (bytes > kMaxSurfaceBytes - surfaceBytes_) {
        if (!surfaceBudgetWarned_) {
            surfaceBudgetWarned_ = true;
            ZTRACE_WARN("game %d, a %dx%d surface would pass the %d MiB surface budget; refused", engine_.gameId(),
                        width, height, static_cast<int>(kMaxSurfaceBytes >> 20));
        }
        return false;
    }
    surfaceBytes_ += bytes;
    return true;
}

std::shared_ptr<void> STLScriptCore::lockDrawing(int otherSlot) {
    if (surfaceGuard_ == nullptr || (currentBuffer_ != 0 && otherSlot != 0)) {
        return nullptr;
    }
    std::function<std::shared_ptr<void>()> lockPixels;
    {
        std::lock_guard lock(surfaceGuard_->lock);
        lockPixels = surfaceGuard_->lockPixels;
    }
    return lockPixels ? lockPixels() : nullptr;
}

void STLScriptCore::setFont(std::optional<std::string_view> name, double size) {
    std::shared_ptr<gfx::Font> chosen = name ? gfx::Font::withName(*name, size) : nullptr;
    font_ = chosen != nullptr ? std::move(chosen) : defaultFont();
}

} // namespace zelvan
