// STLScriptCore: loads a game's bytecode image, runs its initialisation code, and runs its named entry
// points on a stack machine over script values, with the drawing surfaces, font, sounds and random
// streams that the natives work on. The image comes from the network and is never trusted.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "games/engine/natives/native_table.h"
#include "games/engine/script_value.h"
#include "games/formats/cng4.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/object.h"
#include "platform/foundation/value.h"

namespace gfx {
class Context;
class Font;
} // namespace gfx

namespace zelvan {

class STLScriptEngine;
struct SurfaceGuard;
class vFont;

class STLScriptCore {
public:
    // Buffer slots made at load; slot 0 is the main context, offscreen surfaces start at slot 2.
    static constexpr int kBufferSlots = 100;
    static constexpr int kFirstOffscreenBuffer = 2;
    // setBuffer refuses indices at or above this, so a script cannot grow the slot vector at will.
    static constexpr int kMaxBufferIndex = 10000;
    static constexpr uint32_t kInitialStackCapacity = 2000;
    static constexpr uint32_t kStackGrowth = 1000;
    // The value stack never grows past this many entries; a run that tries ends with an error.
    static constexpr uint32_t kMaxStackCapacity = 5000000;
    // Work one run may do before it is stopped (an endless loop would freeze the game). Backward
    // jumps, calls and returns spend the bytes of code they move back (at least 1 for a call or return);
    // between them pc only moves forward, so a run executes at most the budget plus the image size
    // in instructions.
    static constexpr uint64_t kDefaultInstructionBudget = 100'000'000;
    // Images larger than this are refused (code offsets are 32-bit).
    static constexpr size_t kMaxImageSize = size_t{64} * 1024 * 1024;
    // Global slot mirroring the game state.
    static constexpr int kStateGlobal = 2;
    // Offscreen surfaces (every slot but 0) of one engine hold at most this many pixel bytes.
    static constexpr size_t kMaxSurfaceBytes = size_t{64} * 1024 * 1024;
    // Decoded images the engine's archives and fonts may keep cached.
    static constexpr size_t kMaxImageCacheBytes = size_t{32} * 1024 * 1024;

    // Loads `image`, runs its initialisation code and seeds the random streams. A malformed entry table
    // is logged and leaves no entry points; the engine provides myId (global 1), gameId, width, height.
    // `instructionBudget` bounds every run, the initialisation code's included (0: the default).
    STLScriptCore(const fnd::Bytes& image, STLScriptEngine& engine, std::shared_ptr<gfx::Context> mainContext,
                  uint64_t instructionBudget = 0);
    ~STLScriptCore();
    STLScriptCore(const STLScriptCore&) = delete;
    STLScriptCore& operator=(const STLScriptCore&) = delete;

    // Runs the entry point `name` with the platform array `args` (null for none) and returns its
    // result as a platform value, then collects the pool from the globals. An unknown name returns
    // null without running or collecting.
    fnd::Value call(std::string_view name, const fnd::Value& args);

    // Runs the code at pc() with `locals` as the running function's locals; returns the result
    // (null when the run ended on an error). Not re-entrant: the facade serialises calls.
    ScriptValue execute(std::vector<ScriptValue> locals);

    // How the last call() ended: no run (an unknown entry point), a normal return, a fault, or the
    // instruction budget spent.
    enum class RunEnd : uint8_t { NotRun, Returned, Failed, OutOfBudget };
    RunEnd lastRunEnd() const { return lastRunEnd_; }

    // --- Image ---
    const fnd::Bytes& code() const { return code_; }
    uint32_t pc() const { return pc_; }
    void setPc(uint32_t pc) { pc_ = pc; }
    // The next 16-bit / 32-bit little-endian signed value at pc(), advancing pc(); empty (pc()
    // unchanged) when it would reach past the end of the image.
    std::optional<int16_t> readShort();
    std::optional<int32_t> readInt();
    // Global slot of each entry point named by the image.
    const std::map<std::string, int, std::less<>>& entryPoints() const { return entryPoints_; }

    // --- State and variables ---
    int32_t state() const { return state_.load(std::memory_order_acquire); }
    // Sets the state and mirrors it into global 2.
    void setState(int32_t value);
    std::vector<ScriptValue>& globals() { return globals_; }
    const std::vector<ScriptValue>& locals() const { return locals_; }
    ZObjectPool& pool() { return pool_; }

    // --- Value stack (exposed for inspection; the interpreter owns it) ---
    uint32_t stackCapacity() const { return static_cast<uint32_t>(stack_.size()); }

    // --- Natives ---
    NativeTable& natives() { return natives_; }
    // The budget of each run (see kDefaultInstructionBudget); 0 restores the default.
    void setInstructionBudget(uint64_t budget) { budget_ = budget == 0 ? kDefaultInstructionBudget : budget; }
    uint64_t instructionBudget() const { return budget_; }

