// The kit's processor. It executes source text, not machine code: the dispatcher hands each
// executor the operand texts `dest` and `source`, and the executor evaluates them against the
// registers and memory. Executors return false after reporting why the run must stop.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "assembler/symbol_table.h"
#include "common/output_pane.h"
#include "simulator/cpu_registers.h"
#include "simulator/kit_memory.h"
#include "simulator/program_image.h"

namespace tarvix {

enum class JumpKind {
    JmpDirect,
    JmpIndirect,
    Loop,
    LoopE,
    LoopNE,
    Jcxz,
    Je,
    Jne,
    Ja,
    Jae,
    Jb,
    Jbe,
    Jg,
    Jge,
    Jl,
    Jle,
    Jo,
    Jno,
    Js,
    Jns,
    Jp,
    Jnp,
};

enum class CallKind { Direct, Indirect, Ret };

class Cpu8086 {
public:
    // `currentLine` is the line-based instruction pointer shared with the dispatcher;
    // `symbols` the assembler's labels, through which jumps and interrupts find their lines.
    Cpu8086(OutputPane& pane, ProgramImage& image, int& currentLine, const SymbolTable& symbols);

    KitMemory memory;
    CpuRegisters regs;
    std::string mnemonic;  // as written
    std::string source;    // second operand, left-trimmed
    std::string dest;      // first operand, right-trimmed

    // Empties the instruction texts and resets the registers; memory keeps its content.
    void reset();

    // Operand evaluation.
    static bool isMemoryOperand(std::string_view text);
    // 1 for a byte prefix (BYTE PTR, BPTR), 2 for a word prefix (WORD PTR, WPTR), else 0.
    static int pointerSize(std::string_view text);
    // The address of a register-based memory operand; 0 for none (a direct address, or an
    // error already reported).
    std::uint16_t effectiveAddress(std::string_view text);
    std::uint16_t directAddress(std::string_view text);
    // Either of the two; 0 means failure, already reported.
    std::uint16_t operandAddress(std::string_view text);
    bool execLea();

    // The line of a label, or -1 after reporting that it is undefined or not an instruction.
    int lineOfSymbol(std::string_view name);

    // The stack rules every push and pop follows.
    bool push(std::uint16_t value);
    bool pop(std::uint16_t& value);

    // Control transfer.
    bool execJump(JumpKind kind);
    bool execCallRet(CallKind kind);
    bool execInt(bool isInt, std::string_view typeText);
    bool divideFaults(std::uint32_t dividend, std::uint16_t divisor, bool isWord);

    // Data transfer.
    bool execMov();
    bool execXchg();
    bool execXlat();
    bool execPushPop(bool isPush);
    bool execPushfPopf(bool isPushf);

    // Arithmetic, logic, shifts and rotates, multiply and divide, adjust and string
    // instructions. Their FLAGS follow the flag image rule of flag_image.h.
    enum class LogicOp { And, Or, Xor, Test, Not, Neg };
    enum class ShiftKind { Shl, Shr, Rol, Ror, Rcl, Rcr, Sar };
    enum class MulDivKind { Mul, Div, Imul, Idiv };
    enum class AdjustKind { Aaa, Daa, Das, Aad, Aam, Aas, Cbw, Cwd };
    bool execAdd();
    bool execSub(bool store);  // false for CMP
    bool execIncDec(bool isInc);
    bool execAdcSbb(bool isAdc);
    bool execLogic(LogicOp op);
    bool execShiftRotate(ShiftKind kind);
    bool execMulDiv(MulDivKind kind);
    bool execAdjust(AdjustKind kind);
    bool execScas(bool isWord);
    bool execCmps(bool isWord);
    bool execStos(bool isWord);
    bool execLods(bool isWord);
    bool execMovs(bool isWord);
    bool execRepeat(bool isRepne);

    OutputPane& pane() { return pane_; }
    ProgramImage& image() { return image_; }
    int& currentLine() { return currentLine_; }

private:
    bool pushReturnAddress();
    // `reported` tells a failure already reported from a text that is no register form.
    std::uint16_t effectiveAddress(std::string_view text, bool& reported);

    bool fail(MessageId id) { return pane_.reportError(id, WithLine::Yes); }
    bool fail(std::string_view text) { return pane_.reportError(text, WithLine::Yes); }

    OutputPane& pane_;
    ProgramImage& image_;
    int& currentLine_;
    const SymbolTable& symbols_;
};

}  // namespace tarvix
