// The instruction loop of STLScriptCore: threaded dispatch over the opcodes, operands read in place from the
// image, integers kept in the value word. Every fetch, operand, pop, jump target, return frame and
// size is checked, since the image comes from the network; a broken run ends with null and an ERROR.
#include <cstring>
#include <exception>

#include "games/engine/dispatch_ops.h"
#include "games/engine/script_ops.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

#include "games/engine/interpreter_helpers.inc"

} // namespace

ScriptValue STLScriptCore::execute(std::vector<ScriptValue> locals) {
    locals_ = std::move(locals);
    drawState = DrawState{};
    surfaceBudgetWarned_ = false;
    spareFrames_.clear();
    std::shared_ptr<gfx::Context> guarded = enterSurfaceGuard();
    ScriptValue result = nullValue();
    lastRunEnd_ = RunEnd::Failed; // until the loop says otherwise
    try {
        result = interpret();
    } catch (const std::exception& e) {
        Tracer::sharedTracer().logError(__FILE__, __LINE__, "execute", "script run failed", e);
        result = nullValue();
    }
    spareFrames_.clear();
    leaveSurfaceGuard(guarded);
    return result;
}

// GCC would merge the per-instruction dispatches back into one shared jump (cross-jumping) and hoist
// values into long-lived registers it then spills (GCSE); both cost more than they save here. The
// loop starts on a cache line, so its speed does not depend on the size of the code placed before it.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-crossjumping", "no-gcse"), aligned(64)))
#endif
ScriptValue
STLScriptCore::interpret() {
    // The hot state lives in locals whose addresses are never taken, so it stays in registers: the
    // code base and pc, the stack base, top and end, and the running function's locals.
    const uint8_t* const code = code_.data();
    const uint8_t* const xop = dispatch_.data();
    const uint32_t size = static_cast<uint32_t>(code_.size());
    const ScriptValue null = nullValue();
    ScriptValue* st = stack_.data();
    ScriptValue* sp = st;
    ScriptValue* stEnd = st + stack_.size();
    ScriptValue* lv = locals_.data();
    size_t ln = locals_.size();
    uint32_t pc = pc_;
    // Signed, so one charge may take it below zero.
    int64_t budget = budget_ > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(budget_);
    ScriptValue result = null;
    const char* why = nullptr;

// Local variable operands: n < 0 names local ~n. As a size_t, ~n of any n >= 0 is far above every
// locals count, so one unsigned compare (i < ln) checks both the kind and the bound.
#define SYNC_LOCALS()                                                                                                  \
    do {                                                                                                               \
        lv = locals_.data();                                                                                           \
        ln = locals_.size();                                                                                           \
    } while (0)
// Pops need that many values; pushes grow the stack in steps of kStackGrowth.
#define NEED(n)                                                                                                        \
    if (sp - st < static_cast<ptrdiff_t>(n)) [[unlikely]] {                                                            \
        why = "stack underflow";                                                                                       \
        goto fault;                                                                                                    \
    }
#define GROW(n)                                                                                                        \
    if (static_cast<uint64_t>(stEnd - sp) < static_cast<uint64_t>(n)) [[unlikely]] {                                   \
        size_t used_ = static_cast<size_t>(sp - st);                                                                   \
        if (!reserveStack(static_cast<uint64_t>(used_) + static_cast<uint64_t>(n))) {                                  \
            why = "stack overflow";                                                                                    \
            goto fault;                                                                                                \
        }                                                                                                              \
        st = stack_.data();                                                                                            \
        sp = st + used_;                                                                                               \
        stEnd = st + stack_.size();                                                                                    \
    }
#define PUSH(expr)                                                                                                     \
    do {                                                                                                               \
        ScriptValue pushed_ = (expr);                                                                                  \
        GROW(1)                                                                                                        \
        *sp++ = pushed_;                                                                                               \
    } while (0)
// Everything that allocates checks the pool's total afterwards.
#define CHECK_POOL()                                                                                                   \
    if (pool_.overLimit()) [[unlikely]] {                                                                              \
        why = "memory limit reached";                                                                                  \
        goto fault;                                                                                                    \
    }
// Control moving back by d bytes costs d of the budget (at least 1 for calls and returns): between
// two charges pc only moves forward, so the instructions run stay below the budget plus the image size.
#define CHARGE(cost)                                                                                                   \
    do {                                                                                                               \
        budget -= static_cast<int64_t>(cost);                                                                          \
        if (budget <= 0) [[unlikely]] {                                                                                \
            why = kOutOfBudget;                                                                                        \
            goto fault;                                                                                                \
        }                                                                                                              \
    } while (0)
// Takes back the budget that a long operation (membership, comparison, a native) left in work_.
#define TAKE_WORK()                                                                                                    \
    do {                                                                                                               \
        budget = work_.left;                                                                                           \
        if (budget <= 0) [[unlikely]] {                                                                                \
            why = kOutOfBudget;                                                                                        \
            goto fault;                                                                                                \
        }                                                                                                              \
    } while (0)
#define JUMP(off)                                                                                                      \
    do {                                                                                                               \
        int32_t off_ = (off);                                                                                          \
        pc = static_cast<uint32_t>(static_cast<int64_t>(pc) + off_);                                                   \
        if (off_ < 0) {                                                                                                \
            CHARGE(-static_cast<int64_t>(off_));                                                                       \
        }                                                                                                              \
        if (pc >= size) [[unlikely]] {                                                                                 \
            why = "PC outside the code";                                                                               \
            goto fault;                                                                                                \
        }                                                                                                              \
    } while (0)
// A transfer to an absolute offset (call, return).
#define TRANSFER(target)                                                                                               \
    do {                                                                                                               \
        uint32_t to_ = (target);                                                                                       \
        CHARGE(1 + (to_ < pc ? pc - to_ : 0u));                                                                        \
        pc = to_;                                                                                                      \
    } while (0)

    // Dispatch goes through the load-time table, which already holds a fault for the end of the code
    // and for truncated operands, so a fetch needs no bounds check: every instruction leaves pc at
    // most at the end, and jumps check their targets. The table may also start a combined handler for
    // a common sequence. Dispatch is threaded: each instruction ends with its own fetch and indirect
    // jump, which the branch predictor learns per instruction. Undefined opcodes are skipped.
    void* labels[256];
    {
#define OPCODE_LABEL(number, name, ...) &&op_##name,
#define EXTRA_LABEL(name) &&op_##name,
        void* const known[] = {ZELVAN_OPCODES(OPCODE_LABEL) ZELVAN_DISPATCH_EXTRAS(EXTRA_LABEL)};
#undef OPCODE_LABEL
#undef EXTRA_LABEL
        static_assert(std::size(known) == dispatch::kDispatchCount);
        for (size_t i = 0; i < 256; ++i) {
            labels[i] = i < std::size(known) ? known[i] : &&op_Skip;
        }
    }

#define NEXT goto* labels[xop[pc]]
// Starts an instruction of opcode `o`: its operands begin at `operand`, pc moves past them.
#define BEGIN(o)                                                                                                       \
    const uint8_t* const operand = code + pc + 1;                                                                      \
    (void)operand;                                                                                                     \
    constexpr uint32_t width_ = 1 + operandBytes(Op::o);                                                               \
    pc += width_

    // A run may start anywhere (setPc); from then on pc stays within the table.
    if (pc >= size) {
        why = "PC outside the code";
        goto fault;
    }
    NEXT;

op_End:
    why = "PC outside the code";
    goto fault;
op_Truncated:
    why = "operand past the end of the code";
    goto fault;

op_Stop : {
    BEGIN(Stop);
    result = null;
    goto done;
}
op_Pop : {
    BEGIN(Pop);
    NEED(1);
    --sp;
    NEXT;
}
op_JumpIfKeep8 : {
    BEGIN(JumpIfKeep8);
    NEED(1);
    if (truth(sp[-1])) {
        JUMP(s8At(operand));
    }
    NEXT;
}
op_JumpIfNotKeep8 : {
    BEGIN(JumpIfNotKeep8);
    NEED(1);
    if (!truth(sp[-1])) {
        JUMP(s8At(operand));
    }
    NEXT;
}
op_NotIn : {
    BEGIN(NotIn);
    NEED(2);
    work_.left = budget;
    bool in = script_ops::contains(sp[-1], sp[-2], work_);
    TAKE_WORK();
    --sp;
    sp[-1] = fromInt(in ? 0 : 1);
    NEXT;
}
op_In : {
    BEGIN(In);
    NEED(2);
    work_.left = budget;
    bool in = script_ops::contains(sp[-1], sp[-2], work_);
    TAKE_WORK();
    --sp;
    sp[-1] = fromInt(in ? 1 : 0);
    NEXT;
}
op_Neg : {
    BEGIN(Neg);
    NEED(1);
    if (isInt(sp[-1])) {
        sp[-1] = fromUInt(0u - ru(sp[-1]));
    } else {
        --sp;
    }
    NEXT;
}
op_Not : {
    BEGIN(Not);
    NEED(1);
    sp[-1] = fromInt(truth(sp[-1]) ? 0 : 1);
    NEXT;
}
op_Mul : {
    BEGIN(Mul);
    NEED(2);
    ScriptValue a = sp[-1];
    ScriptValue b = sp[-2];
    sp -= 2;
    if (isInt(a & b)) {
        *sp++ = fromUInt(ru(b) * ru(a));
    } else {
        // Repetition: the integer counts the copies of the other operand.
        ScriptValue repeated = isInt(a)   ? script_ops::repeat(b, intOf(a), pool_)
                               : isInt(b) ? script_ops::repeat(a, intOf(b), pool_)
                                          : null;
        *sp++ = repeated;
        CHECK_POOL();
        CHARGE(1 + script_ops::sizeOf(repeated));
    }
    NEXT;
}
op_Div : {
    BEGIN(Div);
    NEED(2);
    int32_t divisor = intOf(sp[-1]);
    int32_t dividend = intOf(sp[-2]);
    --sp;
    if (divisor == 0) [[unlikely]] {
        divisionByZero(engine_.gameId(), "division", pc);
        sp[-1] = fromInt(0);
    } else {
        // Operands are 31-bit, so the quotient cannot overflow.
        sp[-1] = fromInt(dividend / divisor);
    }
    NEXT;
}
op_Mod : {
    BEGIN(Mod);
    NEED(2);
    int32_t divisor = intOf(sp[-1]);
    int32_t dividend = intOf(sp[-2]);
    --sp;
    if (divisor == 0) [[unlikely]] {
        divisionByZero(engine_.gameId(), "remainder", pc);
        sp[-1] = fromInt(0);
    } else {
        sp[-1] = fromInt(dividend % divisor);
    }
    NEXT;
}
op_Add : {
    BEGIN(Add);
    NEED(2);
    ScriptValue a = sp[-1];
    ScriptValue b = sp[-2];
    if (isInt(a & b)) [[likely]] {
        --sp;
        sp[-1] = fromUInt(ru(b) + ru(a));
        NEXT;
    }
    sp -= 2;
    // Two sequences join; a mixed pair leaves nothing.
    if (!isInt(a) && !isInt(b)) {
        if (std::optional<ScriptValue> joined = script_ops::concat(b, a, pool_)) {
            *sp++ = *joined;
            CHECK_POOL();
            CHARGE(1 + script_ops::sizeOf(*joined));
        }
    }
    NEXT;
}
op_Sub : {
    BEGIN(Sub);
    NEED(2);
    ScriptValue a = sp[-1];
    ScriptValue b = sp[-2];
    sp[-2] = isInt(a & b) ? fromUInt(ru(b) - ru(a)) : fromUInt(u(b) - u(a));
    --sp;
    NEXT;
}
op_GetItem : {
    BEGIN(GetItem);
    NEED(2);
    ScriptValue index = sp[-1];
    ScriptValue sequence = sp[-2];
    // In-range array reads take no detour through the general helpers.
    if (ZArray* array = arrayOf(sequence); array != nullptr && isInt(index)) [[likely]] {
        uint32_t i = static_cast<uint32_t>(intOfInt(index));
        if (i < array->elements.size()) [[likely]] {
            --sp;
            sp[-1] = array->elements[i];
            NEXT;
        }
    }
    script_ops::IndexedSlot slot = script_ops::locate(sequence, intOf(index));
    if (slot.isSequence && !slot.inBounds) {
        indexOutOfBounds(engine_.gameId(), slot, pc);
    }
    --sp;
    sp[-1] = slot.inBounds ? script_ops::elementAt(sequence, slot) : null;
    NEXT;
}
op_SetItem : {
    BEGIN(SetItem);
    NEED(3);
    ScriptValue index = sp[-1];
    ScriptValue sequence = sp[-2];
    if (ZArray* array = arrayOf(sequence); array != nullptr && isInt(index)) [[likely]] {
        uint32_t i = static_cast<uint32_t>(intOfInt(index));
        if (i < array->elements.size()) [[likely]] {
            array->elements[i] = sp[-3];
            sp -= 3;
            NEXT;
        }
    }
    script_ops::IndexedSlot slot = script_ops::locate(sequence, intOf(index));
    if (slot.isSequence && !slot.inBounds) {
        indexOutOfBounds(engine_.gameId(), slot, pc);
    }
    if (slot.inBounds) {
        script_ops::storeAt(sequence, slot, sp[-3]);
    }
    sp -= 3;
    NEXT;
}
op_Shl : {
    BEGIN(Shl);
    NEED(2);
    sp[-2] = fromUInt(u(sp[-2]) << (u(sp[-1]) & 31u));
    --sp;
    NEXT;
}
op_Shr : {
    BEGIN(Shr);
    NEED(2);
    sp[-2] = fromInt(intOf(sp[-2]) >> (u(sp[-1]) & 31u));
    --sp;
    NEXT;
}
op_And : {
    BEGIN(And);
    NEED(2);
    sp[-2] = fromUInt(u(sp[-2]) & u(sp[-1]));
    --sp;
    NEXT;
}
op_Or : {
    BEGIN(Or);
    NEED(2);
    sp[-2] = fromUInt(u(sp[-2]) | u(sp[-1]));
    --sp;
    NEXT;
}
op_Xor : {
    BEGIN(Xor);
    NEED(2);
    sp[-2] = fromUInt(u(sp[-2]) ^ u(sp[-1]));
    --sp;
    NEXT;
}
op_Copy : {
    BEGIN(Copy);
    NEED(1);
    ScriptValue a = *--sp;
    // Only arrays and byte strings are copied; anything else is dropped.
    if (arrayOf(a) != nullptr || dataOf(a) != nullptr) {
        *sp++ = copy(a, pool_);
        CHECK_POOL();
        CHARGE(1 + script_ops::sizeOf(sp[-1]));
    }
    NEXT;
}
op_SliceFrom : {
    BEGIN(SliceFrom);
    NEED(2);
    int32_t bound = intOf(sp[-1]);
    --sp;
    sp[-1] = script_ops::slice(sp[-1], bound, std::nullopt, pool_);
    CHECK_POOL();
    CHARGE(1 + script_ops::sizeOf(sp[-1]));
    NEXT;
}
op_SliceTo : {
    BEGIN(SliceTo);
    NEED(2);
    int32_t bound = intOf(sp[-1]);
    --sp;
    sp[-1] = script_ops::slice(sp[-1], 0, bound, pool_);
    CHECK_POOL();
    CHARGE(1 + script_ops::sizeOf(sp[-1]));
    NEXT;
}
op_Slice : {
    BEGIN(Slice);
    NEED(3);
    int32_t end = intOf(sp[-1]);
    int32_t start = intOf(sp[-2]);
    sp -= 2;
    sp[-1] = script_ops::slice(sp[-1], start, end, pool_);
    CHECK_POOL();
    CHARGE(1 + script_ops::sizeOf(sp[-1]));
    NEXT;
}
op_Print : {
    BEGIN(Print);
    int32_t n = s8At(operand);
    if (n > 0) {
        NEED(n);
        sp -= n;
    }
    NEXT;
}
op_Ret : {
    BEGIN(Ret);
    if (sp - st <= 1) {
        result = sp == st ? null : st[0];
        goto done;
    }
    NEED(3);
    ScriptValue value = sp[-1];
    ScriptValue back = sp[-2];
    ZArray* frame = arrayOf(sp[-3]);
    if (!isCodeOffset(back, size)) [[unlikely]] {
        why = "return offset outside the code";
        goto fault;
    }
    if (frame == nullptr) [[unlikely]] {
        why = "return without saved locals";
        goto fault;
    }
    sp -= 3;
    // The frame's elements become the locals; the emptied array serves the next call.
    locals_.swap(frame->elements);
    frame->elements.clear();
    spareFrames_.push_back(frame);
    SYNC_LOCALS();
    *sp++ = value;
    TRANSFER(static_cast<uint32_t>(intOf(back)));
    NEXT;
}
op_JumpIfKeep16 : {
    BEGIN(JumpIfKeep16);
    NEED(1);
    if (truth(sp[-1])) {
        JUMP(s16At(operand));
    }
    NEXT;
}
op_JumpIfNotKeep16 : {
    BEGIN(JumpIfNotKeep16);
    NEED(1);
    if (!truth(sp[-1])) {
        JUMP(s16At(operand));
    }
    NEXT;
}
op_Store16 : {
    BEGIN(Store16);
    NEED(1);
    int32_t n = s16At(operand);
    size_t i = static_cast<size_t>(~n);
    if (i < ln) {
        lv[i] = *--sp;
        NEXT;
    }
    storeVariable(n, *--sp);
    SYNC_LOCALS();
    CHECK_POOL();
    NEXT;
}
op_Clear16 : {
    BEGIN(Clear16);
    clearVariable(s16At(operand));
    NEXT;
}
op_Unpack : {
    BEGIN(Unpack);
    NEED(1);
    int32_t n = s16At(operand);
    ZArray* array = arrayOf(*--sp);
    if (array != nullptr && n > 0) {
        GROW(n);
        const std::vector<ScriptValue>& elements = array->elements;
        for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
            *sp++ = i < elements.size() ? elements[i] : null;
        }
    }
    NEXT;
}
op_Nop : {
    BEGIN(Nop);
    NEXT;
}
op_Push32 : {
    BEGIN(Push32);
    PUSH(fromUInt(u32At(operand)));
    NEXT;
}
op_Load16 : {
    BEGIN(Load16);
    int32_t n = s16At(operand);
    size_t i = static_cast<size_t>(~n);
    PUSH(i < ln ? lv[i] : variable(n));
    NEXT;
}
op_MkArray : {
    BEGIN(MkArray);
    int32_t n = std::max(s16At(operand), 0);
    NEED(n);
    ZArray* array = pool_.newArray(std::vector<ScriptValue>(sp - n, sp));
    sp -= n;
    // With no elements taken the array needs a free slot of its own.
    PUSH(valueOf(array));
    CHECK_POOL();
    NEXT;
}
op_Bytes : {
    BEGIN(Bytes);
    int32_t n = s16At(operand);
    if (n < 0 || static_cast<uint32_t>(n) > size - pc) [[unlikely]] {
        why = "byte string past the end of the code";
        goto fault;
    }
    PUSH(valueOf(pool_.newData(std::span(code + pc, static_cast<size_t>(n)))));
    pc += static_cast<uint32_t>(n);
    CHECK_POOL();
    NEXT;
}
op_Jump16 : {
    BEGIN(Jump16);
    JUMP(s16At(operand));
    NEXT;
}
op_JumpIf16 : {
    BEGIN(JumpIf16);
    NEED(1);
    if (truth(*--sp)) {
        JUMP(s16At(operand));
    }
    NEXT;
}
op_JumpIfNot16 : {
    BEGIN(JumpIfNot16);
    NEED(1);
    if (!truth(*--sp)) {
        JUMP(s16At(operand));
    }
    NEXT;
}
op_Jump8 : {
    BEGIN(Jump8);
    JUMP(s8At(operand));
    NEXT;
}
op_Push16 : {
    BEGIN(Push16);
    PUSH(fromInt(s16At(operand)));
    NEXT;
}
op_Native : {
    BEGIN(Native);
    int32_t argc = s8At(operand + 1);
    if (argc < 0) {
        NEED(1);
        ScriptValue spread = *--sp;
        argc = -argc - 1;
        if (ZArray* array = arrayOf(spread)) {
            size_t n = array->elements.size();
            GROW(n);
            sp = spreadInto(sp, *array);
            argc += static_cast<int32_t>(n);
        }
    }
    NEED(argc);
    sp -= argc;
    // The result takes the first argument's slot, or a new one when there are no arguments.
    GROW(1);
    Native native = natives_.lookup(operand[0]);
    ScriptValue value = null;
    if (native != nullptr) {
        pc_ = pc;
        // The native spends what its work costs from the same budget (see WorkBudget).
        work_.left = budget;
        value = native(*this, std::span<const ScriptValue>(sp, static_cast<size_t>(argc)));
        if (value == kNoValue) {
            value = null;
        }
        *sp++ = value;
        CHECK_POOL();
        TAKE_WORK();
        NEXT;
    }
    *sp++ = value;
    NEXT;
}
op_Call : {
    BEGIN(Call);
    int32_t argc = s8At(operand);
    if (argc < 0) {
        // Spread: the fixed arguments below the array come first, then its elements.
        NEED(1);
        ScriptValue spread = *--sp;
        argc = -argc - 1;
        if (ZArray* array = arrayOf(spread)) {
            size_t n = array->elements.size();
            GROW(n);
            sp = spreadInto(sp, *array);
            argc += static_cast<int32_t>(n);
        }
    }
    NEED(static_cast<int64_t>(argc) + 1);
    ScriptValue function = sp[-argc - 1];
    if (!isCodeOffset(function, size)) [[unlikely]] {
        why = "call of a value that is not a function";
        goto fault;
    }
    ZArray* frame;
    if (spareFrames_.empty()) [[unlikely]] {
        frame = pool_.newArray();
    } else {
        frame = spareFrames_.back();
        spareFrames_.pop_back();
    }
    // The caller's locals move into the frame array; the callee's are its arguments.
    frame->elements.swap(locals_);
    size_t capacity = locals_.capacity();
    locals_.assign(sp - argc, sp);
    if (locals_.capacity() != capacity) [[unlikely]] {
        pool_.charge((locals_.capacity() - capacity) * sizeof(ScriptValue));
    }
    SYNC_LOCALS();
    sp -= argc + 1;
    GROW(2);
    *sp++ = valueOf(frame);
    *sp++ = fromUInt(pc);
    CHECK_POOL();
    TRANSFER(static_cast<uint32_t>(intOf(function)));
    NEXT;
}
op_Push8 : {
    BEGIN(Push8);
    PUSH(fromInt(s8At(operand)));
    NEXT;
}
op_JumpIf8 : {
    BEGIN(JumpIf8);
    NEED(1);
    if (truth(*--sp)) {
        JUMP(s8At(operand));
    }
    NEXT;
}
op_JumpIfNot8 : {
    BEGIN(JumpIfNot8);
    NEED(1);
    if (!truth(*--sp)) {
        JUMP(s8At(operand));
    }
    NEXT;
}
op_Func16 : {
    BEGIN(Func16);
    PUSH(fromUInt(pc + static_cast<uint32_t>(s16At(operand))));
    NEXT;
}
op_Func8 : {
    BEGIN(Func8);
    PUSH(fromUInt(pc + static_cast<uint32_t>(s8At(operand))));
    NEXT;
}
op_Load8 : {
    BEGIN(Load8);
    int32_t n = s8At(operand);
    size_t i = static_cast<size_t>(~n);
    PUSH(i < ln ? lv[i] : variable(n));
    NEXT;
}
op_Store8 : {
    BEGIN(Store8);
    NEED(1);
    int32_t n = s8At(operand);
    size_t i = static_cast<size_t>(~n);
    if (i < ln) [[likely]] {
        lv[i] = *--sp;
        NEXT;
    }
    storeVariable(n, *--sp);
    SYNC_LOCALS();
    CHECK_POOL();
    NEXT;
}
op_Clear8 : {
    BEGIN(Clear8);
    clearVariable(s8At(operand));
    NEXT;
}
op_SkipZ : {
    BEGIN(SkipZ);
    const void* zero = std::memchr(code + pc, 0, size - pc);
    pc = zero == nullptr ? size : static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - code) + 1;
    NEXT;
}
op_Inc : {
    BEGIN(Inc);
    int32_t n = s8At(operand);
    size_t i = static_cast<size_t>(~n);
    if (i < ln && isInt(lv[i])) {
        lv[i] = fromUInt(ru(lv[i]) + 1u);
    }
    NEXT;
}
#include "games/engine/interpreter_combined.inc"
op_Skip:
    pc += 1;
    NEXT;

fault:
    runFault(engine_.gameId(), why, pc);
    lastRunEnd_ = why == kOutOfBudget ? RunEnd::OutOfBudget : RunEnd::Failed;
    pc_ = pc;
    return null;
done:
    lastRunEnd_ = RunEnd::Returned;
    pc_ = pc;
    return result;

#undef SYNC_LOCALS
#undef NEED
#undef GROW
#undef PUSH
#undef CHECK_POOL
#undef CHARGE
#undef TAKE_WORK
#undef JUMP
#undef TRANSFER
#undef NEXT
#undef BEGIN
}

} // namespace zelvan