    // --- Drawing surfaces ---
    // Creates a w x h offscreen surface (state saved once) in slot nextBuffer and returns the slot;
    // -1 once every slot is used, for a size no surface may have, or past the surface budget.
    int addBuffer(int width, int height);
    // Makes slot `index` current, first extending the slots up to it and giving an empty slot a new
    // surface of the engine's size. Refuses (false) a negative index, one at or above kMaxBufferIndex,
    // and an empty slot when its surface would pass the surface budget.
    bool setBuffer(int index);
    // Stores `context` into `slot` (extending the slots up to it) without changing the current
    // surface. Refuses indices outside 0 to kMaxBufferIndex - 1. Slot 0 may carry a guard (any other
    // slot refuses one): from then on every run draws on the guard's current surface and saves and
    // restores its graphics state around the run, under the guard's lock.
    bool storeBufferContext(int slot, std::shared_ptr<gfx::Context> context,
                            std::shared_ptr<SurfaceGuard> guard = nullptr);
    const std::shared_ptr<gfx::Context>& currentContext() const { return currentContext_; }
    // What a drawing native holds around one draw: the pixel lock of the guarded surface while slot 0
    // is current or is `otherSlot` (the buffer the draw reads), as a token held until released; else null.
    std::shared_ptr<void> lockDrawing(int otherSlot = -1);
    int currentBuffer() const { return currentBuffer_; }
    int nextBuffer() const { return nextBuffer_; }
    // Pixel bytes of the offscreen surfaces made so far.
    size_t surfaceBytes() const { return surfaceBytes_; }
    // The budget that every archive and font the engine's natives make shares.
    const std::shared_ptr<ImageCacheBudget>& imageCacheBudget() const { return imageCacheBudget_; }
    const std::vector<std::shared_ptr<gfx::Context>>& buffers() const { return buffers_; }

    // --- Text ---
    // The named font at `size`; no name (or a name the platform does not know) restores
    // "Helvetica-Bold" 14.
    void setFont(std::optional<std::string_view> name, double size);
    const std::shared_ptr<gfx::Font>& font() const { return font_; }

    STLScriptEngine& engine() { return engine_; }

    // What the running native may still spend of the run's budget on long operations; the
    // interpreter fills it before each native call and takes the rest back after it.
    WorkBudget& work() { return work_; }

    // Per-run drawing state of the natives: the run's colour (0-255 each) and its accumulated
    // translation. Reset at the start of every run.
    struct DrawState {
        int32_t red = 0;
        int32_t green = 0;
        int32_t blue = 0;
        double translateX = 0;
        double translateY = 0;
    };
    DrawState drawState;

    // While set, the text natives draw with this bitmap font instead of font().
    std::shared_ptr<vFont> bitmapFont;
    // Sound players (ZLVAudioPlayer) created by natives; stopped and released with the core.
    std::vector<std::shared_ptr<fnd::Object>> sounds;
    // Eight independent seed words for the random native.
    std::array<uint32_t, 8> randomSeeds{};
    // Wall time (seconds since the reference date) when the image was loaded.
    double loadTime = 0;

private:
    // Reads the entry-point records; false (and no entry points) when the table is malformed.
    bool loadEntryPoints();
    // The instruction loop behind execute(); may throw only on allocation failure.
    ScriptValue interpret();
    // Makes room for `needed` entries on the stack, growing it by whole steps of kStackGrowth; false
    // when that would pass kMaxStackCapacity.
    bool reserveStack(uint64_t needed);
    // Charges a new offscreen surface of width x height to the surface budget; false (with one WARN
    // per run) when it does not fit.
    bool chargeSurface(int width, int height);
    // Around each run: picks up the guarded surface of slot 0 and saves its state; restores it.
    std::shared_ptr<gfx::Context> enterSurfaceGuard();
    void leaveSurfaceGuard(const std::shared_ptr<gfx::Context>& surface);
    // Reads / stores / clears a variable operand: n >= 0 is global n, n < 0 local -n-1.
    ScriptValue variable(int32_t n) const;
    void storeVariable(int32_t n, ScriptValue value);
    void clearVariable(int32_t n);

    STLScriptEngine& engine_;
    fnd::Bytes code_;
    // Per code offset (and the end), what the loop dispatches to for the instruction starting there:
    // its opcode, a combined handler, or a fault for the end and truncated operands (games/engine/dispatch_ops.h).
    std::vector<uint8_t> dispatch_;
    uint32_t pc_ = 0;
    std::map<std::string, int, std::less<>> entryPoints_;

    ZObjectPool pool_;
    std::vector<ScriptValue> globals_;
    std::vector<ScriptValue> locals_;
    std::vector<ScriptValue> stack_;
    // Call-frame arrays released by returns, reused by the next calls of the same run.
    std::vector<ZArray*> spareFrames_;
    std::atomic<int32_t> state_{-1};
    uint64_t budget_ = kDefaultInstructionBudget;
    RunEnd lastRunEnd_ = RunEnd::NotRun;
    NativeTable natives_;
    WorkBudget work_;
    std::shared_ptr<SurfaceGuard> surfaceGuard_;

    std::vector<std::shared_ptr<gfx::Context>> buffers_;
    std::shared_ptr<gfx::Context> currentContext_;
    int currentBuffer_ = 0;
    int nextBuffer_ = kFirstOffscreenBuffer;
    size_t surfaceBytes_ = 0;
    bool surfaceBudgetWarned_ = false;
    std::shared_ptr<ImageCacheBudget> imageCacheBudget_ =
        std::make_shared<ImageCacheBudget>(ImageCacheBudget{kMaxImageCacheBytes, 0});
    std::shared_ptr<gfx::Font> font_;
};

} // namespace zelvan
