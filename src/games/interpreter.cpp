// The instruction loop of STLScriptCore: one switch over the opcodes, operands read in place from the
// image, integers kept in the value word. Every fetch, operand, pop, jump target, return frame and
// size is checked, since the image comes from the network; a broken run ends with null and an ERROR.
#include <cstring>
#include <exception>

#include "core/tracer.h"
#include "games/script_ops.h"
#include "games/stl_script_core.h"
#include "games/stl_script_engine.h"

namespace zelvan {
namespace {

// Operand bytes after each opcode byte; opcodes outside the table take none.
constexpr auto kOperandBytes = [] {
    std::array<uint8_t, 256> w{};
    for (int op : {2, 3, 23, 38, 47, 48, 49, 50, 53, 54, 55, 56, 58}) {
        w[static_cast<size_t>(op)] = 1;
    }
    for (int op : {25, 26, 27, 28, 29, 32, 33, 34, 35, 36, 37, 39, 46, 52}) {
        w[static_cast<size_t>(op)] = 2;
    }
    w[31] = 4;
    return w;
}();

inline int32_t s8At(const uint8_t* p) {
    return static_cast<int8_t>(p[0]);
}
inline int32_t s16At(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}
inline uint32_t u32At(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// checkTrue with the integer case inline: an integer word is false only for 0 (the word 1).
inline bool truth(ScriptValue v) {
    return isInt(v) ? static_cast<uint32_t>(v) != 1u : checkTrue(v);
}

// The order of b and a, with both-integer pairs compared inline.
inline int order(ScriptValue b, ScriptValue a) {
    if (isInt(a) && isInt(b)) {
        int32_t x = intOf(b);
        int32_t y = intOf(a);
        return (x > y) - (x < y);
    }
    return cmp(b, a);
}

inline uint32_t u(ScriptValue v) {
    return static_cast<uint32_t>(intOf(v));
}

// A function value or return offset: an integer naming a position inside the code.
inline bool isCodeOffset(ScriptValue v, uint32_t size) {
    return isInt(v) && intOf(v) >= 0 && static_cast<uint32_t>(intOf(v)) < size;
}

// Trace lines of a run name "execute" as their function, whichever helper writes them.
template <class... A>
void traceRun(int line, int level, std::string_view fmt, const A&... args) {
    Tracer::sharedTracer().output(traceFileName(__FILE__), line, "execute", level, fmt, args...);
}

} // namespace

ScriptValue STLScriptCore::execute(std::vector<ScriptValue> locals) {
    locals_ = std::move(locals);
    drawState = DrawState{};
    spareFrames_.clear();
    try {
        ScriptValue result = interpret();
        spareFrames_.clear();
        return result;
    } catch (const std::exception& e) {
        spareFrames_.clear();
        Tracer::sharedTracer().logError(traceFileName(__FILE__), __LINE__, "execute", "script run failed", e);
        return nullValue();
    }
}

bool STLScriptCore::reserveStack(uint64_t needed) {
    uint64_t capacity = stack_.size();
    if (needed <= capacity) {
        return true;
    }
    uint64_t steps = (needed - capacity + kStackGrowth - 1) / kStackGrowth;
    uint64_t grown = capacity + steps * kStackGrowth;
    if (grown > kMaxStackCapacity) {
        return false;
    }
    stack_.resize(static_cast<size_t>(grown));
    return true;
}

ScriptValue STLScriptCore::variable(int32_t n) const {
    if (n >= 0) {
        size_t i = static_cast<size_t>(n);
        return i < globals_.size() ? globals_[i] : nullValue();
    }
    size_t i = static_cast<size_t>(~n);
    return i < locals_.size() ? locals_[i] : nullValue();
}

void STLScriptCore::storeVariable(int32_t n, ScriptValue value) {
    // Operands are at most 16 bits wide, so a store extends a vector by at most 32768 slots.
    std::vector<ScriptValue>& vars = n >= 0 ? globals_ : locals_;
    size_t i = n >= 0 ? static_cast<size_t>(n) : static_cast<size_t>(~n);
    if (i >= vars.size()) {
        vars.resize(i + 1, nullValue());
    }
    vars[i] = value;
}

void STLScriptCore::clearVariable(int32_t n) {
    std::vector<ScriptValue>& vars = n >= 0 ? globals_ : locals_;
    size_t i = n >= 0 ? static_cast<size_t>(n) : static_cast<size_t>(~n);
    if (i < vars.size()) {
        vars[i] = nullValue();
    }
}

// GCC would merge the per-instruction dispatches back into one shared jump (cross-jumping) and hoist
// values into long-lived registers it then spills (GCSE); both cost more than they save here.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-crossjumping", "no-gcse")))
#endif
ScriptValue
STLScriptCore::interpret() {
    const uint8_t* const code = code_.data();
    const uint32_t size = static_cast<uint32_t>(code_.size());
    const ScriptValue null = nullValue();
    const int gameId = engine_.gameId();
    ScriptValue* st = stack_.data();
    uint32_t cap = static_cast<uint32_t>(stack_.size());
    uint32_t top = 0;
    uint32_t pc = pc_;
    uint64_t budget = budget_;
    ScriptValue result = null;
    const char* why = nullptr;

// Pops need that many values; pushes grow the stack in steps of kStackGrowth.
#define NEED(n)                                                                                                        \
    if (top < static_cast<uint32_t>(n)) {                                                                              \
        why = "stack underflow";                                                                                       \
        goto fault;                                                                                                    \
    }
#define GROW(n)                                                                                                        \
    if (static_cast<uint64_t>(top) + static_cast<uint64_t>(n) > cap) {                                                 \
        if (!reserveStack(static_cast<uint64_t>(top) + static_cast<uint64_t>(n))) {                                    \
            why = "stack overflow";                                                                                    \
            goto fault;                                                                                                \
        }                                                                                                              \
        st = stack_.data();                                                                                            \
        cap = static_cast<uint32_t>(stack_.size());                                                                    \
    }
#define PUSH(expr)                                                                                                     \
    do {                                                                                                               \
        ScriptValue pushed_ = (expr);                                                                                  \
        GROW(1)                                                                                                        \
        st[top++] = pushed_;                                                                                           \
    } while (0)
#define JUMP(off) pc = static_cast<uint32_t>(static_cast<int64_t>(pc) + (off))

    // Below safeEnd every instruction's operands fit inside the code, so one compare covers the fetch.
    // Dispatch is threaded: each instruction ends with its own fetch and indirect jump, which the
    // branch predictor learns per instruction rather than through one shared jump. Opcodes outside
    // the table (59-127 and every negative one) are skipped.
    const uint32_t safeEnd = size > 5 ? size - 5 : 0;
    uint8_t op = 0;
    const uint8_t* operand = nullptr;
    void* labels[256];
    {
        void* const known[] = {&&op_0,  &&op_1,  &&op_2,  &&op_3,  &&op_4,  &&op_5,  &&op_6,  &&op_7,  &&op_8,  &&op_9,
                               &&op_10, &&op_11, &&op_12, &&op_13, &&op_14, &&op_15, &&op_16, &&op_17, &&op_18, &&op_19,
                               &&op_20, &&op_21, &&op_22, &&op_23, &&op_24, &&op_25, &&op_26, &&op_27, &&op_28, &&op_29,
                               &&op_30, &&op_31, &&op_32, &&op_33, &&op_34, &&op_35, &&op_36, &&op_37, &&op_38, &&op_39,
                               &&op_40, &&op_41, &&op_42, &&op_43, &&op_44, &&op_45, &&op_46, &&op_47, &&op_48, &&op_49,
                               &&op_50, &&op_51, &&op_52, &&op_53, &&op_54, &&op_55, &&op_56, &&op_57, &&op_58};
        for (size_t i = 0; i < 256; ++i) {
            labels[i] = i < std::size(known) ? known[i] : &&op_skip;
        }
    }

#define DISPATCH()                                                                                                     \
    do {                                                                                                               \
        op = code[pc];                                                                                                 \
        operand = code + pc + 1;                                                                                       \
        goto* labels[op];                                                                                              \
    } while (0)
#define NEXT                                                                                                           \
    do {                                                                                                               \
        if (pc >= safeEnd || --budget == 0) [[unlikely]] {                                                             \
            goto slowFetch;                                                                                            \
        }                                                                                                              \
        DISPATCH();                                                                                                    \
    } while (0)

slowFetch:
    if (pc >= size) {
        why = "PC outside the code";
        goto fault;
    }
    if (size - pc - 1 < kOperandBytes[code[pc]]) {
        why = "operand past the end of the code";
        goto fault;
    }
    // Below safeEnd NEXT has counted this instruction already (and came here because the budget ran
    // out); above it the count happens here.
    if ((pc >= safeEnd && --budget == 0) || budget == 0) {
        why = "instruction budget exhausted";
        goto fault;
    }
    DISPATCH();

op_0:
    pc += 1 + kOperandBytes[0];
    result = null;
    goto done;
op_1:
    pc += 1 + kOperandBytes[1];
    NEED(1);
    --top;
    NEXT;
op_2:
    pc += 1 + kOperandBytes[2];
    NEED(1);
    if (truth(st[top - 1])) {
        JUMP(s8At(operand));
    }
    NEXT;
op_3:
    pc += 1 + kOperandBytes[3];
    NEED(1);
    if (!truth(st[top - 1])) {
        JUMP(s8At(operand));
    }
    NEXT;
op_4:
op_5:
    pc += 1 + kOperandBytes[5];
    {
        NEED(2);
        ScriptValue container = st[top - 1];
        ScriptValue element = st[top - 2];
        bool in = script_ops::contains(container, element);
        top -= 2;
        st[top++] = fromInt((op == 5) == in ? 1 : 0);
        NEXT;
    }
op_6:
    pc += 1 + kOperandBytes[6];
    NEED(1);
    if (isInt(st[top - 1])) {
        st[top - 1] = fromUInt(0u - u(st[top - 1]));
    } else {
        --top;
    }
    NEXT;
op_7:
    pc += 1 + kOperandBytes[7];
    NEED(1);
    st[top - 1] = fromInt(truth(st[top - 1]) ? 0 : 1);
    NEXT;
op_8:
    pc += 1 + kOperandBytes[8];
    {
        NEED(2);
        ScriptValue a = st[top - 1];
        ScriptValue b = st[top - 2];
        top -= 2;
        if (isInt(a) && isInt(b)) {
            st[top++] = fromUInt(u(b) * u(a));
        } else if (isInt(a)) {
            PUSH(script_ops::repeat(b, intOf(a), pool_));
        } else if (isInt(b)) {
            PUSH(script_ops::repeat(a, intOf(b), pool_));
        } else {
            st[top++] = null;
        }
        NEXT;
    }
op_9:
op_10:
    pc += 1 + kOperandBytes[10];
    {
        NEED(2);
        int32_t divisor = intOf(st[top - 1]);
        int32_t dividend = intOf(st[top - 2]);
        --top;
        if (divisor == 0) {
            // Operands are 31-bit, so the quotient cannot overflow; only a zero divisor is refused.
            traceRun(__LINE__, Tracer::kWarn, "game %d, %s by zero, PC %d, result 0", gameId,
                     op == 9 ? "division" : "remainder", static_cast<int>(pc));
            st[top - 1] = fromInt(0);
        } else {
            st[top - 1] = fromInt(op == 9 ? dividend / divisor : dividend % divisor);
        }
        NEXT;
    }
op_11:
    pc += 1 + kOperandBytes[11];
    {
        NEED(2);
        ScriptValue a = st[top - 1];
        ScriptValue b = st[top - 2];
        top -= 2;
        if (isInt(a) && isInt(b)) {
            st[top++] = fromUInt(u(b) + u(a));
        } else if (!isInt(a) && !isInt(b)) {
            if (std::optional<ScriptValue> joined = script_ops::concat(b, a, pool_)) {
                PUSH(*joined);
            }
        }
        NEXT;
    }
op_12:
    pc += 1 + kOperandBytes[12];
    NEED(2);
    st[top - 2] = fromUInt(u(st[top - 2]) - u(st[top - 1]));
    --top;
    NEXT;
op_13:
op_51:
    pc += 1 + kOperandBytes[51];
    {
        NEED(op == 13 ? 2 : 3);
        ScriptValue index = st[top - 1];
        ScriptValue sequence = st[top - 2];
        script_ops::IndexedSlot slot = script_ops::locate(sequence, intOf(index));
        if (slot.isSequence && !slot.inBounds) {
            traceRun(__LINE__, Tracer::kError, "game %d, index out of bound, PC %d, index %d, array size %d", gameId,
                     static_cast<int>(pc), static_cast<int>(slot.index), static_cast<int>(slot.length));
        }
        if (op == 13) {
            top -= 2;
            st[top++] = slot.inBounds ? script_ops::elementAt(sequence, slot) : null;
        } else {
            if (slot.inBounds) {
                script_ops::storeAt(sequence, slot, st[top - 3]);
            }
            top -= 3;
        }
        NEXT;
    }
op_14:
    pc += 1 + kOperandBytes[14];
    NEED(2);
    st[top - 2] = fromUInt(u(st[top - 2]) << (u(st[top - 1]) & 31u));
    --top;
    NEXT;
op_15:
    pc += 1 + kOperandBytes[15];
    NEED(2);
    st[top - 2] = fromInt(intOf(st[top - 2]) >> (u(st[top - 1]) & 31u));
    --top;
    NEXT;
op_16:
    pc += 1 + kOperandBytes[16];
    NEED(2);
    st[top - 2] = fromUInt(u(st[top - 2]) & u(st[top - 1]));
    --top;
    NEXT;
op_17:
    pc += 1 + kOperandBytes[17];
    NEED(2);
    st[top - 2] = fromUInt(u(st[top - 2]) | u(st[top - 1]));
    --top;
    NEXT;
op_18:
    pc += 1 + kOperandBytes[18];
    NEED(2);
    st[top - 2] = fromUInt(u(st[top - 2]) ^ u(st[top - 1]));
    --top;
    NEXT;
op_19:
    pc += 1 + kOperandBytes[19];
    {
        NEED(1);
        ScriptValue a = st[--top];
        if (arrayOf(a) != nullptr || dataOf(a) != nullptr) {
            st[top++] = copy(a, pool_);
        }
        NEXT;
    }
op_20:
op_21:
    pc += 1 + kOperandBytes[21];
    {
        NEED(2);
        int32_t bound = intOf(st[top - 1]);
        ScriptValue sequence = st[top - 2];
        --top;
        st[top - 1] = op == 20 ? script_ops::slice(sequence, bound, std::nullopt, pool_)
                               : script_ops::slice(sequence, 0, bound, pool_);
        NEXT;
    }
op_22:
    pc += 1 + kOperandBytes[22];
    {
        NEED(3);
        int32_t end = intOf(st[top - 1]);
        int32_t start = intOf(st[top - 2]);
        ScriptValue sequence = st[top - 3];
        top -= 2;
        st[top - 1] = script_ops::slice(sequence, start, end, pool_);
        NEXT;
    }
op_23:
    pc += 1 + kOperandBytes[23];
    {
        int32_t n = s8At(operand);
        if (n > 0) {
            NEED(n);
            top -= static_cast<uint32_t>(n);
        }
        NEXT;
    }
op_24:
    pc += 1 + kOperandBytes[24];
    {
        if (top <= 1) {
            result = top == 0 ? null : st[0];
            goto done;
        }
        NEED(3);
        ScriptValue value = st[top - 1];
        ScriptValue back = st[top - 2];
        ZArray* frame = arrayOf(st[top - 3]);
        if (!isCodeOffset(back, size)) {
            why = "return offset outside the code";
            goto fault;
        }
        if (frame == nullptr) {
            why = "return without saved locals";
            goto fault;
        }
        top -= 3;
        // The frame's elements become the locals; the emptied array serves the next call.
        locals_.swap(frame->elements);
        frame->elements.clear();
        spareFrames_.push_back(frame);
        pc = static_cast<uint32_t>(intOf(back));
        st[top++] = value;
        NEXT;
    }
op_25:
    pc += 1 + kOperandBytes[25];
    NEED(1);
    if (truth(st[top - 1])) {
        JUMP(s16At(operand));
    }
    NEXT;
op_26:
    pc += 1 + kOperandBytes[26];
    NEED(1);
    if (!truth(st[top - 1])) {
        JUMP(s16At(operand));
    }
    NEXT;
op_27:
    pc += 1 + kOperandBytes[27];
    NEED(1);
    storeVariable(s16At(operand), st[--top]);
    NEXT;
op_28:
    pc += 1 + kOperandBytes[28];
    clearVariable(s16At(operand));
    NEXT;
op_29:
    pc += 1 + kOperandBytes[29];
    {
        NEED(1);
        int32_t n = s16At(operand);
        ZArray* array = arrayOf(st[--top]);
        if (array != nullptr && n > 0) {
            GROW(n);
            const std::vector<ScriptValue>& elements = array->elements;
            for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
                st[top++] = i < elements.size() ? elements[i] : null;
            }
        }
        NEXT;
    }
op_30:
    pc += 1 + kOperandBytes[30];
    NEXT;
op_31:
    pc += 1 + kOperandBytes[31];
    PUSH(fromUInt(u32At(operand)));
    NEXT;
op_32:
    pc += 1 + kOperandBytes[32];
    PUSH(variable(s16At(operand)));
    NEXT;
op_33:
    pc += 1 + kOperandBytes[33];
    {
        int32_t n = std::max(s16At(operand), 0);
        NEED(n);
        ZArray* array = pool_.newArray(std::vector<ScriptValue>(st + top - n, st + top));
        top -= static_cast<uint32_t>(n);
        PUSH(valueOf(array));
        NEXT;
    }
op_34:
    pc += 1 + kOperandBytes[34];
    {
        int32_t n = s16At(operand);
        if (n < 0 || static_cast<uint32_t>(n) > size - pc) {
            why = "byte string past the end of the code";
            goto fault;
        }
        PUSH(valueOf(pool_.newData(fnd::Bytes(code + pc, code + pc + n))));
        pc += static_cast<uint32_t>(n);
        NEXT;
    }
op_35:
    pc += 1 + kOperandBytes[35];
    JUMP(s16At(operand));
    NEXT;
op_36:
op_37:
    pc += 1 + kOperandBytes[37];
    NEED(1);
    if (truth(st[--top]) == (op == 36)) {
        JUMP(s16At(operand));
    }
    NEXT;
op_38:
    pc += 1 + kOperandBytes[38];
    JUMP(s8At(operand));
    NEXT;
op_39:
    pc += 1 + kOperandBytes[39];
    PUSH(fromInt(s16At(operand)));
    NEXT;
op_40:
op_41:
op_42:
op_43:
op_44:
op_45:
    pc += 1 + kOperandBytes[45];
    {
        NEED(2);
        int c = order(st[top - 2], st[top - 1]);
        bool holds = op == 40   ? c < 0
                     : op == 41 ? c > 0
                     : op == 42 ? c <= 0
                     : op == 43 ? c >= 0
                     : op == 44 ? c == 0
                                : c != 0;
        --top;
        st[top - 1] = fromInt(holds ? 1 : 0);
        NEXT;
    }
op_46:
    pc += 1 + kOperandBytes[46];
    goto callCommon;
op_47:
    pc += 1 + kOperandBytes[47];
callCommon : {
    int32_t argc = s8At(operand + (op == 46 ? 1 : 0));
    if (argc < 0) {
        // Spread: the fixed arguments below the array come first, then its elements.
        NEED(1);
        ScriptValue spread = st[--top];
        argc = -argc - 1;
        if (ZArray* array = arrayOf(spread)) {
            size_t n = array->elements.size();
            GROW(n);
            std::memcpy(st + top, array->elements.data(), n * sizeof(ScriptValue));
            top += static_cast<uint32_t>(n);
            argc += static_cast<int32_t>(n);
        }
    }
    if (op == 46) {
        NEED(argc);
        top -= static_cast<uint32_t>(argc);
        Native native = natives_.lookup(operand[0]);
        ScriptValue value = null;
        if (native != nullptr) {
            pc_ = pc;
            value = native(*this, std::span<const ScriptValue>(st + top, static_cast<size_t>(argc)));
            if (value == kNoValue) {
                value = null;
            }
        }
        st[top++] = value;
        NEXT;
    }
    NEED(static_cast<int64_t>(argc) + 1);
    ScriptValue function = st[top - static_cast<uint32_t>(argc) - 1];
    if (!isCodeOffset(function, size)) {
        why = "call of a value that is not a function";
        goto fault;
    }
    ZArray* frame;
    if (spareFrames_.empty()) {
        frame = pool_.newArray();
    } else {
        frame = spareFrames_.back();
        spareFrames_.pop_back();
    }
    // The caller's locals move into the frame array; the callee's are its arguments.
    frame->elements.swap(locals_);
    locals_.assign(st + top - argc, st + top);
    top -= static_cast<uint32_t>(argc) + 1;
    GROW(2);
    st[top++] = valueOf(frame);
    st[top++] = fromUInt(pc);
    pc = static_cast<uint32_t>(intOf(function));
    NEXT;
}
op_48:
    pc += 1 + kOperandBytes[48];
    PUSH(fromInt(s8At(operand)));
    NEXT;
op_49:
op_50:
    pc += 1 + kOperandBytes[50];
    NEED(1);
    if (truth(st[--top]) == (op == 49)) {
        JUMP(s8At(operand));
    }
    NEXT;
op_52:
    pc += 1 + kOperandBytes[52];
    PUSH(fromUInt(pc + static_cast<uint32_t>(s16At(operand))));
    NEXT;
op_53:
    pc += 1 + kOperandBytes[53];
    PUSH(fromUInt(pc + static_cast<uint32_t>(s8At(operand))));
    NEXT;
op_54:
    pc += 1 + kOperandBytes[54];
    {
        // Locals are the common case; read them without the general helper.
        int32_t n = s8At(operand);
        size_t i = static_cast<size_t>(~n);
        PUSH(n < 0 && i < locals_.size() ? locals_[i] : variable(n));
        NEXT;
    }
op_55:
    pc += 1 + kOperandBytes[55];
    {
        NEED(1);
        int32_t n = s8At(operand);
        size_t i = static_cast<size_t>(~n);
        if (n < 0 && i < locals_.size()) {
            locals_[i] = st[--top];
        } else {
            storeVariable(n, st[--top]);
        }
        NEXT;
    }
op_56:
    pc += 1 + kOperandBytes[56];
    clearVariable(s8At(operand));
    NEXT;
op_57:
    pc += 1 + kOperandBytes[57];
    {
        const void* zero = std::memchr(code + pc, 0, size - pc);
        pc = zero == nullptr ? size : static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - code) + 1;
        NEXT;
    }
op_58:
    pc += 1 + kOperandBytes[58];
    {
        int32_t n = s8At(operand);
        if (n < 0) {
            size_t i = static_cast<size_t>(~n);
            if (i < locals_.size() && isInt(locals_[i])) {
                locals_[i] = fromUInt(u(locals_[i]) + 1u);
            }
        }
        NEXT;
    }
op_skip:
    pc += 1;
    NEXT;

fault:
    traceRun(__LINE__, Tracer::kError, "game %d, %s, PC %d; the run ends with null", gameId, why, static_cast<int>(pc));
    result = null;
done:
    pc_ = pc;
    return result;

#undef NEED
#undef GROW
#undef PUSH
#undef JUMP
#undef DISPATCH
#undef NEXT
}

} // namespace zelvan
