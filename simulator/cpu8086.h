// The kit's processor. It executes source lines, not machine code: the dispatcher hands each
// executor the line's decoded record, and the executor evaluates its operand forms against the
// registers and memory. Executors return false after reporting why the run must stop.
#pragma once

#include <cstdint>
#include <string_view>

#include "assembler/symbol_table.h"
#include "common/output_pane.h"
#include "simulator/cpu_registers.h"
#include "simulator/decoded_instruction.h"
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
    // Clock counts of the instructions executed since the run began, and what their odd
    // words added; the dispatcher adds each instruction's fixed part, executors the rest.
    std::uint64_t cycles = 0;
    std::uint64_t clockCount() const { return cycles + kOddWordClocks * memory.oddWordTransfers; }
    void startCounting() {
        cycles = 0;
        memory.oddWordTransfers = 0;
    }

    // Resets the registers; memory keeps its content.
    void reset();

    // The address a memory operand names now; 0 for none, after reporting why. Inline: most
    // memory operands are valid, and every one comes here.
    std::uint16_t operandAddress(const OperandForm& operand) {
        if (!operand.hasAddress) {
            return refuseAddress(MessageId::ErrorInInstructionFormat);
        }
        unsigned sum = operand.displacement;
        if (operand.base >= 0) {
            sum += regs[static_cast<Reg16>(operand.base)];
        }
        if (operand.index >= 0) {
            sum += regs[static_cast<Reg16>(operand.index)];
        }
        const auto address = static_cast<std::uint16_t>(sum & 0xFFFF);
        if (!KitMemory::isValidAddress(address, true)) {
            return refuseAddress(MessageId::AddressOutsideMemory);
        }
        return address;
    }
    bool execLea(const DecodedInstruction& ins);

    // The line of a label, or line -1 with the message a transfer there reports.
    LineTarget findLine(std::string_view name) const;
    // The handler of an interrupt type written in hexadecimal, as INT names it.
    LineTarget findHandler(std::string_view type) const;

    // The stack rules every push and pop follows.
    bool push(std::uint16_t value);
    bool pop(std::uint16_t& value);

    // Control transfer.
    bool execJump(const DecodedInstruction& ins, JumpKind kind);
    bool execCallRet(const DecodedInstruction& ins, CallKind kind);
    bool execInt(const LineTarget& handler);
    bool execIret();
    bool divideFaults(std::uint32_t dividend, std::uint16_t divisor, bool isWord);

    // Data transfer.
    bool execMov(const DecodedInstruction& ins);
    bool execXchg(const DecodedInstruction& ins);
    bool execXlat();
    bool execPushPop(const DecodedInstruction& ins, bool isPush);
    bool execPushfPopf(bool isPushf);

    // Arithmetic, logic, shifts and rotates, multiply and divide, adjust and string
    // instructions. Their FLAGS follow the flag image rule of flag_image.h.
    enum class LogicOp { And, Or, Xor, Test, Not, Neg };
    enum class ShiftKind { Shl, Shr, Rol, Ror, Rcl, Rcr, Sar };
    enum class MulDivKind { Mul, Div, Imul, Idiv };
    enum class AdjustKind { Aaa, Daa, Das, Aad, Aam, Aas, Cbw, Cwd };
    bool execAdd(const DecodedInstruction& ins);
    bool execSub(const DecodedInstruction& ins, bool store);  // false for CMP
    bool execIncDec(const DecodedInstruction& ins, bool isInc);
    bool execAdcSbb(const DecodedInstruction& ins, bool isAdc);
    bool execLogic(const DecodedInstruction& ins, LogicOp op);
    bool execShiftRotate(const DecodedInstruction& ins, ShiftKind kind);
    bool execMulDiv(const DecodedInstruction& ins, MulDivKind kind);
    bool execAdjust(AdjustKind kind);
    bool execScas(bool isWord);
    bool execCmps(bool isWord);
    bool execStos(bool isWord);
    bool execLods(bool isWord);
    bool execMovs(bool isWord);
    bool execRepeat(const DecodedInstruction& ins, bool isRepne);
    // The string operation REPE and REPNE name as their operand, or -1.
    static int repeatedOperation(std::string_view name);

    OutputPane& pane() { return pane_; }
    ProgramImage& image() { return image_; }
    int& currentLine() { return currentLine_; }

private:
    bool pushReturnAddress();
    // Reports why an operand names no address; always 0.
    std::uint16_t refuseAddress(MessageId id);

    bool fail(MessageId id) { return pane_.reportError(id, WithLine::Yes); }
    bool fail(std::string_view text) { return pane_.reportError(text, WithLine::Yes); }

    OutputPane& pane_;
    ProgramImage& image_;
    int& currentLine_;
    const SymbolTable& symbols_;
};

}  // namespace tarvix
